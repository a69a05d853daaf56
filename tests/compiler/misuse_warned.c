/* SPDX-License-Identifier: MIT */
/*
 * A library user's program with one misuse of a node per function, each of
 * which a run of this build would let pass. GCC 12 and later must warn at
 * every line marked "warned:", naming the options given there: those before
 * "|" with -Wall, those after "-fanalyzer:" with that switch added. Nothing
 * here is run.
 */
#include <orvek_memory.h>

#include <stdlib.h>

static orvek_memory_handle pool;

void use_after_push(void)
{
    char *node = orvek_memory_pop_node(&pool);
    orvek_memory_push_node(&pool, node);
    node[0] = 1; /* warned: -Wuse-after-free | -fanalyzer: -Wanalyzer-use-after-free */
}

void push_twice(void)
{
    void *node = orvek_memory_pop_node(&pool);
    orvek_memory_push_node(&pool, node);
    orvek_memory_push_node(&pool, node); /* warned: -Wuse-after-free | -fanalyzer: -Wanalyzer-double-free */
}

void node_given_to_free(void)
{
    void *node = orvek_memory_pop_node(&pool);
    free(node); /* warned: -Wmismatched-dealloc | -fanalyzer: -Wanalyzer-mismatching-deallocation */
}

void *node_given_to_realloc(void)
{
    void *node = orvek_memory_pop_node(&pool);
    return realloc(node, 64); /* warned: -Wmismatched-dealloc | -fanalyzer: -Wanalyzer-mismatching-deallocation */
}

void malloced_pointer_pushed(void)
{
    void *block = malloc(64);
    orvek_memory_push_node(&pool, block); /* warned: -Wmismatched-dealloc | -fanalyzer: -Wanalyzer-mismatching-deallocation */
}

void stack_array_pushed(void)
{
    char local[64];
    orvek_memory_push_node(&pool, local); /* warned: -Wfree-nonheap-object | -fanalyzer: -Wanalyzer-free-of-non-heap */
}

int node_leaked_on_early_return(int give_up)
{
    char *node = orvek_memory_pop_node(&pool);
    if (node == ORVEK_NULL)
        return 0;
    node[0] = 1;
    /* The leak is reported on the leaking path: GCC 12 and 14 at the turn
     * it takes here, GCC 16 where the function ends. */
    if (give_up) /* warned: | -fanalyzer: -Wanalyzer-malloc-leak... */
        return 0;
    orvek_memory_push_node(&pool, node);
    return 1;
}
