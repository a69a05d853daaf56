// SPDX-License-Identifier: MIT
// The sanitizers' options for the test programs, built into them so that
// every run, a plain ctest or a debugger, behaves as the suite expects: a
// node the heap cannot supply comes back null, as the library documents,
// rather than stopping the program, and every report stops it.
extern "C" {

__attribute__((used)) const char *__asan_default_options()
{
    return "allocator_may_return_null=1:detect_leaks=1:halt_on_error=1";
}

__attribute__((used)) const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

__attribute__((used)) const char *__tsan_default_options()
{
    return "allocator_may_return_null=1:halt_on_error=1:second_deadlock_stack=1";
}
}
