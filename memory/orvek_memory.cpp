// SPDX-License-Identifier: MIT
// orvek_memory: the memory-node interface, debug build.
//
// Every node is its own heap block, taken from malloc() on pop and returned
// to free() on push, so that memory checkers see each one. No state lives
// here beyond the pool records that callers own, and no lock is taken.
#include "orvek_memory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The C library's assertion-failure routine (from <assert.h>, which declares
// it only without NDEBUG). The precondition of orvek_memory_init must hold in
// every build, so it is called directly rather than through assert().
extern "C" [[noreturn]] void __assert_fail(const char *assertion, const char *file,
                                           unsigned int line, const char *function) noexcept;

#define ORVEK_EXPORT extern "C" __attribute__((visibility("default")))

// The record behind a handle: a leading 32-bit member that this build
// neither sets nor reads, then the node size, the one member it uses. Init
// leaves the record uncleared: only node_size is ever written.
struct orvek_memory_pool {
    std::int32_t leading;
    // Bytes in every node of this handle; written once by init, only read
    // afterwards, so pops on several threads share it without a lock.
    std::int32_t node_size;
};

ORVEK_EXPORT int orvek_i_memory_pre_activate(void)
{
    return 0;
}

ORVEK_EXPORT int orvek_memory_init(orvek_memory_handle *mem_info, int node_size)
{
    if (mem_info == ORVEK_NULL) {
        // Callers' logs have always named the check by this source, line and
        // function; keep them so.
        __assert_fail("mem_info != ORVEK_NULL", "orvek_memory", 324, "orvek_memory_init");
    }
    auto *pool = static_cast<orvek_memory_pool *>(std::malloc(sizeof(orvek_memory_pool)));
    *mem_info = pool;
    if (pool == nullptr) {
        return 0;
    }
    pool->node_size = node_size;
    return 1;
}

ORVEK_EXPORT void *orvek_memory_pop_node(orvek_memory_handle *mem_info)
{
    const orvek_memory_pool *pool = *mem_info;
    if (pool == nullptr) {
        // Left null by an init that could not get its record.
        return nullptr;
    }
    // Sign extension: a negative size becomes a request no heap can supply.
    return std::malloc(static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pool->node_size)));
}

ORVEK_EXPORT int orvek_memory_push_node(orvek_memory_handle * /* mem_info: not read */, void *node)
{
    std::free(node);
    return 1;
}

ORVEK_EXPORT int orvek_memory_destroy(orvek_memory_handle *mem_info)
{
    std::free(*mem_info);
    return 1;
}
