# SPDX-License-Identifier: MIT
# Tests and benchmarks are switches of their own; the deliverables need
# neither framework.
#
# optional_part(SWITCH WHAT FRAMEWORK DEBIAN_PACKAGE PACKAGE [find_package arguments])
#
# Left at its default, SWITCH is ON where PACKAGE is found, and otherwise
# OFF, with one line saying what is left out and which Debian package brings
# it. Given explicitly as ON, a missing PACKAGE stops the configuration, so
# that a build that asked for tests or benchmarks never runs without them.
include_guard(GLOBAL)

macro(optional_part switch what framework debian package)
  if(NOT DEFINED CACHE{${switch}})
    find_package(${package} ${ARGN} QUIET)
    if(${package}_FOUND)
      option(${switch} "Build ${what} (${framework})" ON)
    else()
      option(${switch} "Build ${what} (${framework})" OFF)
      message(STATUS "${what} left out: ${framework} not found (Debian package ${debian}).")
    endif()
  elseif(${switch})
    find_package(${package} ${ARGN} QUIET)
    if(NOT ${package}_FOUND)
      message(FATAL_ERROR "${switch} is ON but ${framework} was not found (Debian package ${debian}); "
        "install it, or configure with -D${switch}=OFF.")
    endif()
  endif()
endmacro()
