// SPDX-License-Identifier: MIT
// The memory-node interface: calling contract, heap calls, out of memory,
// threads.
#include "orvek_memory.h"
#include "test_heap.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

bool filled_with(const void *node, int size, unsigned char byte)
{
    const auto *bytes = static_cast<const unsigned char *>(node);
    for (int i = 0; i < size; ++i) {
        if (bytes[i] != byte) {
            return false;
        }
    }
    return true;
}

class NodeSize : public testing::TestWithParam<int> {};

// Each node is a fresh block of its own, at least node-size bytes long, and
// nodes of one handle never overlap.
TEST_P(NodeSize, EachPopIsABlockOfItsOwn)
{
    const int size = GetParam();
    orvek_memory_handle handle = nullptr;
    ASSERT_EQ(orvek_memory_init(&handle, size), 1);
    ASSERT_NE(handle, nullptr);

    void *first = orvek_memory_pop_node(&handle);
    void *second = orvek_memory_pop_node(&handle);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_GE(malloc_usable_size(first), static_cast<std::size_t>(size));
    std::memset(first, 0xa5, static_cast<std::size_t>(size));
    std::memset(second, 0x5a, static_cast<std::size_t>(size));
    EXPECT_TRUE(filled_with(first, size, 0xa5));

    EXPECT_EQ(orvek_memory_push_node(&handle, first), 1);
    EXPECT_EQ(orvek_memory_push_node(&handle, second), 1);
    EXPECT_EQ(orvek_memory_destroy(&handle), 1);
}

// Test names carry the node size, "minus_" for a negative one.
std::string size_name(long long size)
{
    return size < 0 ? "minus_" + std::to_string(-size) : std::to_string(size);
}

INSTANTIATE_TEST_SUITE_P(Memory, NodeSize, testing::Values(0, 1, 16, 37, 4096, 1 << 20),
                         [](const testing::TestParamInfo<int> &info) { return size_name(info.param); });

TEST(Memory, NegativeNodeSizeIsKeptAndNoHeapSuppliesIt)
{
    for (int size : {-1, -16, INT_MIN}) {
        orvek_memory_handle handle = nullptr;
        ASSERT_EQ(orvek_memory_init(&handle, size), 1);
        EXPECT_EQ(orvek_memory_pop_node(&handle), nullptr) << size;
        EXPECT_EQ(orvek_memory_pop_node(&handle), nullptr) << size;
        EXPECT_EQ(orvek_memory_destroy(&handle), 1);
    }
}

TEST(Memory, NodesOutliveTheirDestroyedHandle)
{
    orvek_memory_handle handle = nullptr;
    ASSERT_EQ(orvek_memory_init(&handle, 64), 1);
    void *node = orvek_memory_pop_node(&handle);
    ASSERT_NE(node, nullptr);
    std::memset(node, 0x3c, 64);

    orvek_memory_handle const released = handle;
    EXPECT_EQ(orvek_memory_destroy(&handle), 1);
    EXPECT_EQ(handle, released) << "destroy leaves the caller's handle as it was";
    EXPECT_TRUE(filled_with(node, 64, 0x3c));
    EXPECT_EQ(orvek_memory_push_node(&handle, node), 1);
}

TEST(Memory, PreActivateDoesNothingWhenever)
{
    EXPECT_EQ(orvek_i_memory_pre_activate(), 0);
    orvek_memory_handle handle = nullptr;
    ASSERT_EQ(orvek_memory_init(&handle, 8), 1);
    EXPECT_EQ(orvek_i_memory_pre_activate(), 0);
    void *node = orvek_memory_pop_node(&handle);
    EXPECT_EQ(orvek_i_memory_pre_activate(), 0);
    orvek_memory_push_node(&handle, node);
    orvek_memory_destroy(&handle);
    EXPECT_EQ(orvek_i_memory_pre_activate(), 0);
}

