// SPDX-License-Identifier: MIT
// Why the debug build exists: with every node a heap block of its own, a
// memory checker catches misuse of a single node.
#include "orvek_memory.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

constexpr int node_size = 24;

struct Misuse {
    const char *name;
    void (*commit)(orvek_memory_handle *handle, volatile char *node);
    const char *report;
    friend void PrintTo(const Misuse &m, std::ostream *os) { *os << m.name; }
};

void write_one_past(orvek_memory_handle *, volatile char *node)
{
    node[node_size] = 1;
}

void use_after_push(orvek_memory_handle *handle, volatile char *node)
{
    orvek_memory_push_node(handle, const_cast<char *>(node));
    node[0] = 1;
}

void push_twice(orvek_memory_handle *handle, volatile char *node)
{
    orvek_memory_push_node(handle, const_cast<char *>(node));
    orvek_memory_push_node(handle, const_cast<char *>(node));
}

class MemoryCheckerDeathTest : public testing::TestWithParam<Misuse> {};

TEST_P(MemoryCheckerDeathTest, IsReported)
{
    EXPECT_DEATH(
        {
            orvek_memory_handle handle;
            orvek_memory_init(&handle, node_size);
            auto *node = static_cast<volatile char *>(orvek_memory_pop_node(&handle));
            GetParam().commit(&handle, node);
        },
        GetParam().report);
}

INSTANTIATE_TEST_SUITE_P(
    Node, MemoryCheckerDeathTest,
    testing::Values(Misuse{"WriteOnePast", write_one_past, "heap-buffer-overflow"},
                    Misuse{"UseAfterPush", use_after_push, "heap-use-after-free"},
                    Misuse{"PushTwice", push_twice, "double-free"}),
    [](const testing::TestParamInfo<Misuse> &info) { return info.param.name; });

}  // namespace
