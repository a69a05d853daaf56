/* A program of a library user's: one pool of 64-byte nodes. */
#include <orvek_memory.h>

#include <stdio.h>
#include <string.h>

int main(void)
{
    orvek_memory_handle nodes;
    char *node;

    if (!orvek_memory_init(&nodes, 64)) {
        fputs("consumer: no memory for the pool\n", stderr);
        return 1;
    }
    node = orvek_memory_pop_node(&nodes);
    if (node == ORVEK_NULL) {
        fputs("consumer: no memory for a node\n", stderr);
        orvek_memory_destroy(&nodes);
        return 1;
    }
    strcpy(node, "a node of 64 bytes");
    printf("%s\n", node);
    orvek_memory_push_node(&nodes, node);
    orvek_memory_destroy(&nodes);
    return 0;
}
