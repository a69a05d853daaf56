// SPDX-License-Identifier: MIT
// The public header, compiled as C++98: ORVEK_NULL is pointer-sized there too.
#include "orvek_memory.h"

typedef char orvek_null_is_pointer_sized[sizeof(ORVEK_NULL) == sizeof(void *) ? 1 : -1];

int header_cxx98_uses_the_interface()
{
    orvek_memory_handle handle = ORVEK_NULL;
    return orvek_memory_init(&handle, 16) && orvek_memory_destroy(&handle);
}
