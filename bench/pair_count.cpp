// SPDX-License-Identifier: MIT
// Makes N pairs, either pop+push through the library or malloc+free
// directly, so that callgrind can count the instructions of one pair:
//   pair_count library|direct N
#include "orvek_memory.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int node_size = 64;

// Keeps the compiler from dropping a block that is never used.
inline void escape(void *p)
{
    asm volatile("" : : "r"(p) : "memory");
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        return 2;
    }
    const long pairs = std::atol(argv[2]);
    if (std::strcmp(argv[1], "library") == 0) {
        orvek_memory_handle handle;
        orvek_memory_init(&handle, node_size);
        for (long i = 0; i < pairs; ++i) {
            void *node = orvek_memory_pop_node(&handle);
            escape(node);
            orvek_memory_push_node(&handle, node);
        }
        orvek_memory_destroy(&handle);
    } else {
        // The same heap record as the library's, so both runs differ only
        // in their pairs.
        void *record = std::malloc(8);
        escape(record);
        for (long i = 0; i < pairs; ++i) {
            void *block = std::malloc(node_size);
            escape(block);
            std::free(block);
        }
        std::free(record);
    }
    return 0;
}
