#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every tracked C++, shell, CMake and Python file names its licence in its first lines.
# In a source tree without git (an unpacked tarball) every such file on disk, outside build
# folders, is checked instead.
#   check_spdx.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
if [[ -e .git ]] && command -v git >/dev/null; then
  mapfile -d '' -t files < <(git ls-files -z -- '*.cpp' '*.h' '*.sh' '*.py' '*.cmake' \
    '*CMakeLists.txt' .ci/run)
else
  # A build folder is one with a CMake cache, or named as .gitignore has it.
  mapfile -t builds < <(find . -name CMakeCache.txt -printf '%h\n')
  prune=(-path ./.git -o -path './build*')
  for b in "${builds[@]}"; do prune+=(-o -path "$b"); done
  mapfile -d '' -t files < <(find . \( "${prune[@]}" \) -prune -o -type f \( -name '*.cpp' \
    -o -name '*.h' -o -name '*.sh' -o -name '*.py' -o -name '*.cmake' -o -name CMakeLists.txt \
    -o -path ./.ci/run \) -print0 | sort -z)
fi
# Without this, awk would read standard input.
((${#files[@]})) || { echo "no source files found in $PWD"; exit 1; }
# The files that have no such line among their first three.
missing=$(awk 'FNR == 1 { if (NR > 1 && !ok) print name; ok = 0; name = FILENAME }
               FNR <= 3 && /SPDX-License-Identifier: MIT/ { ok = 1 }
               END { if (NR > 0 && !ok) print name }' "${files[@]}")
if [[ -n $missing ]]; then
  printf 'no SPDX-License-Identifier: MIT line: %s\n' $missing
  exit 1
fi
echo "${#files[@]} files name their licence"
