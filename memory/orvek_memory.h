/* SPDX-License-Identifier: MIT */
/*
 * orvek_memory.h - the memory-node interface, debug build
 * (liborvek_memory_debug.so.0).
 *
 * A caller creates a handle for nodes of one size, takes nodes from it, gives
 * them back and at last destroys the handle. This build keeps no nodes in
 * reserve: every node is a heap block of its own, exactly one node in size,
 * taken from malloc() and given back to free() at once, so that memory
 * checkers see each one.
 *
 * Calling order, per handle: orvek_memory_init() once; then any number of
 * orvek_memory_pop_node() and orvek_memory_push_node(), each node given back
 * once; then orvek_memory_destroy() once. The library detects no breach of
 * this order.
 *
 * Ownership: the caller owns its handle variable and passes its address
 * (mem_info) to every call. The pool record behind the handle belongs to the
 * caller from init until destroy; a node belongs to the caller from pop until
 * push. Nodes not yet given back outlive a destroyed handle and may still be
 * given back afterwards.
 *
 * Threads: no locks are taken. Pop and push may run on several threads at
 * once, on one handle or on several. Init and destroy must not run at the
 * same time as any other call on the same handle.
 */
#ifndef ORVEK_MEMORY_H
#define ORVEK_MEMORY_H

#ifdef __cplusplus
extern "C" {
#endif

/* The null pointer constant, pointer-sized in C and C++ alike (so that it
 * is safe as a variadic argument). */
#if defined(__cplusplus) && __cplusplus >= 201103L
#define ORVEK_NULL nullptr
#elif defined(__cplusplus) && defined(__GNUG__)
#define ORVEK_NULL __null
#elif defined(__cplusplus)
#define ORVEK_NULL 0L
#else
#define ORVEK_NULL ((void *)0)
#endif

/*
 * ORVEK_NODE_FROM(deallocator, position): marks a function that hands out a
 * node which only `deallocator` takes back, as its argument number
 * `position`. GCC 11 and later then warn at the caller's line about a node
 * given to free(), realloc() or delete, a pointer that no pop handed out
 * given back, and (with -fanalyzer) a node never given back; GCC 12 and
 * later also about a node used or given back after it was given back. Other
 * compilers see a plain declaration.
 *
 * Only attributes that promise nothing about the library's own checks go
 * here: nonnull on orvek_memory_init, for one, would let the compiler drop
 * the library's assertion that mem_info is not null.
 */
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 11
#define ORVEK_NODE_FROM(deallocator, position) \
    __attribute__((__malloc__, __malloc__(deallocator, position)))
#else
#define ORVEK_NODE_FROM(deallocator, position)
#endif

/* The pool record; its contents are the library's own. */
typedef struct orvek_memory_pool orvek_memory_pool;

/* A handle: the caller's pointer to its pool record. */
typedef orvek_memory_pool *orvek_memory_handle;

/*
 * Has nothing to do in this build; returns 0 whenever it is called.
 */
int orvek_i_memory_pre_activate(void);

/*
 * Creates a pool record for nodes of node_size bytes and stores its address
 * in *mem_info. node_size is taken as it is, unchecked. Returns 1.
 *
 * mem_info must not be null: a null address ends the process through the C
 * library's assertion failure, in every build.
 *
 * When the heap cannot supply the record, *mem_info is set to null and 0 is
 * returned (never 1, which would report a failure as success). Popping from
 * such a handle gives null; destroying it does nothing.
 *
 * A handle that already holds a record is overwritten; the old record is not
 * released.
 */
int orvek_memory_init(orvek_memory_handle *mem_info, int node_size);

/*
 * Gives node back to the heap: free(node). mem_info is not read, so any
 * handle, a destroyed one or none, will do. A null node does nothing.
 * Returns 1.
 */
int orvek_memory_push_node(orvek_memory_handle *mem_info, void *node);

/*
 * Returns a new node of the handle's node size: malloc() of node_size,
 * neither cleared nor initialised, or null when the heap cannot supply one
 * (the handle stays usable). A negative node size widens to a request larger
 * than any heap, so it gives null. Only orvek_memory_push_node() takes the
 * node back (declared above, so that GCC can pair the two).
 */
void *orvek_memory_pop_node(orvek_memory_handle *mem_info)
    ORVEK_NODE_FROM(orvek_memory_push_node, 2);

/*
 * Releases the handle's pool record. Returns 1. *mem_info is left as it was,
 * holding the released address. Nodes still held by callers stay valid.
 */
int orvek_memory_destroy(orvek_memory_handle *mem_info);

#ifdef __cplusplus
}
#endif

#endif /* ORVEK_MEMORY_H */
