#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh DESTDIR as a distribution would (prefix
# /usr) and checks what a user and a C programmer get from it.
# Usage: InstallTree.sh BUILD_DIR EXAMPLES_DIR LIBDIR VERSION
set -euo pipefail
build="$1" examples="$2" libdir="$3" version="$4"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
usr="$root/usr"

for f in bin/kelvane include/kelvane.h "$libdir/pkgconfig/kelvane.pc" \
    share/applications/org.sedora.Sedora.desktop \
    share/mime/packages/org.sedora.Sedora.xml \
    share/metainfo/org.sedora.Sedora.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.sedora.Sedora.svg \
    share/doc/sedora/guide.md; do
    [ -f "$usr/$f" ] || fail "$f is not installed"
done

# Every picture the guide shows is installed beside it.
pictures="$(grep -o 'screenshots/[a-z-]*\.png' "$usr/share/doc/sedora/guide.md" 2>/dev/null | sort -u || true)"
[ -n "$pictures" ] || fail "the installed guide shows no pictures"
for picture in $pictures; do
    [ -f "$usr/share/doc/sedora/$picture" ] || fail "the guide's $picture is not installed"
done

# The library: the real file, the soname link the program loads, and the
# development link the linker finds.
lib="$usr/$libdir"
if [ ! -f "$lib/libkelvane.so.$version" ] || [ -L "$lib/libkelvane.so.$version" ]; then
    fail "no libkelvane.so.$version"
fi
[ "$(readlink "$lib/libkelvane.so.0" || true)" = "libkelvane.so.$version" ] \
    || fail "libkelvane.so.0 does not point to libkelvane.so.$version"
[ "$(readlink "$lib/libkelvane.so" || true)" = "libkelvane.so.0" ] \
    || fail "libkelvane.so does not point to libkelvane.so.0"
readelf -d "$lib/libkelvane.so.$version" | grep -q 'SONAME.*\[libkelvane\.so\.0\]' \
    || fail "the library's soname is not libkelvane.so.0"

# The program reaches its library by the loader's search, not only by its
# own candidates: its RUNPATH names the library folder.
runpath="$(readelf -d "$usr/bin/kelvane" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')"
[ "$runpath" = "\$ORIGIN/../$libdir" ] || fail "kelvane's RUNPATH is '$runpath'"
[ -f "$usr/bin/${runpath#\$ORIGIN/}/libkelvane.so.0" ] || fail "RUNPATH misses the library"

# Icons at every size the themes look for, each of its own size.
for size in 16 22 24 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${size}x${size}/apps/org.sedora.Sedora.png"
    if [ ! -f "$png" ]; then
        fail "no ${size}x${size} icon"
    elif ! file "$png" | grep -q "PNG image data, $size x $size,"; then
        fail "$(file "$png")"
    fi
done

man="$usr/share/man/man1/kelvane.1.gz"
if gzip -t "$man" 2>/dev/null; then
    gzip -dc "$man" | grep -q "^\.TH KELVANE 1 .*Sedora $version" || fail "the man page's title"
    # Every option the program's help names is in the manual page.
    options="$("$usr/bin/kelvane" --help | grep -oE '(^|[ ,])--?[a-z]+' | tr -d ' ,')"
    [ -n "$options" ] || fail "kelvane --help names no options"
    for option in $options; do
        gzip -dc "$man" | grep -qF -- "${option//-/\\-}" || fail "the man page lacks $option"
    done
    if command -v man >/dev/null; then
        warnings="$(man --warnings -l "$man" 2>&1 >/dev/null || true)"
        [ -z "$warnings" ] || fail "man page warnings: $warnings"
    fi
else
    fail "no gzipped man page"
fi

# A C program built against the installed header and library through
# pkg-config alone.
export PKG_CONFIG_PATH="$lib/pkgconfig"
[ "$(pkg-config --modversion kelvane)" = "$version" ] || fail "pkg-config version"
work="$root/c"
mkdir "$work"
# shellcheck disable=SC2046
cc -std=c99 -Wall -Wextra -Werror -o "$work/read-scan" "$(dirname "$0")/ReadScan.c" \
    $(pkg-config --cflags --libs kelvane)
output="$(LD_LIBRARY_PATH="$lib" "$work/read-scan" "$examples/radius-scan.dat")"
[ "$output" = "434 points, 2 comment lines, first x 5.90000" ] || fail "read-scan said '$output'"
# XI units come back as radii: the same scan.
output="$(LD_LIBRARY_PATH="$lib" "$work/read-scan" "$examples/xi-scan.dat")"
[ "${output%%,*}" = "434 points" ] || fail "read-scan on the XI scan said '$output'"

[ "$failures" -eq 0 ] || exit 1
echo "installed tree complete"
