# SPDX-License-Identifier: MIT
# The one place where the hardening of every shipped file is set. Each
# deliverable calls harden_deliverable(), and so do the benchmarks' start-up
# floors, to be built as the tools are; tests and stand-ins do not, and may
# build as they need.
#
# A packager's flags (CFLAGS, CXXFLAGS, the build type's own) come first on
# every compile line and are only ever added to. Where a later switch would
# override theirs (an optimisation, debug-info or fortification level, an
# all-functions stack protector), it is added only where their flags give
# none, so -O0, -g3 or -D_FORTIFY_SOURCE=3 stay as they are.
include_guard(GLOBAL)
include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)

# The GNU C library fortifies printf and its kin in C++ under GCC, and under
# clang only from glibc 2.40 on (measured: Debian 13's 2.41 does, through
# __vprintf_chk; Debian 12's 2.36 does not). The checks of the built files
# say the same.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  include(CheckCXXSourceCompiles)
  check_cxx_source_compiles([[
#include <features.h>
#if !__GLIBC_PREREQ(2, 40)
#error printf is not fortified for this compiler
#endif
int main() { return 0; }
]] QUARN_GLIBC_FORTIFIES_PRINTF_FOR_CLANG)
  if(NOT QUARN_GLIBC_FORTIFIES_PRINTF_FOR_CLANG)
    message(WARNING "Deliverables are fully hardened with GCC only here: this C library "
      "(before 2.40) does not fortify printf in C++ built by ${CMAKE_CXX_COMPILER_ID}.")
  endif()
endif()

add_library(deliverable_hardening INTERFACE)
target_compile_options(deliverable_hardening INTERFACE
  # GCC's switches go into the debug info, where the checks of the built
  # files read them. Clang would record its whole command line, build paths
  # and all, so that no two folders gave the same bytes.
  $<$<COMPILE_LANG_AND_ID:C,GNU>:-grecord-gcc-switches>
  $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-grecord-gcc-switches>
  -fstack-clash-protection
  -fcf-protection=full
  # Every function keeps its frame, so the sanitizers' fast unwinders and
  # profilers see each caller: a user's report names the user's own function
  # that called into the library, not just the one above it.
  -fno-omit-frame-pointer
  # Imports are all bound at load (-z now) into a read-only GOT, so calls go
  # through it directly rather than through a PLT stub.
  -fno-plt
  # Installed files carry no path of the machine they were built on: the
  # same source gives the same bytes wherever it is built. The build folder
  # is named after the source folder, as it often lies inside it.
  -ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
  -ffile-prefix-map=${PROJECT_BINARY_DIR}=build
  # No C++ runtime in a shipped file: the code is plain functions.
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
target_link_options(deliverable_hardening INTERFACE
  LINKER:-z,relro LINKER:-z,now LINKER:-z,noexecstack
  LINKER:--no-undefined
  # Only libraries that are used are needed: this is what keeps libstdc++,
  # libm and libgcc_s, which the C++ link line names, out of the shipped
  # files (the checks of the built files read their needed libraries). A link
  # that must stay without use says so with $<LINK_LIBRARY:KEEP_NEEDED,...>.
  LINKER:--as-needed)

set(CMAKE_LINK_LIBRARY_USING_KEEP_NEEDED
  "LINKER:--push-state,--no-as-needed" "<LINK_ITEM>" "LINKER:--pop-state")
set(CMAKE_LINK_LIBRARY_USING_KEEP_NEEDED_SUPPORTED TRUE)

# The switches that a packager's flags may already have decided, per
# language and build type.
function(add_switches_the_flags_leave_open)
  if(CMAKE_CONFIGURATION_TYPES)
    set(hardening_configs ${CMAKE_CONFIGURATION_TYPES})
  else()
    set(hardening_configs "${CMAKE_BUILD_TYPE}")
  endif()
  foreach(lang IN ITEMS C CXX)
    # A compiler that fortifies by default (as some distributions' do) keeps
    # its own level.
    execute_process(COMMAND ${CMAKE_${lang}_COMPILER} -O2 -dM -E -x c /dev/null
      OUTPUT_VARIABLE predefined ERROR_QUIET)
    foreach(config IN LISTS hardening_configs)
      string(TOUPPER "${config}" CONFIG)
      set(given " ${CMAKE_${lang}_FLAGS} ${CMAKE_${lang}_FLAGS_${CONFIG}} ")
      set(added "")
      set(optimised ON)
      if(NOT given MATCHES " -O")
        if(config STREQUAL "Debug")
          # Debug is for stepping through the code as written: unoptimised,
          # as with a packager's -O0.
          set(optimised OFF)
        else()
          # The build types that ship are optimised, which fortified output
          # needs.
          list(APPEND added -O2)
        endif()
      elseif(given MATCHES ".* -O([^ ]*) " AND CMAKE_MATCH_1 STREQUAL "0")
        set(optimised OFF)
      endif()
      if(NOT given MATCHES " -g(gdb|dwarf(-[0-9])?)?[0-3]? ")
        # Debug info in every build type, as distributions build.
        list(APPEND added -g)
      endif()
      # Unoptimised, glibc fortifies nothing and warns of it.
      if(optimised AND NOT given MATCHES "_FORTIFY_SOURCE" AND NOT predefined MATCHES "#define _FORTIFY_SOURCE ")
        list(APPEND added -D_FORTIFY_SOURCE=2)
      endif()
      if(NOT given MATCHES " -fstack-protector-all ")
        list(APPEND added -fstack-protector-strong)
      endif()
      target_compile_options(deliverable_hardening INTERFACE
        "$<$<AND:$<COMPILE_LANGUAGE:${lang}>,$<CONFIG:${config}>>:${added}>")
    endforeach()
  endforeach()
endfunction()
add_switches_the_flags_leave_open()

function(harden_deliverable target)
  target_link_libraries(${target} PRIVATE deliverable_hardening)
  set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
endfunction()
