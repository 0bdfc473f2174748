#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package from the build tree into a fresh folder, as
# scripts/package does, and checks its files and control fields.
# Usage: PackageCheck.sh BUILD_DIR VERSION
set -euo pipefail
build="$1" version="$2"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 \
    || { cat "$out/cpack.log"; exit 1; }
debs=("$out"/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    ls "$out"
    exit 1
fi
deb="${debs[0]}"
arch="$(dpkg --print-architecture)"
[ "$(basename "$deb")" = "sedora_${version}_${arch}.deb" ] || fail "file name $(basename "$deb")"

contents="$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./||')"
has() { grep -qx -- "$1" <<<"$contents" || fail "the package lacks $1"; }
has usr/bin/kelvane
libdir="$(grep -o '^usr/lib/\([a-z0-9_-]*-linux-gnu[a-z0-9_]*/\)\?libkelvane\.so\.0$' <<<"$contents" \
    | xargs -r dirname || true)"
[ -n "$libdir" ] || fail "the package lacks usr/lib/[<multiarch>/]libkelvane.so.0"
has "$libdir/libkelvane.so.$version"
has usr/include/kelvane.h
has "$libdir/pkgconfig/kelvane.pc"
has usr/share/applications/org.sedora.Sedora.desktop
has usr/share/mime/packages/org.sedora.Sedora.xml
has usr/share/metainfo/org.sedora.Sedora.metainfo.xml
has usr/share/man/man1/kelvane.1.gz
has usr/share/icons/hicolor/scalable/apps/org.sedora.Sedora.svg
has usr/share/doc/sedora/guide.md
has usr/share/doc/sedora/copyright
has usr/share/doc/sedora/screenshots/main-window.png
for size in 16 22 24 32 48 64 128 256; do
    has "usr/share/icons/hicolor/${size}x${size}/apps/org.sedora.Sedora.png"
done
# Nothing of the tests or benchmarks, and nothing outside /usr.
stray="$(grep -E '(^|/)(kelvane_bench|[a-z_]*_tests?|fuzz_[a-z_]*|lib(gtest|benchmark)[^/]*)$' <<<"$contents" || true)"
[ -z "$stray" ] || fail "test or benchmark files in the package: $stray"
outside="$(grep -v -e '^usr/' -e '^$' <<<"$contents" || true)"
[ -z "$outside" ] || fail "files outside /usr: $outside"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sedora ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Section)" = science ] || fail "Section: $(field Section)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Description)" ] || fail "no Description"
long="$(field Description | awk 'length > 80')"
[ -z "$long" ] || fail "Description lines longer than 80 characters: $long"
depends="$(field Depends)"
# What dpkg-shlibdeps found in the program, and what it cannot see.
for dependency in libqt6widgets6 libqt6printsupport6 libqt6svg6 libc6 qt6-qpa-plugins; do
    grep -qE "(^|, )$dependency( |,|$)" <<<"$depends" || fail "Depends lacks $dependency: $depends"
done
# The manual page is compressed as Debian has them, and the program stripped.
dpkg-deb -x "$deb" "$out/root"
gzip -t "$out/root/usr/share/man/man1/kelvane.1.gz" || fail "the man page is no gzip file"
file "$out/root/usr/bin/kelvane" | grep -q ', stripped' || fail "kelvane is not stripped"

[ "$failures" -eq 0 ] || exit 1
echo "$(basename "$deb"): complete"
