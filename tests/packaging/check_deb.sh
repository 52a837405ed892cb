#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from a configured and built tree, lists it, checks that it holds
# what a desktop application needs, and runs lintian on it.
#   check_deb.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3
out=$build/package
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB -B "$out" --config "$build/CPackConfig.cmake" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; exit 1; }
deb=$out/henon_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || { echo "no $deb"; ls "$out"; exit 1; }

fail=0
bad() { echo "FAIL: $*"; fail=1; }

echo "== $(basename "$deb"), $(stat -c %s "$deb") bytes"
dpkg-deb --info "$deb"
echo "== contents"
contents=$(dpkg-deb --contents "$deb")
printf '%s\n' "$contents"
files=$(awk '{ print $NF }' <<<"$contents" | sed 's,^\./,/,')

expected=(
  /usr/bin/henon
  "/usr/share/applications/$id.desktop"
  "/usr/share/metainfo/$id.metainfo.xml"
  "/usr/share/icons/hicolor/scalable/apps/$id.svg"
  /usr/share/man/man1/henon.1.gz
  /usr/share/doc/henon/copyright
  /usr/share/doc/henon/changelog.gz
)
for size in 16 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
for f in "${expected[@]}"; do
  grep -qxF -- "$f" <<<"$files" || bad "the package lacks $f"
done

field() { dpkg-deb --field "$deb" "$1"; }
[[ $(field Package) == henon ]] || bad "package name $(field Package)"
[[ $(field Version) == "$version" ]] || bad "version $(field Version), project says $version"
[[ $(field Section) == science ]] || bad "section $(field Section)"
# Computed from the binary, not written by hand.
[[ $(field Depends) == *libqt6widgets6* && $(field Depends) == *libc6* ]] ||
  bad "dependencies not computed: $(field Depends)"

tree=$out/tree
dpkg-deb --extract "$deb" "$tree"
file "$tree/usr/bin/henon" | grep -q ', stripped' || bad "the binary is not stripped"
# Every release names its version in the Debian changelog and the AppStream releases.
zcat "$tree/usr/share/doc/henon/changelog.gz" | head -1 | grep -qF "henon ($version)" ||
  bad "the Debian changelog does not start with $version"
grep -qF "<release version=\"$version\"" "$tree/usr/share/metainfo/$id.metainfo.xml" ||
  bad "the AppStream metadata has no release $version"
# The metadata, desktop entry and icon as installed belong together.
echo "== appstreamcli validate-tree"
appstreamcli validate-tree --pedantic --no-net "$tree" || bad "appstreamcli validate-tree"

echo "== lintian"
# lintian warns when run as root; that line is not about the package.
lint=$(lintian --pedantic --display-info --show-overrides "$deb" 2>&1 |
  grep -v '^running with root privileges' || true)
printf '%s\n' "$lint"
if grep -qE '^[EW]: ' <<<"$lint"; then bad "lintian reports errors or warnings"; fi

exit "$fail"
