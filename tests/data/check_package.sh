#!/bin/sh
# shellcheck disable=SC2015 # "a && b || fail" means to fail when either step does
# Validates the desktop files and the manual page, then installs into a scratch tree and
# checks that everything a desktop needs lands where it looks for it.
# Usage: check_package.sh BUILD_DIR SOURCE_DIR BINDIR (bin, or games as Debian has it)
set -eu
build=$1 data=$2/data bindir=$3
fail() { echo "check_package: $*" >&2; exit 1; }

# Every validator must be silent: a warning counts as a failure.
out=$(desktop-file-validate "$data/io.github.driftbeam.Driftbeam.desktop" 2>&1) && [ -z "$out" ] ||
  fail "desktop entry: $out"
# appstreamcli fails on warnings as well as errors; its info notes are allowed.
out=$(appstreamcli validate --pedantic --no-net "$data/io.github.driftbeam.Driftbeam.metainfo.xml" 2>&1) ||
  fail "metainfo: $out"
out=$(groff -man -ww -z "$data/driftbeam.6" 2>&1) && [ -z "$out" ] || fail "man page: $out"

# What the validators let pass. SDL names the window's class after the program, and a
# desktop ties a running window to its launcher by that class.
desktop=$data/io.github.driftbeam.Driftbeam.desktop metainfo=$data/io.github.driftbeam.Driftbeam.metainfo.xml
grep -qx "StartupWMClass=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")" "$desktop" ||
  fail "desktop entry: StartupWMClass is not the program's name"
# Debian 12's software centre reads <developer_name>, not <developer>.
for tag in '<developer_name>' '<url type="homepage">' '<url type="bugtracker">'; do
  grep -qF "$tag" "$metainfo" || fail "metainfo: no $tag"
done
# The stores fetch the README's picture from the home page's main branch.
shot=$(sed -n 's|.*<image[^>]*>https://raw.githubusercontent.com/driftbeam/driftbeam/main/\(.*\)</image>|\1|p' "$metainfo")
[ -n "$shot" ] && [ -f "$2/$shot" ] || fail "metainfo: the screenshot is not a picture of this tree"
for section in BUGS 'SEE ALSO'; do
  grep -qx "\.SH $section" "$data/driftbeam.6" || fail "man page: no $section section"
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
trap 'exit 1' HUP INT TERM
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install failed"
share=$root/usr/share
[ -x "$root/usr/$bindir/driftbeam" ] || fail "usr/$bindir/driftbeam missing or not executable"
for f in applications/io.github.driftbeam.Driftbeam.desktop metainfo/io.github.driftbeam.Driftbeam.metainfo.xml \
  icons/hicolor/scalable/apps/driftbeam.svg man/man6/driftbeam.6 doc/driftbeam/README.md doc/driftbeam/LICENSE; do
  [ -s "$share/$f" ] || fail "usr/share/$f missing"
done

# A PNG opens with its 8-byte signature and then the IHDR chunk (length 13), whose first
# fields are the width and the height as 32-bit big-endian numbers.
for n in 16 32 48 64 128 256; do
  png=icons/hicolor/${n}x$n/apps/driftbeam.png
  [ -s "$share/$png" ] || fail "usr/share/$png missing"
  start=$(od -An -tx1 -N24 "$share/$png" | tr -d ' \n')
  [ "$start" = "89504e470d0a1a0a0000000d49484452$(printf %08x%08x "$n" "$n")" ] ||
    fail "usr/share/$png is not a ${n}x$n PNG"
done
echo "check_package: validated and installed cleanly"
