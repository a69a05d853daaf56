/* SPDX-License-Identifier: MIT */
/* The public header, compiled as strict C99 with every name it declares. */
#include "orvek_memory.h"

int header_c99_uses_every_name(void);

int header_c99_uses_every_name(void)
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
