#!/bin/sh
# Runs the window-manager test under its own Xvfb display with openbox.
# Usage: window_manager_test.sh TEST_BINARY [ARGUMENT...]. Exits 77 (skipped) when the
# display or the window manager cannot start, or a tool named in WM_TEST_TOOLS
# (such as xdotool, for real key presses) is missing.
set -u
test_binary=${1:?usage: window_manager_test.sh TEST_BINARY [ARGUMENT...]}
shift
for tool in Xvfb openbox xprop ${WM_TEST_TOOLS:-}; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed"; exit 77; }
done

work=$(mktemp -d)
xvfb_pid=''
wm_pid=''
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Xvfb picks a free display number and writes it to the given descriptor.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 77; }
DISPLAY=":$(cat "$work/display")"
export DISPLAY

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || {
    echo "openbox did not start"; cat "$work/openbox.log"; exit 77; }

QT_QPA_PLATFORM=xcb "$test_binary" "$@"
