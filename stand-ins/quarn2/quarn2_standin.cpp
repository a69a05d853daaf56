// SPDX-License-Identifier: MIT
// Stand-in for the client library libquarn2.so.2: just enough of it for the
// client version tool to build, run and be tested.
#include <cstdio>

#ifndef QUARN2_STANDIN_TEXT
#error "the build names the version text"
#endif

#if defined(QUARN2_STANDIN_COUNT_CALLS)
static unsigned calls;

// Tells, once the program ends, how often it asked for the version.
__attribute__((destructor)) static void report_calls()
{
    std::fprintf(stderr, "quarn2 stand-in: %u call(s)\n", calls);
}
#endif

#if !defined(QUARN2_STANDIN_WITHOUT_FUNCTION)
extern "C" __attribute__((visibility("default"))) const char *quarn2_version(void)
{
#if defined(QUARN2_STANDIN_COUNT_CALLS)
    ++calls;
#endif
#if defined(QUARN2_STANDIN_NULL_TEXT)
    return nullptr;
#else
    return QUARN2_STANDIN_TEXT;
#endif
}
#else
// A library of the right name that lacks the function.
extern "C" __attribute__((visibility("default"))) const char *quarn2_release(void)
{
    return QUARN2_STANDIN_TEXT;
}
#endif
