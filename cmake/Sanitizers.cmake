# SPDX-License-Identifier: MIT
# Sanitizer builds for testing: SANITIZE=address,undefined or SANITIZE=thread
# instruments everything in the build, deliverables included; their hardening
# stays as it is. Checks of the shipped files themselves (needed libraries,
# valgrind) are left to the plain build.
include_guard(GLOBAL)
set(SANITIZE "" CACHE STRING "Sanitizers for a test build (address,undefined or thread); empty for none")

if(SANITIZE)
  add_compile_options(-fsanitize=${SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=${SANITIZE})
endif()
