// SPDX-License-Identifier: MIT
// A heap that tests can watch and make fail: libtest_heap.so puts its own
// malloc() and free() in front of the C library's, so calls from the
// memory-node library pass through it.
#pragma once

#include <cstddef>

extern "C" {

struct test_heap_calls {
    unsigned long mallocs;
    unsigned long frees;
    std::size_t last_size;  // of the last malloc
    void *last_freed;       // by the last free
};

// The next `count` calls of malloc() fail with ENOMEM.
void test_heap_fail_next(unsigned count);

// Counts the heap calls from now until test_heap_stop_recording().
void test_heap_start_recording(void);
test_heap_calls test_heap_stop_recording(void);
}
