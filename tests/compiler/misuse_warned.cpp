// SPDX-License-Identifier: MIT
// The misuses of misuse_warned.c as a C++ program makes them, and the two
// that only C++ can: a node given to delete, and an object from new given
// back. Marked as there ("warned:"); nothing here is run.
#include <orvek_memory.h>

#include <cstdlib>

static orvek_memory_handle pool;

void use_after_push()
{
    char *node = static_cast<char *>(orvek_memory_pop_node(&pool));
    orvek_memory_push_node(&pool, node);
    node[0] = 1; // warned: -Wuse-after-free | -fanalyzer: -Wanalyzer-use-after-free
}

void push_twice()
{
    void *node = orvek_memory_pop_node(&pool);
    orvek_memory_push_node(&pool, node);
    orvek_memory_push_node(&pool, node); // warned: -Wuse-after-free | -fanalyzer: -Wanalyzer-double-free
}

void node_given_to_free()
{
    void *node = orvek_memory_pop_node(&pool);
    std::free(node); // warned: -Wmismatched-dealloc | -fanalyzer: -Wanalyzer-mismatching-deallocation
}

void *node_given_to_realloc()
{
    void *node = orvek_memory_pop_node(&pool);
    return std::realloc(node, 64); // warned: -Wmismatched-dealloc | -fanalyzer: -Wanalyzer-mismatching-deallocation
}

void node_given_to_delete()
{
    char *node = static_cast<char *>(orvek_memory_pop_node(&pool));
    delete node; // warned: -Wmismatched-new-delete | -fanalyzer: -Wanalyzer-mismatching-deallocation
}

void malloced_pointer_pushed()
{
    void *block = std::malloc(64);
    orvek_memory_push_node(&pool, block); // warned: -Wmismatched-dealloc | -fanalyzer: -Wanalyzer-mismatching-deallocation
}

void new_object_pushed()
{
    char *object = new char[64];
    orvek_memory_push_node(&pool, object); // warned: -Wmismatched-new-delete | -fanalyzer: -Wanalyzer-mismatching-deallocation
}

void stack_array_pushed()
{
    char local[64];
    orvek_memory_push_node(&pool, local); // warned: -Wfree-nonheap-object | -fanalyzer: -Wanalyzer-free-of-non-heap
}

bool node_leaked_on_early_return(bool give_up)
{
    char *node = static_cast<char *>(orvek_memory_pop_node(&pool));
    if (node == ORVEK_NULL) {
        return false;
    }
    node[0] = 1;
    // The leak is reported on the leaking path: GCC 12 and 14 at the turn it
    // takes here, GCC 16 where the function ends.
    if (give_up) { // warned: | -fanalyzer: -Wanalyzer-malloc-leak...
        return false;
    }
    orvek_memory_push_node(&pool, node);
    return true;
}
