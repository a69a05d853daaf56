# SPDX-License-Identifier: MIT
# The build's flags and the tools' loader behaviour are those of Linux on
# x86-64 with the GNU C library; anything else is refused here, in one
# sentence, rather than by a compiler error later.
include_guard(GLOBAL)
include(CheckCSourceCompiles)

set(platform "${CMAKE_SYSTEM_NAME} on ${CMAKE_SYSTEM_PROCESSOR}")
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
  # The compiler decides what it really targets (-m32, another C library).
  check_c_source_compiles([[
#include <features.h>
#if !defined(__x86_64__) || !defined(__GLIBC__)
#error not x86-64 with the GNU C library
#endif
int main(void) { return 0; }
]] QUARN_TARGET_IS_X86_64_GLIBC)
  if(QUARN_TARGET_IS_X86_64_GLIBC)
    return()
  endif()
  set(platform "${platform} without the GNU C library, or not for x86-64")
endif()
message(FATAL_ERROR "${PROJECT_NAME} supports only Linux on x86-64 with the GNU C library; "
  "this build is for ${platform}.")
