#!/bin/bash
# The greeting under a real window manager: a click on the main window while
# it shows must leave it above that window (a window under the window it
# blocks makes the program look frozen); Escape closes it and the main window
# then answers the keyboard (F1 opens the help window).
# Usage: about_stacking_test.sh EDITOR. Exits 77 (skipped) without Xvfb,
# openbox, xdotool or xprop.
set -u
editor=$1
for tool in Xvfb openbox xdotool xprop; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed"
        exit 77
    fi
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n1 "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done

unset QT_QPA_PLATFORM MUGWARP_QUICK_START WAYLAND_DISPLAY
mkdir -p -m 700 "$work/runtime"
HOME=$work XDG_CONFIG_HOME=$work/config XDG_STATE_HOME=$work/state XDG_RUNTIME_DIR=$work/runtime \
    "$editor" >"$work/editor.log" 2>&1 &
pids+=($!)

# The id of the one managed window whose title is exactly $1, in hex.
managed() {
    local id
    for id in $(xprop -root _NET_CLIENT_LIST | sed 's/.*# //; s/,/ /g'); do
        if xprop -id "$id" _NET_WM_NAME 2>/dev/null | grep -qxF "_NET_WM_NAME(UTF8_STRING) = \"$1\""; then
            printf '0x%x\n' "$id"
            return
        fi
    done
}
waitFor() {
    local id=""
    for _ in $(seq 150); do
        id=$(managed "$1")
        [ -n "$id" ] && break
        sleep 0.1
    done
    echo "$id"
}
stackIndex() {
    xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,/\n/g' | tr -d ' ' |
        while read -r id; do printf '0x%x\n' "$id"; done | grep -nxF "$1" | cut -d: -f1
}

about=$(waitFor "About Mugwarp Studio")
main=$(managed "Mugwarp Studio  3.0")
[ -n "$about" ] || fail "no greeting appeared; editor said: $(cat "$work/editor.log")"
[ -n "$main" ] || fail "no main window"

# Click the main window well away from the greeting (its lower left corner).
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove $((X + 40)) $((Y + HEIGHT - 60)) click 1
sleep 0.7
aboutAt=$(stackIndex "$about")
mainAt=$(stackIndex "$main")
[ -n "$aboutAt" ] || fail "the greeting vanished after the click"
[ "$aboutAt" -gt "$mainAt" ] || fail "the greeting went below the main window ($aboutAt <= $mainAt)"

xdotool key Escape
for _ in $(seq 50); do [ -z "$(managed "About Mugwarp Studio")" ] && break; sleep 0.1; done
[ -z "$(managed "About Mugwarp Studio")" ] || fail "Escape did not close the greeting"

xdotool key F1
help=$(waitFor "Mugwarp Studio Help")
[ -n "$help" ] || fail "the main window did not answer F1 after the greeting closed"
echo "greeting stayed above the main window, closed with Escape; the window answered"
