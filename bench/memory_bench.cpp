// Pop+push pairs of the memory-node library against direct malloc+free
// pairs, measured in the same run; bench/run.sh turns them into ratios.
#include "orvek_memory.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

const int node_sizes[] = {0, 16, 64, 4096, 1 << 20};

// On one thread, or on several, each with a handle of its own.
void pop_push(benchmark::State &state)
{
    orvek_memory_handle handle;
    orvek_memory_init(&handle, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        void *node = orvek_memory_pop_node(&handle);
        benchmark::DoNotOptimize(node);
        orvek_memory_push_node(&handle, node);
    }
    orvek_memory_destroy(&handle);
    state.SetItemsProcessed(state.iterations());
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

// One handle that every thread pops from and pushes to.
orvek_memory_handle shared_handle;

void pop_push_shared_handle(benchmark::State &state)
{
    if (state.thread_index() == 0) {
        orvek_memory_init(&shared_handle, 64);
    }
    // The framework starts timing only once every thread has set up.
    for (auto _ : state) {
        void *node = orvek_memory_pop_node(&shared_handle);
        benchmark::DoNotOptimize(node);
        orvek_memory_push_node(&shared_handle, node);
    }
    state.SetItemsProcessed(state.iterations());
    if (state.thread_index() == 0) {
        orvek_memory_destroy(&shared_handle);
    }
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

// The same heap work as a handle: one record of the pool's size (two
// 32-bit members).
void malloc_free_record(benchmark::State &state)
{
    for (auto _ : state) {
        void *record = std::malloc(8);
        benchmark::DoNotOptimize(record);
        std::free(record);
    }
    state.SetItemsProcessed(state.iterations());
}

void node_size_args(benchmark::internal::Benchmark *b)
{
    for (int size : node_sizes) {
        b->Arg(size);
    }
}

}  // namespace

BENCHMARK(pop_push)->Apply(node_size_args);
BENCHMARK(malloc_free)->Apply(node_size_args);
// The shared handle is set up by thread 0 while the others wait at the start.
BENCHMARK(pop_push_shared_handle)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(pop_push)->Name("pop_push_own_handles")->Arg(64)->Threads(1)->Threads(2)->UseRealTime();
BENCHMARK(init_destroy);
BENCHMARK(malloc_free_record);

BENCHMARK_MAIN();
