// SPDX-License-Identifier: MIT
// Pop+push pairs of the memory-node library against direct malloc+free
// pairs, on one thread and on two (the library on one shared handle and on a
// handle per thread), and init+destroy against malloc+free of a record.
//
// Run with --benchmark_enable_random_interleaving=true and some repetitions
// (bench/run.sh does): every repetition round runs all cases in a new random
// order, so drift of the machine falls on library and baseline alike. Each
// ratio printed is the median of the per-round ratios, with the middle half
// of them (first to third quartile) beside it as its spread.
//
// The cost of a pair is CPU time per pair, summed over the threads, so that
// a thread the system puts aside for a while does not count; two threads
// against one is pairs per second of wall-clock time, which is what a second
// thread is for.
#include "orvek_memory.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

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

// Keeps every case's pairs per second, by repetition round, and prints the
// ratios once all have run.
class RatioReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context &) override { return true; }

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred) {
                std::fprintf(stderr, "%s: %s\n", run.benchmark_name().c_str(), run.error_message.c_str());
                failed_ = true;
            } else if (run.run_type == Run::RT_Iteration) {
                const auto round = static_cast<std::size_t>(run.repetition_index);
                const auto pairs = static_cast<double>(run.iterations);
                record(cpu_rates_[run.benchmark_name()], round, pairs / run.cpu_accumulated_time);
                record(wall_rates_[run.benchmark_name()], round, pairs / run.real_accumulated_time);
            }
        }
    }

    void Finalize() override
    {
        std::printf("CPU time per pair against malloc+free on as many threads (1.00x: no cost at all);\n"
                    "median of %zu interleaved rounds [middle half of the rounds]:\n",
                    rounds());
        std::printf("%-9s %-22s %-22s %-22s\n", "node size", "1 thread", "2, own handles", "2, one handle");
        for (int size : node_sizes) {
            const std::string s = std::to_string(size);
            std::printf("%-9s %-22s %-22s %-22s\n", s.c_str(),
                        ratio(cpu_rates_, base(s, 1), own(s, 1)).c_str(),
                        ratio(cpu_rates_, base(s, 2), own(s, 2)).c_str(),
                        ratio(cpu_rates_, base(s, 2), shared(s)).c_str());
        }
        std::printf("init+destroy against malloc+free of the record: %s\n\n",
                    ratio(cpu_rates_, "malloc_free_record/real_time", "init_destroy/real_time").c_str());

        std::printf("Two threads against one, pairs per second (2.00x: two cores fully used):\n");
        std::printf("%-9s %-22s %-22s %-22s\n", "node size", "own handles", "one handle", "malloc+free");
        for (int size : node_sizes) {
            const std::string s = std::to_string(size);
            std::printf("%-9s %-22s %-22s %-22s\n", s.c_str(), ratio(wall_rates_, own(s, 2), own(s, 1)).c_str(),
                        ratio(wall_rates_, shared(s), own(s, 1)).c_str(),
                        ratio(wall_rates_, base(s, 2), base(s, 1)).c_str());
        }
    }

    bool failed() const { return failed_; }

private:
    static std::string own(const std::string &size, int threads)
    {
        return "pop_push_own_handles/" + size + "/real_time/threads:" + std::to_string(threads);
    }
    static std::string shared(const std::string &size)
    {
        return "pop_push_shared_handle/" + size + "/real_time/threads:2";
    }
    static std::string base(const std::string &size, int threads)
    {
        return "malloc_free/" + size + "/real_time/threads:" + std::to_string(threads);
    }

    using Rates = std::map<std::string, std::vector<double>>;  // by case, by round

    static void record(std::vector<double> &rates, std::size_t round, double rate)
    {
        rates.resize(std::max(rates.size(), round + 1));
        rates[round] = rate;
    }

    std::size_t rounds() const { return cpu_rates_.empty() ? 0 : cpu_rates_.begin()->second.size(); }

    // Median of the per-round ratios of a's rate to b's, and their quartiles.
    static std::string ratio(const Rates &rates, const std::string &a, const std::string &b)
    {
        const auto found_a = rates.find(a);
        const auto found_b = rates.find(b);
        if (found_a == rates.end() || found_b == rates.end()) {
            return "-";
        }
        std::vector<double> ratios;
        for (std::size_t round = 0; round < std::min(found_a->second.size(), found_b->second.size()); ++round) {
            ratios.push_back(found_a->second[round] / found_b->second[round]);
        }
        std::sort(ratios.begin(), ratios.end());
        char text[64];
        std::snprintf(text, sizeof text, "%.2fx [%.2f-%.2f]", quantile(ratios, 0.5), quantile(ratios, 0.25),
                      quantile(ratios, 0.75));
        return text;
    }

    // Of sorted values, linearly between the nearest two.
    static double quantile(const std::vector<double> &sorted, double q)
    {
        const double at = q * static_cast<double>(sorted.size() - 1);
        const auto below = static_cast<std::size_t>(at);
        const std::size_t above = std::min(below + 1, sorted.size() - 1);
        return sorted[below] + (sorted[above] - sorted[below]) * (at - static_cast<double>(below));
    }

    Rates cpu_rates_;
    Rates wall_rates_;
    bool failed_ = false;
};

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
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.failed() ? 1 : 0;
}
