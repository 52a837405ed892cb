#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian 12 or 13 packages henon needs: `run` for building and running it, `test`
# (the default) for that and everything the tests use. Sourced by run.sh and test.sh; can also be
# run on its own:  bash scripts/deps.sh [run|test]
# apt-get runs only when a package is missing, so a set-up machine never touches the network.

# Building and running.
HENON_RUN_PACKAGES=(
  build-essential cmake ninja-build g++
  qt6-base-dev libgl-dev      # Qt6Gui's CMake config looks for the OpenGL headers
  libxcb1-dev                 # frame extents from the X window manager
  libcups2-dev                # printing: the page goes to CUPS directly
  fonts-dejavu-core           # the sans-serif font the windows draw their text in
)

# Tests only.
HENON_TEST_PACKAGES=(
  clang libclang-rt-dev       # libFuzzer targets; the release's default clang
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format
  # end-to-end tests: a real X server, accessibility bus, input, printing
  xvfb xauth xdotool at-spi2-core dbus-x11
  openbox x11-utils           # a decorating window manager; xprop and xwininfo to measure it
  python3-xlib                # a desktop panel that reserves a strip of the screen
  libxfixes3 libxcursor1      # the pointer image shown, and the theme's wait cursor
  locales                     # the locale sources a German-locale scenario compiles
  python3-pyatspi python3-pil python3-gi
  weston qt6-wayland          # the scenarios on Wayland
  cups cups-client printer-driver-cups-pdf poppler-utils
  # packaging: metadata, manual page, Debian package
  appstream desktop-file-utils man-db groff-base file dpkg-dev fakeroot lintian
)

# Prints the packages of the set named by $1 (run or test) that are not installed.
henon_missing_packages() {
  local wanted=("${HENON_RUN_PACKAGES[@]}")
  [[ ${1:-test} == run ]] || wanted+=("${HENON_TEST_PACKAGES[@]}")
  # One dpkg-query for all; packages it does not know print nothing.
  local -A installed=()
  local status name
  while read -r status name; do
    [[ $status == installed ]] && installed[$name]=1
  done < <(dpkg-query -W -f='${db:Status-Status} ${Package}\n' "${wanted[@]}" 2>/dev/null)
  local p
  for p in "${wanted[@]}"; do
    [[ -n ${installed[$p]:-} ]] || echo "$p"
  done
}

henon_install_deps() {
  local set=${1:-test} missing
  mapfile -t missing < <(henon_missing_packages "$set")
  if ((${#missing[@]} == 0)); then
    echo "deps: everything for '$set' is installed"
    return 0
  fi
  echo "deps: installing ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then
    command -v sudo >/dev/null || { echo "deps: run as root or install sudo" >&2; return 1; }
    sudo=(sudo)
  fi
  # Without systemd (containers, CI) a package's postinst trying to start its service (cups,
  # dbus) can fail the whole install; policy-rc.d answering 101 tells invoke-rc.d not to start
  # anything. Only added if the machine has none, and removed afterwards.
  local policy=/usr/sbin/policy-rc.d added_policy=0
  if [[ ! -e $policy ]]; then
    printf '#!/bin/sh\nexit 101\n' | "${sudo[@]}" tee "$policy" >/dev/null
    "${sudo[@]}" chmod 755 "$policy"
    added_policy=1
  fi
  local rc=0
  # A source that cannot be reached makes update fail even when Debian's own lists came in;
  # the install below says whether what we need is there.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null ||
    echo "deps: apt-get update reported errors; trying the install anyway" >&2
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
    "${missing[@]}" </dev/null || rc=$?
  ((added_policy)) && "${sudo[@]}" rm -f "$policy"
  if ((rc != 0)); then
    echo "deps: apt-get failed ($rc)" >&2
    return "$rc"
  fi
  mapfile -t missing < <(henon_missing_packages "$set")
  if ((${#missing[@]} != 0)); then
    echo "deps: still missing after install: ${missing[*]}" >&2
    return 1
  fi
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
  set -euo pipefail
  henon_install_deps "${1:-test}"
fi
