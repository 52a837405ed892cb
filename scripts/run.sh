#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds the program in Release and starts it.
# Arguments are passed on to henon.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
# shellcheck source=scripts/deps.sh
source scripts/deps.sh
henon_install_deps run

dir=$root/build-release
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$dir" -j2 --target henon
exec "$dir/henon" "$@"
