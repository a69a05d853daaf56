// SPDX-License-Identifier: MIT
// The public header as C++ code sees it, at any language level: every name
// it declares in use, and ORVEK_NULL a pointer-sized null pointer (safe as a
// variadic argument), nullptr itself from C++11 on.
#include <orvek_memory.h>

// Compiles only where the condition holds (C++98 has no static_assert).
#define HEADER_HOLDS(name, condition) typedef char name[(condition) ? 1 : -1]

HEADER_HOLDS(orvek_null_is_pointer_sized, sizeof(ORVEK_NULL) == sizeof(void *));
#if __cplusplus >= 201103L
#include <cstddef>
#include <type_traits>
static_assert(std::is_same<decltype(ORVEK_NULL), std::nullptr_t>::value, "ORVEK_NULL is nullptr");
#endif

int header_uses_every_name();

int header_uses_every_name()
{
    orvek_memory_handle handle = ORVEK_NULL;
    int ok = orvek_i_memory_pre_activate() == 0;
    ok &= orvek_memory_init(&handle, 16);
    orvek_memory_pool *pool = handle;
    void *node = orvek_memory_pop_node(&handle);
    ok &= orvek_memory_push_node(&handle, node);
    ok &= orvek_memory_destroy(&handle);
    return ok && pool != ORVEK_NULL;
}
