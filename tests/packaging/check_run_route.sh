#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The run route and the README's plain CMake route need no package that only the tests,
# benchmarks or fuzz targets use. On a machine that has them all, CMake is told not to find them.
#   check_run_route.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$1 work=$2

# Whatever tests/, bench/ and fuzz/ look for that the program itself does not; GMock comes
# with GoogleTest.
mapfile -t program < <(grep -ohP 'find_package\(\K\w+' "$src/CMakeLists.txt" | sort -u)
mapfile -t others < <(grep -ohP 'find_package\(\K\w+' "$src"/{tests,bench,fuzz}/CMakeLists.txt |
  sort -u)
hidden=(-DCMAKE_DISABLE_FIND_PACKAGE_GMock=ON)
for p in "${others[@]}"; do
  [[ " ${program[*]} " == *" $p "* ]] || hidden+=("-DCMAKE_DISABLE_FIND_PACKAGE_$p=ON")
done
[[ " ${hidden[*]} " == *_GTest=ON* ]] || { echo "GoogleTest is not among ${hidden[*]}"; exit 1; }
echo "hidden from CMake: ${hidden[*]}"

# As on a fresh machine, nothing cached; objects of an earlier run are reused.
rm -f "$work/run/CMakeCache.txt" "$work/plain/CMakeCache.txt"
# shellcheck source=scripts/run.sh
source "$src/scripts/run.sh"
henon_run_build "$work/run" "${hidden[@]}"
[[ -x $work/run/henon ]] || { echo "run route built no henon"; exit 1; }

# The plain route configures with the defaults; it builds the same program.
cmake -S "$src" -B "$work/plain" -DCMAKE_BUILD_TYPE=Release "${hidden[@]}" >"$work/plain.log" 2>&1 ||
  { cat "$work/plain.log"; echo "the plain CMake route does not configure"; exit 1; }
