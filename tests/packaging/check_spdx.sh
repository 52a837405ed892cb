#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every tracked C++, shell, CMake and Python file names its licence in its first lines.
#   check_spdx.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
# A source tree without git (an unpacked tarball) has no list of tracked files.
git rev-parse --is-inside-work-tree >/dev/null 2>&1 || exit 77
mapfile -d '' -t files < <(git ls-files -z -- '*.cpp' '*.h' '*.sh' '*.py' '*.cmake' \
  '*CMakeLists.txt' .ci/run)
# The files that have no such line among their first three.
missing=$(awk 'FNR == 1 { if (NR > 1 && !ok) print name; ok = 0; name = FILENAME }
               FNR <= 3 && /SPDX-License-Identifier: MIT/ { ok = 1 }
               END { if (NR > 0 && !ok) print name }' "${files[@]}")
if [[ -n $missing ]]; then
  printf 'no SPDX-License-Identifier: MIT line: %s\n' $missing
  exit 1
fi
