#!/usr/bin/env bash
# Checks the Debian package that "make package" left in the build folder:
# lintian finds no errors in it, and its programs, extracted into an empty
# root, run from there.
#   package_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(realpath "$1")
source_dir=$(realpath "$2")
. "$source_dir/tests/install/installed_programs.sh"

deb=$(ls -t "$build"/mugwarp_*.deb 2>/dev/null | head -n 1)
[[ -n $deb ]] || { fail "no package in $build"; exit 1; }
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, $(dpkg-deb -f "$deb" Installed-Size) KiB installed"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { "$@" || ((failures++)); }

# Lintian's warnings are shown; an error fails the test.
check lintian --fail-on error --tag-display-limit 0 "$deb"

# Wine is recommended, never required.
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* && $depends != *wine* ]] || check fail "Depends: $depends"
[[ $(dpkg-deb -f "$deb" Recommends) == *wine64* ]] || check fail "wine64 is not recommended"

dpkg-deb -x "$deb" "$work/root" || { fail "dpkg-deb -x"; exit 1; }
check check_cli "$work/root/usr" "$source_dir/data/sample/portrait.jpg" "$work"
check check_editor "$work/root/usr" "$work/root/usr/share/mugwarp/sample/portrait.jpg"
check check_project_files "$work/root/usr" "$source_dir/data/sample/portrait.jpg" "$work"
check check_no_build_paths "$work/root" "$build" "$source_dir"
exit $((failures > 0))
