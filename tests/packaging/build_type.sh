#!/bin/bash
# SPDX-License-Identifier: MIT
# Every build type that ships, with no flags of the builder's own, gives
# deliverables that are optimised, fortified, hardened and carry debug info;
# Debug gives them unoptimised, and hardened all the same. Each is read as
# the build under test's are.
#   build_type.sh SOURCE C_COMPILER CXX_COMPILER BUILD_TYPE
set -uo pipefail
type=$4
here=$(dirname "$0")
source "$here/sub_build.sh"

sub_build "$source" "$work/build" -DCMAKE_BUILD_TYPE="$type" || { fail "build type $type builds"; finish "$type"; }
[[ $type == Debug ]] && optimisation=unoptimised || optimisation=optimised
for deliverable in quarn2_version quarn_vadel_version orvek_memory_debug; do
  expect "$deliverable, built as $type, $optimisation" \
    "$here/../artifacts/check_deliverable.sh" "$work/build" "$deliverable" $optimisation
done
finish "build type $type"
