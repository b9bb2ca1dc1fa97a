#!/usr/bin/env bash
# map-utility's own options: answered without a display, and --config-dir
# starts in the configuration folder. Usage: start_options_test.sh MAP_UTILITY
set -u
program=$1
work=$(mktemp -d)
pid=
# shellcheck disable=SC2317 # called by the trap
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# No display at all: help, version and mistakes must not need one.
headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$program" "$@"; }
# arguments | exit code | what stdout and stderr must hold (a grep pattern)
while IFS='|' read -r arguments code pattern; do
    # shellcheck disable=SC2086 # the arguments are split on purpose
    output=$(headless $arguments 2>&1)
    status=$?
    [ "$status" -eq "$code" ] || fail "map-utility $arguments: exit $status, expected $code"
    grep -qE -- "$pattern" <<<"$output" || fail "map-utility $arguments: output lacks '$pattern': $output"
done <<'CASES'
--help|0|--config-dir
-h|0|^Usage: map-utility
--version|0|^map-utility [0-9]+\.[0-9]+
--no-such-option|64|^map-utility: .*no-such-option
--config-dir extra|64|^map-utility: .*extra
-platform offscreen --version|0|^map-utility [0-9]
CASES
[ -z "$(headless --no-such-option 2>/dev/null)" ] || fail "a usage mistake writes to stdout"

# Starts the program offscreen with XDG_CONFIG_HOME=$1 and waits until its
# current directory is $2 (a hang guard, not a time limit).
expect_start_directory() {
    QT_QPA_PLATFORM=offscreen HOME="$work/home" XDG_CONFIG_HOME=$1 "$program" --config-dir >"$work/log" 2>&1 &
    pid=$!
    local seen=
    for _ in $(seq 300); do
        seen=$(readlink "/proc/$pid/cwd" 2>/dev/null)
        [ "$seen" = "$2" ] && break
        sleep 0.1
    done
    [ "$seen" = "$2" ] || fail "XDG_CONFIG_HOME=$1: current directory '$seen', expected '$2' ($(cat "$work/log"))"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
}

mkdir -p "$work/home"
# Missing: created, private, and made the start directory.
expect_start_directory "$work/config" "$work/config/map-utility"
[ "$(stat -c %a "$work/config")" = 700 ] || fail "the configuration base folder is not private"
# A relative or empty XDG_CONFIG_HOME is ignored for ~/.config.
expect_start_directory "relative" "$work/home/.config/map-utility"
expect_start_directory "" "$work/home/.config/map-utility"
# lister.txt is read there, and its relative maps folder is relative to it:
# after loading, the program moves into the maps folder.
mkdir -p "$work/config/map-utility/maps"
touch "$work/config/map-utility/maps/Harbour.fcw"
printf 'maps\r\nviewer\r\n' >"$work/config/map-utility/lister.txt"
expect_start_directory "$work/config" "$work/config/map-utility/maps"

[ "$failures" -eq 0 ] && echo "map-utility options as expected"
exit $((failures > 0))
