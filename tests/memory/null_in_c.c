/* SPDX-License-Identifier: MIT */
/* ORVEK_NULL as C code sees it (C11, for _Generic). */
#include "orvek_memory.h"

#include <stddef.h>

size_t orvek_null_size_in_c(void);
int orvek_null_is_a_void_pointer_in_c(void);

size_t orvek_null_size_in_c(void)
{
    return sizeof(ORVEK_NULL);
}

int orvek_null_is_a_void_pointer_in_c(void)
{
    return _Generic(ORVEK_NULL, void *: 1, default: 0);
}
