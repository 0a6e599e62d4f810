#!/usr/bin/env bash
# Installs the build into a fresh prefix (outside the build tree) and checks
# that everything there works from that prefix alone: the programs, the
# manual pages, the AppStream metadata and desktop entry, icons and completion.
#   installed_tree_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$(realpath "$1")
source_dir=$(realpath "$2")
. "$source_dir/tests/install/installed_programs.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" --strip >"$work/install.log" || {
    cat "$work/install.log"
    fail "cmake --install"
    exit 1
}
failures=0
check() { "$@" || ((failures++)); }

check check_cli "$prefix" "$source_dir/data/sample/portrait.jpg" "$work"
check check_editor "$prefix" "$prefix/share/mugwarp/sample/portrait.jpg"
check check_project_files "$prefix" "$source_dir/data/sample/portrait.jpg" "$work"
check check_no_build_paths "$prefix" "$build" "$source_dir"

for f in bin/mugwarp bin/mugwarp-cli libexec/mugwarp/mugwarp-filter-runner share/mugwarp/help/index.html \
    "share/mugwarp/Clipart/Talk Bubbles/Shout.gif" share/doc/mugwarp/copyright share/doc/mugwarp/changelog.gz; do
    [[ -e $prefix/$f ]] || check fail "$f is not installed"
done

# Manual pages render without a single warning.
for page in mugwarp mugwarp-cli; do
    file=$prefix/share/man/man1/$page.1.gz
    warnings=$(zcat "$file" | groff -ww -man -Tutf8 -z 2>&1)
    [[ -f $file && -z $warnings ]] || check fail "man page $page: ${warnings:-missing}"
done
# The commands' section is the program's own help: every command is there.
cli_page=$(zcat "$prefix/share/man/man1/mugwarp-cli.1.gz")
for command in $("$prefix/bin/mugwarp-cli" --list-commands); do
    grep -q "^\.SS \"${command//-/\\\\-}" <<<"$cli_page" || check fail "mugwarp-cli.1 lacks the command $command"
done

# AppStream metadata and the desktop entry, checked together as installed.
check appstreamcli validate-tree --no-net "$prefix" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log"; check fail "appstreamcli validate-tree"; }
desktop=$prefix/share/applications/io.github.mugwarp.Studio.desktop
if command -v desktop-file-validate >/dev/null; then
    check desktop-file-validate "$desktop"
fi
for size in 16 22 24 32 48 64 128 256; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/mugwarp.png
    [[ $(/usr/bin/identify -format '%m %wx%h' "$icon" 2>/dev/null) == "PNG ${size}x$size" ]] ||
        check fail "no $size x $size PNG icon"
done

# Bash completion, asking the installed program.
complete_line() {
    bash -c '
        . "$1/share/bash-completion/completions/mugwarp-cli"
        shift
        COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        _mugwarp_cli
        printf "%s\n" "${COMPREPLY[@]}"' completion "$prefix" "$prefix/bin/mugwarp-cli" "$@"
}
expect_completion() {
    local expected=$1 got
    shift
    got=$(complete_line "$@" | sort | tr '\n' ' ')
    [[ $got == "$expected " ]] || check fail "completing '$*' gave '$got', not '$expected'"
}
expect_completion "edit" e
expect_completion "convert" help co
expect_completion "--effect --filter-timeout --lossless --plugins --quality --size --strip-metadata" edit in.jpg --
expect_completion "twirl:" edit in.jpg out.jpg --size 40 tw
expect_completion "undo" edit in.jpg out.jpg un
expect_completion "reconstruct: redo resize: restore" batch --out done --jobs 2 a.jpg b.jpg -- --size 40 re
expect_completion "gif" batch --format g
expect_completion "export" filter-settings --plugins dir ex
expect_completion 'Mugwarp\ Adjust/Invert Mugwarp\ Adjust/Invert\ \(Windows\) Mugwarp\ Adjust/Invert\ \(Windows\,\ 32-bit\)' edit in.jpg out.jpg filter : 'Mugwarp\ Adjust/In'
expect_completion "$source_dir/data/sample/portrait.jpg" convert "$source_dir/data/sample/port"

exit $((failures > 0))
