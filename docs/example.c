/* SPDX-License-Identifier: MIT */
#include <orvek_memory.h>
#include <stdio.h>
#include <string.h>

int main(void)
{
    orvek_memory_handle nodes;
    char *node;

    if (!orvek_memory_init(&nodes, 64))         /* a pool of 64-byte nodes */
        return 1;                               /* 0: no memory for the pool */
    node = orvek_memory_pop_node(&nodes);       /* a fresh malloc'd block, or null */
    if (node == ORVEK_NULL) {
        orvek_memory_destroy(&nodes);
        return 1;
    }
    strcpy(node, "a node of 64 bytes");
    puts(node);
    orvek_memory_push_node(&nodes, node);       /* straight back to free() */
    orvek_memory_destroy(&nodes);
    return 0;
}
