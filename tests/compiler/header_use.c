/* SPDX-License-Identifier: MIT */
/*
 * The public header as C code sees it, at any language level: every name it
 * declares in use, and ORVEK_NULL a pointer-sized null pointer (safe as a
 * variadic argument), of type void * where C can tell.
 */
#include <orvek_memory.h>

/* Compiles only where the condition holds (C89 has no _Static_assert). */
#define HEADER_HOLDS(name, condition) typedef char name[(condition) ? 1 : -1]

HEADER_HOLDS(orvek_null_is_pointer_sized, sizeof(ORVEK_NULL) == sizeof(void *));
#if defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
HEADER_HOLDS(orvek_null_is_a_void_pointer, _Generic(ORVEK_NULL, void *: 1, default: 0));
#endif

int header_uses_every_name(void);

int header_uses_every_name(void)
{
    orvek_memory_handle handle = ORVEK_NULL;
    orvek_memory_pool *pool;
    void *node;
    int ok = orvek_i_memory_pre_activate() == 0;
    ok &= orvek_memory_init(&handle, 16);
    pool = handle;
    node = orvek_memory_pop_node(&handle);
    ok &= orvek_memory_push_node(&handle, node);
    ok &= orvek_memory_destroy(&handle);
    return ok && pool != ORVEK_NULL;
}
