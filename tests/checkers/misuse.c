/* SPDX-License-Identifier: MIT */
/*
 * A library user's program that misuses a node in one way per case, for
 * the memory checkers to report:
 *
 *   misuse write-past | use-after-push | push-twice | node-never-given-back |
 *          pool-never-destroyed | negative-size | race
 *
 * Each user_ function is the user's own line that a report must name.
 */
#include <orvek_memory.h>

#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <string.h>

#define NODE_SIZE 37

/* Each misuse here is deliberate, for a checker to catch at run time. GCC
 * 12 and later already warn about some of them when compiling; that warning
 * is silenced at those lines alone, so the program builds under -Werror. */
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#define DELIBERATE_USE_AFTER_PUSH(statement) \
    _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Wuse-after-free\"") \
    statement _Pragma("GCC diagnostic pop")
#else
#define DELIBERATE_USE_AFTER_PUSH(statement) statement
#endif

static orvek_memory_handle pool;

char *user_takes_node(void)
{
    return orvek_memory_pop_node(&pool);
}

void user_gives_back(char *node)
{
    orvek_memory_push_node(&pool, node);
}

void user_gives_back_again(char *node)
{
    DELIBERATE_USE_AFTER_PUSH(orvek_memory_push_node(&pool, node);)
}

void user_writes_past(char *node)
{
    node[NODE_SIZE] = 1;
}

void user_writes_node(char *node)
{
    DELIBERATE_USE_AFTER_PUSH(node[0] = 1;)
}

void user_forgets_node(void)
{
    char *node = user_takes_node();
    node[0] = 1;
}

void user_makes_pool(void)
{
    orvek_memory_handle forgotten;
    orvek_memory_init(&forgotten, NODE_SIZE);
}

/* A worker that makes a pool and ends without destroying it. Once the
 * worker is joined, no stale copy of the handle on a live stack can hide
 * the leak from LeakSanitizer's scan. */
void *user_pool_thread(void *unused)
{
    (void)unused;
    user_makes_pool();
    return NULL;
}

/* Two threads touch one node with nothing ordering them: one writes it, the
 * other gives it back once a relaxed flag says the write is done, which
 * orders nothing for ThreadSanitizer but makes the push come second. */
static char *shared_node;
static atomic_int written;

void *user_writer_thread(void *unused)
{
    (void)unused;
    user_writes_node(shared_node);
    atomic_store_explicit(&written, 1, memory_order_relaxed);
    return NULL;
}

void *user_pusher_thread(void *unused)
{
    (void)unused;
    while (!atomic_load_explicit(&written, memory_order_relaxed))
        ;
    user_gives_back(shared_node);
    return NULL;
}

int main(int argc, char **argv)
{
    const char *misuse = argc > 1 ? argv[1] : "";
    char *node;

    if (strcmp(misuse, "pool-never-destroyed") == 0) {
        pthread_t worker;
        pthread_create(&worker, NULL, user_pool_thread, NULL);
        pthread_join(worker, NULL);
        return 0;
    }
    if (strcmp(misuse, "negative-size") == 0) {
        orvek_memory_init(&pool, -1);
        node = user_takes_node();
        puts(node == ORVEK_NULL ? "null node" : "a node");
        orvek_memory_destroy(&pool);
        return 0;
    }
    orvek_memory_init(&pool, NODE_SIZE);
    if (strcmp(misuse, "node-never-given-back") == 0) {
        user_forgets_node();
    } else if (strcmp(misuse, "race") == 0) {
        pthread_t writer, pusher;
        shared_node = user_takes_node();
        pthread_create(&writer, NULL, user_writer_thread, NULL);
        pthread_create(&pusher, NULL, user_pusher_thread, NULL);
        pthread_join(writer, NULL);
        pthread_join(pusher, NULL);
    } else {
        node = user_takes_node();
        if (strcmp(misuse, "write-past") == 0) {
            user_writes_past(node);
        } else if (strcmp(misuse, "use-after-push") == 0) {
            user_gives_back(node);
            user_writes_node(node);
        } else if (strcmp(misuse, "push-twice") == 0) {
            user_gives_back(node);
            user_gives_back_again(node);
        } else {
            fprintf(stderr, "misuse: unknown case '%s'\n", misuse);
            return 2;
        }
    }
    orvek_memory_destroy(&pool);
    return 0;
}
