#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, then builds and runs every test:
#   1. clang-format check
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build (gcc), all tests but the end-to-end
#      and packaging ones
#   3. libFuzzer targets (clang), bounded runs
#   4. Release build with the benchmarks, every test (end-to-end and packaging included); its
#      CTest summary is the last thing printed.
# Every build treats warnings as errors; a stage that runs no test, or skips one, fails.
# Every stage runs even if an earlier one failed; the exit code is non-zero if any failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/deps.sh
source scripts/deps.sh
henon_install_deps test || exit 1
# The locale tests need a locale whose decimal separator is a comma; localedef adds it once.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 ||
    echo "test: cannot add de_DE.UTF-8; its test will skip, which fails the run" >&2
fi

jobs=2
ctest_args=(--output-on-failure -j"$jobs" --timeout 600 --no-tests=error)
failed=()

# Runs the tests of the build folder $1; further arguments go to ctest. A test that did not run
# fails the stage: everything the tests need is installed above, so a skip means a check that
# checked nothing.
run_tests() {
  local dir=$1 log rc skipped
  shift
  log=$(mktemp)
  ctest --test-dir "$dir" "$@" "${ctest_args[@]}" | tee "$log"
  rc=${PIPESTATUS[0]}
  skipped=$(grep -E '^\s*[0-9]+ - .* \((Skipped|Disabled)\)$' "$log")
  rm -f "$log"
  if [[ -n $skipped ]]; then
    printf 'Tests that did not run, which fails this run:\n%s\n' "$skipped"
    return 1
  fi
  return "$rc"
}

banner() { printf '\n==== [%dm%02ds] %s\n' $((SECONDS / 60)) $((SECONDS % 60)) "$*"; }

format_check() {
  local files
  mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' 2>/dev/null | sort)
  clang-format --dry-run -Werror "${files[@]}"
}

sanitize_stage() (
  local dir=$root/build-asan
  # Any report ends the process with an error, so a finding fails its test. The same options
  # apply to the test-discovery runs inside the build.
  export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHENON_WERROR=ON \
    -DHENON_TESTS=ON -DHENON_BENCH=OFF -DHENON_FUZZ=OFF -DHENON_SANITIZE=ON &&
    cmake --build "$dir" -j"$jobs" &&
    # The e2e scenarios start their own X server, buses and CUPS and wait on the real program,
    # and the packaging tests check files, not code: both run once, against the Release build.
    run_tests "$dir" -LE "e2e|packaging"
)

fuzz_stage() {
  local dir=$root/build-fuzz
  # Only the fuzz targets: the other stages cover the Qt program and the tests.
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHENON_WERROR=ON -DHENON_TESTS=OFF -DHENON_BENCH=OFF -DHENON_SANITIZE=OFF -DHENON_FUZZ=ON &&
    cmake --build "$dir" -j"$jobs" --target henon_fuzz &&
    run_tests "$dir"
}

release_configure_build() {
  local dir=$root/build-release
  # The benchmarks are built, not run: bench/run.sh runs them on a quiet machine.
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHENON_WERROR=ON -DHENON_TESTS=ON \
    -DHENON_BENCH=ON -DHENON_FUZZ=OFF -DHENON_SANITIZE=OFF &&
    cmake --build "$dir" -j"$jobs"
}

banner "clang-format"
format_check || failed+=(clang-format)

banner "ASan + UBSan build (build-asan)"
sanitize_stage || failed+=(sanitizers)

banner "libFuzzer build (build-fuzz)"
fuzz_stage || failed+=(fuzz)

banner "Release build (build-release)"
if release_configure_build; then
  if ((${#failed[@]})); then
    echo "Earlier stages failed: ${failed[*]} (see above); this run will exit non-zero."
  fi
  run_tests "$root/build-release" || failed+=(release-tests)
else
  failed+=(release-build)
  echo "Release build failed; stages that failed: ${failed[*]}"
fi

((${#failed[@]} == 0))
