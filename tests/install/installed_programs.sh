# Checks shared by the tests of an installed tree and of the Debian package:
# the programs below a prefix run from there and find what was installed with
# them. Source it; each check prints what failed and returns non-zero.

fail() {
    echo "FAILED: $*" >&2
    return 1
}

# check_cli PREFIX SAMPLE_JPEG WORK_DIR
check_cli() {
    local prefix=$1 sample=$2 work=$3 cli=$1/bin/mugwarp-cli
    local version
    version=$("$cli" --version) || fail "mugwarp-cli --version" || return 1
    [[ $version == "Mugwarp Studio "[0-9]* ]] || fail "mugwarp-cli --version printed '$version'" || return 1

    "$cli" convert "$sample" "$work/sample.gif" || fail "convert to GIF" || return 1
    [[ $(/usr/bin/identify -format '%m %wx%h' "$work/sample.gif") == "GIF 512x512" ]] ||
        fail "the converted GIF is not a 512 x 512 GIF" || return 1

    # The shipped filters, from the prefix's plug-in folder, runnable with the
    # prefix's runner.
    local listing
    listing=$("$cli" filters) || fail "mugwarp-cli filters" || return 1
    grep -q "^Mugwarp Adjust	Invert	native	$prefix/lib/mugwarp/plugins/invert.8bf	PluginMain	yes$" <<<"$listing" ||
        fail "filters does not list the installed native Invert as runnable:
$listing" || return 1
    if grep -v "	$prefix/lib/mugwarp/plugins/" <<<"$listing"; then
        fail "filters lists modules from outside the prefix" || return 1
    fi

    # A filter run through the installed runner: Invert against ImageMagick's.
    "$cli" edit "$sample" "$work/inverted.bmp" "filter:Mugwarp Adjust/Invert" || fail "edit with Invert" || return 1
    "$cli" convert "$sample" "$work/plain.bmp" || return 1
    /usr/bin/convert "$work/plain.bmp" -channel RGB -negate +channel "$work/expected.bmp"
    local differing
    differing=$(/usr/bin/compare -metric AE "$work/inverted.bmp" "$work/expected.bmp" null: 2>&1)
    [[ $differing == 0 ]] || fail "Invert through the installed runner differs in $differing pixels" || return 1
}

# check_editor PREFIX SAMPLE_JPEG: the editor tells its version without a
# display, and starts offscreen on the picture, still running a few seconds later.
check_editor() {
    local prefix=$1 sample=$2 status=0 version
    version=$(env -u DISPLAY "$prefix/bin/mugwarp" --version) || fail "mugwarp --version" || return 1
    [[ $version == "Mugwarp Studio "[0-9]* ]] || fail "mugwarp --version printed '$version'" || return 1
    QT_QPA_PLATFORM=offscreen timeout 4 "$prefix/bin/mugwarp" --quick "$sample" >/dev/null 2>&1 || status=$?
    [[ $status == 124 ]] || fail "the installed editor ended with status $status instead of running" || return 1
}

# check_project_files PREFIX SAMPLE_JPEG WORK_DIR: a project made by the
# installed mugwarp-cli is known to the desktop by its name and first bytes,
# the editor's desktop entry opens it, and the installed thumbnailer, run as
# its .thumbnailer entry says, draws it at the size asked.
check_project_files() {
    local prefix=$1 sample=$2 work=$3
    local entry=$prefix/share/thumbnailers/mugwarp.thumbnailer
    "$prefix/bin/mugwarp-cli" edit "$sample" "$work/face.mugwarp" twirl:left:256,256 || fail "edit into a project" || return 1
    [[ -f $entry ]] || fail "no $entry" || return 1
    local exec
    exec=$(sed -n 's/^Exec=//p' "$entry")
    exec=${exec//%s/128}
    exec=${exec//%i/$work/face.mugwarp}
    exec=${exec//%o/$work/thumb.png}
    PATH=$prefix/bin:$PATH eval "$exec" || fail "the thumbnailer: $exec" || return 1
    [[ $(/usr/bin/identify -format '%m %wx%h' "$work/thumb.png") == "PNG 128x128" ]] ||
        fail "the thumbnail is not a 128 x 128 PNG" || return 1
    grep -q '^MimeType=.*application/x-mugwarp-project;' "$prefix/share/applications/"*.desktop ||
        fail "the desktop entry does not open projects" || return 1
    grep -q '^MimeType=application/x-mugwarp-project;$' "$entry" || fail "the thumbnailer is not for projects" || return 1
    mkdir -p "$work/mime/packages"
    cp "$prefix/share/mime/packages/mugwarp-project.xml" "$work/mime/packages/"
    update-mime-database "$work/mime" || fail "update-mime-database refused the project type" || return 1
    grep -q '\*\.mugwarp' "$work/mime/globs2" && grep -q 'x-mugwarp-project' "$work/mime/magic" ||
        fail "the project type has no glob or magic" || return 1
}

# check_no_build_paths ROOT PATH...: no installed file mentions the build or
# source tree.
check_no_build_paths() {
    local root=$1 path
    shift
    for path in "$@"; do
        local found
        if found=$(grep -rlF -- "$path" "$root"); then
            fail "installed files mention $path: $found"
            return 1
        fi
    done
    return 0
}
