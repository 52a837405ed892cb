#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Tries the README's two commands as a new user of a Debian release would: bootstraps a fresh
# minimal root of SUITE, copies this tree in (without .git and build folders), and inside it, as
# root, runs `bash scripts/run.sh` until the main window maps on an X server outside the root,
# then `bash scripts/test.sh`. Prints how long each took, and the test stages' times.
#   sudo bash scripts/fresh-root.sh bookworm|trixie [ROOT]
# ROOT (default /var/tmp/henon-root-SUITE) is deleted and made anew at the start of every run,
# and left in place afterwards to look into. For developers: CI does not run this.
set -uo pipefail

suite=${1:-}
[[ $suite == bookworm || $suite == trixie ]] || {
  echo "usage: $0 bookworm|trixie [ROOT]" >&2
  exit 2
}
rootfs=$(realpath -m "${2:-/var/tmp/henon-root-$suite}")
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
((EUID == 0)) || { echo "fresh-root: debootstrap and chroot need root" >&2; exit 2; }
for tool in debootstrap Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "fresh-root: needs $tool on this machine" >&2; exit 2; }
done
[[ $rootfs != / && $rootfs != "$src"* ]] || { echo "fresh-root: unsafe ROOT $rootfs" >&2; exit 2; }

say() { printf '\n#### [%s] %s\n' "$(date -u +%H:%M:%S)" "$*"; }

# Everything mounted inside the root, deepest first.
unmount_all() {
  local m
  while read -r m; do
    umount "$m" 2>/dev/null || umount -l "$m"
  done < <(findmnt -rn -o TARGET | grep -E "^$rootfs(/|$)" | sort -r)
}

# Processes left running inside the root (the tests' buses, print server, X servers).
end_root_processes() {
  local pid sig
  for sig in TERM KILL; do
    for pid in /proc/[0-9]*; do
      [[ $(readlink "$pid/root" 2>/dev/null) == "$rootfs" ]] && kill -s "$sig" "${pid#/proc/}" 2>/dev/null
    done
    [[ $sig == TERM ]] && sleep 2
  done
}

xvfb_pid=
cleanup() {
  end_root_processes
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  unmount_all
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A fresh root every run; what a failed run left mounted goes first.
if [[ -e $rootfs ]]; then
  end_root_processes
  unmount_all
  rm -rf --one-file-system "$rootfs" || exit 1
fi

say "debootstrap --variant=minbase $suite $rootfs"
start=$SECONDS
# shellcheck disable=SC2086 # the mirror is optional
debootstrap --variant=minbase "$suite" "$rootfs" ${MIRROR:-} >"$rootfs.debootstrap.log" 2>&1 || {
  tail -n 20 "$rootfs.debootstrap.log"
  echo "fresh-root: debootstrap failed (log: $rootfs.debootstrap.log)" >&2
  exit 1
}
echo "bootstrapped in $((SECONDS - start)) s"
cp -L /etc/resolv.conf "$rootfs/etc/resolv.conf"

# The tree as a user would unpack it: no git, no build folder (one with a CMake cache, or
# named as .gitignore has it).
dest=/root/henon
mkdir -p "$rootfs$dest"
excludes=(--exclude=./.git --exclude='./build*')
while read -r b; do excludes+=(--exclude="$b"); done < <(cd "$src" &&
  find . -name CMakeCache.txt -printf '%h\n')
tar -C "$src" "${excludes[@]}" -cf - . | tar -C "$rootfs$dest" -xf - || exit 1

mount -t proc proc "$rootfs/proc" &&
  mount --bind /sys "$rootfs/sys" &&
  mount --bind /dev "$rootfs/dev" &&
  mount --bind /dev/pts "$rootfs/dev/pts" &&
  mount -t tmpfs -o mode=1777 shm "$rootfs/dev/shm" || exit 1

# A display number no one on this machine uses.
display=90
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do ((display++)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -S /tmp/.X11-unix/X$display ]] && break
  sleep 0.1
done
[[ -S /tmp/.X11-unix/X$display ]] || { echo "fresh-root: Xvfb did not start" >&2; exit 1; }
# Only this server's socket goes in: the tests start their own servers inside the root.
mkdir -p "$rootfs/tmp/.X11-unix"
chmod 1777 "$rootfs/tmp/.X11-unix"
touch "$rootfs/tmp/.X11-unix/X$display"
mount --bind "/tmp/.X11-unix/X$display" "$rootfs/tmp/.X11-unix/X$display" || exit 1

in_root() {
  chroot "$rootfs" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

say "bash scripts/run.sh (until the main window maps)"
log_run=$rootfs.run.log
start=$SECONDS
in_root DISPLAY=":$display" bash -c "cd $dest && exec bash scripts/run.sh" >"$log_run" 2>&1 &
run_pid=$!
run_secs=
while kill -0 "$run_pid" 2>/dev/null; do
  if DISPLAY=":$display" xdotool search --onlyvisible --name '^2D Time Series$' >/dev/null 2>&1
  then
    run_secs=$((SECONDS - start))
    break
  fi
  sleep 0.5
done
# The program runs under chroot's children: end it, and whatever else run.sh started.
end_root_processes
wait "$run_pid" 2>/dev/null
tail -n 5 "$log_run"
if [[ -z $run_secs ]]; then
  echo "fresh-root: run.sh ended before the main window mapped (log: $log_run)" >&2
  exit 1
fi
if grep -qi 'warning:' "$log_run"; then
  echo "fresh-root: the run build printed warnings (log: $log_run)" >&2
fi
echo "run.sh: main window after $run_secs s"
umount "$rootfs/tmp/.X11-unix/X$display" && rm -f "$rootfs/tmp/.X11-unix/X$display"

say "bash scripts/test.sh"
log_test=$rootfs.test.log
start=$SECONDS
in_root bash -c "cd $dest && exec bash scripts/test.sh" 2>&1 | tee "$log_test"
test_rc=${PIPESTATUS[0]}
test_secs=$((SECONDS - start))

say "$suite: times"
echo "run.sh until the main window: $run_secs s"
echo "test.sh: $test_secs s, exit code $test_rc (log: $log_test)"
# test.sh's banners carry the time since it started; each stage lasts until the next banner.
grep -E '^==== \[[0-9]+m[0-9]+s\]' "$log_test" |
  sed -E 's/^==== \[([0-9]+)m([0-9]+)s\] (.*)/\1 \2 \3/' |
  awk -v total="$test_secs" '
    { t[NR] = $1 * 60 + $2; $1 = $2 = ""; name[NR] = substr($0, 3) }
    END {
      printf "  %-40s %5d s\n", "set-up (packages, locale)", t[1]
      for (i = 1; i <= NR; i++)
        printf "  %-40s %5d s\n", name[i], (i < NR ? t[i + 1] : total) - t[i]
    }'
exit "$test_rc"
