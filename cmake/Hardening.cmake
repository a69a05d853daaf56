# The one place where the hardening of every shipped file is set. Each
# deliverable calls harden_deliverable(), and so do the benchmarks' plain-C
# twins of the tools, to be built as the tools are; tests and stand-ins do
# not, and may build as they need.
include_guard(GLOBAL)
include(CheckPIESupported)
check_pie_supported(LANGUAGES C CXX)

# This glibc fortifies printf and its kin only under GCC (clang lacks
# __builtin_va_arg_pack); the checks of the built files will say so.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  message(WARNING "Deliverables are fully hardened with GCC only: "
    "${CMAKE_CXX_COMPILER_ID} builds them without fortified formatted output.")
endif()

add_library(deliverable_hardening INTERFACE)
target_compile_options(deliverable_hardening INTERFACE
  # Fortified output needs an optimising build, whatever the build type.
  $<$<CONFIG:Debug>:-O2>
  # Debug info in every build type, as distributions build, with the
  # compiler's switches recorded: the ABI and build-switch checks read them.
  -g -grecord-gcc-switches
  -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2
  -fstack-protector-strong
  -fstack-clash-protection
  -fcf-protection=full
  # Imports are all bound at load (-z now) into a read-only GOT, so calls go
  # through it directly rather than through a PLT stub.
  -fno-plt
  # No C++ runtime in a shipped file: the code is plain functions.
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
target_link_options(deliverable_hardening INTERFACE
  LINKER:-z,relro LINKER:-z,now LINKER:-z,noexecstack
  LINKER:--no-undefined
  # Only libraries that are used are needed; a link that must stay without
  # use says so with $<LINK_LIBRARY:KEEP_NEEDED,...>.
  LINKER:--as-needed)

set(CMAKE_LINK_LIBRARY_USING_KEEP_NEEDED
  "LINKER:--push-state,--no-as-needed" "<LINK_ITEM>" "LINKER:--pop-state")
set(CMAKE_LINK_LIBRARY_USING_KEEP_NEEDED_SUPPORTED TRUE)

function(harden_deliverable target)
  target_link_libraries(${target} PRIVATE deliverable_hardening)
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    # Linking through the C driver keeps libstdc++, libm and libgcc_s out of
    # the needed libraries; C++ that would need them fails to link instead.
    LINKER_LANGUAGE C)
endfunction()

