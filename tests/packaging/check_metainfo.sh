#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The AppStream metadata validates offline with no error, warning or hint; the one pedantic
# note (upper case in the ID) is a choice.
#   check_metainfo.sh FILE
set -uo pipefail
out=$(appstreamcli validate --pedantic --no-net --explain "$1" 2>&1)
rc=$?
printf '%s\n' "$out"
# The <developer> block that AppStream 1.0 asks for is unknown to 0.16 (Debian 12), which names
# it as an unknown tag; any other finding counts.
found=$(grep -E '^[EWI]: ' <<<"$out" | grep -vE '^I: [^ ]+ unknown-tag developer$')
if ((rc != 0)) || [[ -n $found ]]; then
  printf 'findings:\n%s\n' "$found"
  exit 1
fi
