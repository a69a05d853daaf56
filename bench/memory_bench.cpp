// SPDX-License-Identifier: MIT
// Pop+push pairs of the memory-node library against direct malloc+free
// pairs, on one thread and on two (the library on one shared handle and on a
// handle per thread), and init+destroy against malloc+free of a record.
//
// Each library case has a baseline of the same name but its family, so that
// the framework's compare.py can set the two side by side from one run
// (bench/run.sh does, with cases interleaved and repeated).
#include "orvek_memory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <thread>

namespace {

const int node_sizes[] = {0, 16, 64, 4096, 1 << 20};

void pairs_through(orvek_memory_handle *handle, benchmark::State &state)
{
    for (auto _ : state) {
        void *node = orvek_memory_pop_node(handle);
        benchmark::DoNotOptimize(node);
        orvek_memory_push_node(handle, node);
    }
    state.SetItemsProcessed(state.iterations());
}

void pop_push_own_handles(benchmark::State &state)
{
    orvek_memory_handle handle;
    orvek_memory_init(&handle, static_cast<int>(state.range(0)));
    pairs_through(&handle, state);
    orvek_memory_destroy(&handle);
}

orvek_memory_handle shared_handle;

// Thread 0 creates the handle before the threads meet at the start of the
// timed loop, and destroys it after they meet again at its end.
void pop_push_shared_handle(benchmark::State &state)
{
    if (state.thread_index() == 0) {
        orvek_memory_init(&shared_handle, static_cast<int>(state.range(0)));
    }
    pairs_through(&shared_handle, state);
    if (state.thread_index() == 0) {
        orvek_memory_destroy(&shared_handle);
    }
}

void malloc_free(benchmark::State &state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        void *block = std::malloc(size);
        benchmark::DoNotOptimize(block);
        std::free(block);
    }
    state.SetItemsProcessed(state.iterations());
}

void init_destroy(benchmark::State &state)
{
    for (auto _ : state) {
        orvek_memory_handle handle;
        orvek_memory_init(&handle, 64);
        benchmark::DoNotOptimize(handle);
        orvek_memory_destroy(&handle);
    }
    state.SetItemsProcessed(state.iterations());
}

// The heap work of a handle done directly: one record of the pool's size
// (two 32-bit members).
void malloc_free_record(benchmark::State &state)
{
    for (auto _ : state) {
        void *record = std::malloc(8);
        benchmark::DoNotOptimize(record);
        std::free(record);
    }
    state.SetItemsProcessed(state.iterations());
}

void by_node_size(benchmark::internal::Benchmark *b)
{
    for (int size : node_sizes) {
        b->Arg(size);
    }
    b->UseRealTime();
}

}  // namespace

BENCHMARK(pop_push_own_handles)->Apply(by_node_size)->Threads(1)->Threads(2);
BENCHMARK(pop_push_shared_handle)->Apply(by_node_size)->Threads(2);
BENCHMARK(malloc_free)->Apply(by_node_size)->Threads(1)->Threads(2);
BENCHMARK(init_destroy)->UseRealTime();
BENCHMARK(malloc_free_record)->UseRealTime();

int main(int argc, char **argv)
{
    // The C library's allocator takes a faster path until a process first
    // starts a thread; starting one now puts every case, one thread or two,
    // on the same path.
    std::thread([] {}).join();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 2;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
