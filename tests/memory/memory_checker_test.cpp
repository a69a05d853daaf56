// Why the debug build exists: with every node a heap block of its own, a
// memory checker catches misuse of a single node.
#include "orvek_memory.h"

#include <gtest/gtest.h>

namespace {

constexpr int node_size = 24;

volatile char *take_node(orvek_memory_handle *handle)
{
    orvek_memory_init(handle, node_size);
    return static_cast<volatile char *>(orvek_memory_pop_node(handle));
}

TEST(MemoryCheckerDeathTest, WritingOnePastANodeIsReported)
{
    EXPECT_DEATH(
        {
            orvek_memory_handle handle;
            volatile char *node = take_node(&handle);
            node[node_size] = 1;
        },
        "heap-buffer-overflow");
}

TEST(MemoryCheckerDeathTest, UsingANodeAfterGivingItBackIsReported)
{
    EXPECT_DEATH(
        {
            orvek_memory_handle handle;
            volatile char *node = take_node(&handle);
            orvek_memory_push_node(&handle, const_cast<char *>(node));
            node[0] = 1;
        },
        "heap-use-after-free");
}

TEST(MemoryCheckerDeathTest, GivingANodeBackTwiceIsReported)
{
    EXPECT_DEATH(
        {
            orvek_memory_handle handle;
            volatile char *node = take_node(&handle);
            orvek_memory_push_node(&handle, const_cast<char *>(node));
            orvek_memory_push_node(&handle, const_cast<char *>(node));
        },
        "double-free");
}

}  // namespace
