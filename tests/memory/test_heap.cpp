// SPDX-License-Identifier: MIT
#include "test_heap.h"

#include <atomic>
#include <cerrno>

// The C library's own allocator, under the names it exports for this use.
extern "C" void *__libc_malloc(std::size_t size);
extern "C" void __libc_free(void *block);

namespace {
std::atomic<unsigned> failures_due{0};
std::atomic<bool> recording{false};
test_heap_calls calls{};
}  // namespace

extern "C" {

void test_heap_fail_next(unsigned count)
{
    failures_due = count;
}

void test_heap_start_recording(void)
{
    calls = {};
    recording = true;
}

test_heap_calls test_heap_stop_recording(void)
{
    recording = false;
    return calls;
}

__attribute__((visibility("default"))) void *malloc(std::size_t size) noexcept
{
    if (recording) {
        ++calls.mallocs;
        calls.last_size = size;
    }
    unsigned due = failures_due.load();
    while (due > 0) {
        if (failures_due.compare_exchange_weak(due, due - 1)) {
            errno = ENOMEM;
            return nullptr;
        }
    }
    return __libc_malloc(size);
}

__attribute__((visibility("default"))) void free(void *block) noexcept
{
    if (recording) {
        ++calls.frees;
        calls.last_freed = block;
    }
    __libc_free(block);
}
}