TEST(MemoryDeathTest, NullHandleAddressFailsTheAssertionInEveryBuild)
{
    EXPECT_EXIT(orvek_memory_init(nullptr, 16), testing::KilledBySignal(SIGABRT),
                "orvek_memory:324: orvek_memory_init: Assertion `mem_info != ORVEK_NULL' failed\\.");
}

// Watches the heap calls that the library makes. A sanitizer owns the
// allocator and bypasses the test heap; in every other build the test heap
// must see the library's calls.
class HeapCalls : public testing::Test {
protected:
    void SetUp() override
    {
        orvek_memory_handle probe = nullptr;
        test_heap_start_recording();
        orvek_memory_init(&probe, 1);
        const test_heap_calls seen = test_heap_stop_recording();
        orvek_memory_destroy(&probe);
        if (seen.mallocs == 0) {
#ifdef TEST_HEAP_OWNED_BY_SANITIZER
            GTEST_SKIP() << "the sanitizer's allocator bypasses the test heap";
#else
            FAIL() << "the test heap saw no malloc from the library: its interposition is broken";
#endif
        }
    }

    orvek_memory_handle initialised(int size)
    {
        orvek_memory_handle handle = nullptr;
        EXPECT_EQ(orvek_memory_init(&handle, size), 1);
        return handle;
    }
};

struct Request {
    int node_size;
    std::size_t bytes;
    friend void PrintTo(const Request &r, std::ostream *os) { *os << r.node_size << " -> " << r.bytes; }
};

class PopRequest : public HeapCalls, public testing::WithParamInterface<Request> {};

// One malloc of the node size, sign-extended, and nothing else.
TEST_P(PopRequest, IsOneMallocOfTheNodeSize)
{
    orvek_memory_handle handle = initialised(GetParam().node_size);
    test_heap_start_recording();
    void *node = orvek_memory_pop_node(&handle);
    const test_heap_calls seen = test_heap_stop_recording();
    EXPECT_EQ(seen.mallocs, 1u);
    EXPECT_EQ(seen.frees, 0u);
    EXPECT_EQ(seen.last_size, GetParam().bytes);
    orvek_memory_push_node(&handle, node);
    orvek_memory_destroy(&handle);
}

INSTANTIATE_TEST_SUITE_P(Memory, PopRequest,
                         testing::Values(Request{37, 37}, Request{0, 0}, Request{INT_MAX, 0x7fffffffu},
                                         Request{-1, SIZE_MAX},
                                         Request{INT_MIN, SIZE_MAX - 0x7fffffffu}),
                         [](const testing::TestParamInfo<Request> &info) {
                             return size_name(info.param.node_size);
                         });

// Push releases the node whatever handle comes with it.
TEST_F(HeapCalls, PushIsOneFreeAndIgnoresTheHandle)
{
    orvek_memory_handle handle = initialised(24);
    orvek_memory_handle destroyed = initialised(24);
    orvek_memory_destroy(&destroyed);

    orvek_memory_handle *const handles[] = {&handle, nullptr, &destroyed};
    for (orvek_memory_handle *given : handles) {
        void *node = orvek_memory_pop_node(&handle);
        test_heap_start_recording();
        EXPECT_EQ(orvek_memory_push_node(given, node), 1);
        const test_heap_calls seen = test_heap_stop_recording();
        EXPECT_EQ(seen.frees, 1u);
        EXPECT_EQ(seen.last_freed, node);
        EXPECT_EQ(seen.mallocs, 0u);
    }
    EXPECT_EQ(orvek_memory_push_node(&handle, nullptr), 1);
    orvek_memory_destroy(&handle);
}

