#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the program in Release (in build-run) and starts it.
# Arguments are passed on to henon.
# Sourced, it only defines henon_run_build, so the run_route test builds exactly as this does.

# Configures and builds henon in the folder $1 as the run route does; further arguments go to
# the configure step. Options are given every time, so whatever an earlier configure of the
# folder chose does not stay: nothing that only the tests, benchmarks or fuzz targets use may be
# needed here, since only the run packages are installed.
henon_run_build() {
  local dir=$1 src
  shift
  src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  cmake -S "$src" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DHENON_TESTS=OFF \
    -DHENON_BENCH=OFF -DHENON_FUZZ=OFF -DHENON_SANITIZE=OFF -DHENON_WERROR=OFF "$@" &&
    cmake --build "$dir" -j2 --target henon
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
  # shellcheck source=scripts/deps.sh
  source "$root/scripts/deps.sh"
  henon_install_deps run
  henon_run_build "$root/build-run"
  exec "$root/build-run/henon" "$@"
fi
