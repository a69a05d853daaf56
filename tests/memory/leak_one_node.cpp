// SPDX-License-Identifier: MIT
// Takes one node of 37 bytes and never gives it back: a memory checker must
// show exactly that block as lost, and where it was taken.
#include "orvek_memory.h"

// The last place that holds the node's address, overwritten so that nothing
// points at the block any more.
static void *volatile last_node;

__attribute__((noinline)) static void take_and_forget(orvek_memory_handle *handle)
{
    last_node = orvek_memory_pop_node(handle);
    last_node = nullptr;
}

int main()
{
    orvek_memory_handle handle;
    orvek_memory_init(&handle, 37);
    take_and_forget(&handle);
    orvek_memory_destroy(&handle);
    return 0;
}