TEST_F(HeapCalls, InitTakesOneRecordAndDestroyGivesItBack)
{
    orvek_memory_handle handle = nullptr;
    test_heap_start_recording();
    EXPECT_EQ(orvek_memory_init(&handle, 4096), 1);
    test_heap_calls seen = test_heap_stop_recording();
    EXPECT_EQ(seen.mallocs, 1u) << "no nodes are taken in advance";
    EXPECT_LT(seen.last_size, 4096u);

    test_heap_start_recording();
    EXPECT_EQ(orvek_memory_destroy(&handle), 1);
    seen = test_heap_stop_recording();
    EXPECT_EQ(seen.frees, 1u);
    EXPECT_EQ(seen.last_freed, handle);
}

TEST_F(HeapCalls, InitOverAHeldRecordReleasesNothing)
{
    orvek_memory_handle handle = initialised(8);
    orvek_memory_handle earlier = handle;
    test_heap_start_recording();
    EXPECT_EQ(orvek_memory_init(&handle, 16), 1);
    const test_heap_calls seen = test_heap_stop_recording();
    EXPECT_EQ(seen.frees, 0u);
    EXPECT_NE(handle, earlier);
    orvek_memory_destroy(&earlier);
    orvek_memory_destroy(&handle);
}

TEST_F(HeapCalls, InitWithoutARecordReportsFailureAndLeavesANullHandle)
{
    orvek_memory_handle handle = reinterpret_cast<orvek_memory_handle>(std::uintptr_t{0x1000});
    test_heap_fail_next(1);
    EXPECT_EQ(orvek_memory_init(&handle, 32), 0);
    EXPECT_EQ(handle, nullptr);

    test_heap_start_recording();
    EXPECT_EQ(orvek_memory_pop_node(&handle), nullptr);
    EXPECT_EQ(orvek_memory_destroy(&handle), 1);
    const test_heap_calls seen = test_heap_stop_recording();
    EXPECT_EQ(seen.mallocs, 0u);
}

TEST_F(HeapCalls, PopWithoutANodeGivesNullAndTheHandleStaysUsable)
{
    orvek_memory_handle handle = initialised(32);
    test_heap_fail_next(1);
    EXPECT_EQ(orvek_memory_pop_node(&handle), nullptr);
    void *node = orvek_memory_pop_node(&handle);
    EXPECT_NE(node, nullptr);
    orvek_memory_push_node(&handle, node);
    orvek_memory_destroy(&handle);
}

// Pop and push need no lock: several threads on one shared handle, each also
// on a handle of its own, never see each other's nodes.
TEST(MemoryThreads, PopAndPushOnSharedAndOwnHandles)
{
    constexpr int thread_count = 4;
    constexpr int rounds = 500;
    constexpr int batch = 8;
    constexpr int shared_size = 48;
    orvek_memory_handle shared = nullptr;
    ASSERT_EQ(orvek_memory_init(&shared, shared_size), 1);
    std::atomic<int> faults{0};

    auto work = [&](int id) {
        const int own_size = 16 * (id + 1);
        orvek_memory_handle own = nullptr;
        orvek_memory_init(&own, own_size);
        const auto tag = static_cast<unsigned char>(id + 1);
        for (int round = 0; round < rounds; ++round) {
            void *nodes[batch][2];
            for (auto &pair : nodes) {
                pair[0] = orvek_memory_pop_node(&shared);
                pair[1] = orvek_memory_pop_node(&own);
                if (pair[0] == nullptr || pair[1] == nullptr) {
                    ++faults;
                    return;
                }
                std::memset(pair[0], tag, shared_size);
                std::memset(pair[1], tag, static_cast<std::size_t>(own_size));
            }
            for (auto &pair : nodes) {
                faults += !filled_with(pair[0], shared_size, tag) + !filled_with(pair[1], own_size, tag);
                orvek_memory_push_node(&shared, pair[0]);
                orvek_memory_push_node(&own, pair[1]);
            }
        }
        orvek_memory_destroy(&own);
    };
    std::vector<std::thread> threads;
    for (int id = 0; id < thread_count; ++id) {
        threads.emplace_back(work, id);
    }
    for (auto &thread : threads) {
        thread.join();
    }
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(orvek_memory_destroy(&shared), 1);
}

}  // namespace
