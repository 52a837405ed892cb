#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The manual page renders, and neither man nor groff has anything to say about it.
set -euo pipefail
page=$1
out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
if [[ -n $out ]]; then
  printf '%s\n' "$out"
  exit 1
fi
# The page has the sections a reader looks for.
text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null)
for section in NAME SYNOPSIS DESCRIPTION PARAMETERS "WINDOWS AND MENUS" "MOUSE SELECTION" \
  "CUT-OFF LIMITS" PRINTING MESSAGES; do
  grep -qx -- "$section" <<<"$text" || { echo "no section $section"; exit 1; }
done
