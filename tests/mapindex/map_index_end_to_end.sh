#!/usr/bin/env bash
# One run of map-index on a real X server (Xvfb): start on the demo
# collection, filter, sort by a header click, open the top row in a
# stand-in viewer, export over an existing file and to a new one, and
# press F5 with the maps folder renamed away, then back.
# Usage: map_index_end_to_end.sh MAP_INDEX MAKE_DEMO_MAPS
set -u
map_index=$1
make_demo=$2
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$make_demo" "$work/maps" >/dev/null || exit 1
cat >"$work/viewer.sh" <<VIEWER
#!/bin/sh
printf '%s\n' "\$@" > "$work/opened.txt"
VIEWER
chmod +x "$work/viewer.sh"
printf '%s\r\n%s\r\n' "$work/maps" "$work/viewer.sh" >"$work/lister.txt"

# Runs inside the X server: drives the window with keys and one click.
cat >"$work/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
set -u
cd "$WORK"
QT_QPA_PLATFORM=xcb XDG_CACHE_HOME="$WORK/cache" XDG_CONFIG_HOME="$WORK/config" "$MAP_INDEX" &
app=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Map Index')
[ -n "$wid" ] || { echo "no window"; kill "$app"; exit 1; }
wid=${wid%%$'\n'*}
# The reading of 12 maps ends with its cache written.
for _ in $(seq 150); do
    compgen -G "$WORK/cache/map-utility/*.cache" >/dev/null && break
    sleep 0.2
done
xdotool windowfocus --sync "$wid"
xdotool key --window "$wid" ctrl+f
xdotool type --window "$wid" --delay 40 harbour
# Two clicks on the Page Number header, the last one, which fills the
# window's right side below the menu bar: descending page numbers.
xdotool mousemove --window "$wid" 860 100 click 1
sleep 0.5
xdotool mousemove --window "$wid" 860 100 click 1
sleep 0.5
xdotool windowfocus --sync "$wid"
xdotool key --window "$wid" ctrl+f Return Return
for _ in $(seq 50); do
    [ -s "$WORK/opened.txt" ] && break
    sleep 0.2
done

# Export over budget.csv must ask first; Return takes the default answer, No,
# which keeps the file. Then fresh.csv is written. Ctrl+E is typed, not sent
# to the window: sent, the e went missing from the typing after it.
printf 'keep me' >"$WORK/budget.csv"
for name in budget fresh; do
    xdotool windowfocus --sync "$wid"
    xdotool key ctrl+e
    sleep 1
    xdotool key ctrl+a && xdotool type --delay 20 "$WORK/$name" && xdotool key Return
    sleep 1
    [ "$name" = budget ] && xdotool key Return && sleep 1 && xdotool key Escape && sleep 1
done

# The folder away, as an unplugged disk: F5 keeps the table and the cache.
# Back unchanged: F5 finds nothing new, and the cache stays as it was.
cp "$WORK"/cache/map-utility/*.cache "$WORK/cache-before"
for place in maps-away maps; do
    mv "$WORK"/maps* "$WORK/$place"
    xdotool windowfocus --sync "$wid"
    xdotool key F5
    sleep 2
    xdotool key Escape # would close an error box; else it clears the filter
done
cp "$WORK"/cache/map-utility/*.cache "$WORK/cache-after"
kill "$app"
wait "$app" 2>/dev/null
exit 0
DRIVE
chmod +x "$work/drive.sh"
WORK=$work MAP_INDEX=$map_index timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" "$work/drive.sh"

expected="$work/maps/harbour2.fcw"
opened=$(cat "$work/opened.txt" 2>/dev/null)
if [ "$opened" != "$expected" ]; then
    echo "FAIL: the viewer was asked to open [$opened], expected [$expected]"
    exit 1
fi
echo "map-index opened $expected after filter and sort"
if [ "$(cat "$work/budget.csv")" != "keep me" ] || ! grep -q '^entry,map name,' "$work/fresh.csv" 2>/dev/null; then
    echo "FAIL: export: budget.csv holds [$(head -c 80 "$work/budget.csv")], fresh.csv $(ls "$work"/fresh* 2>&1)"
    exit 1
fi
echo "map-index asked before replacing budget.csv, and wrote fresh.csv"
if ! cmp -s "$work/cache-before" "$work/cache-after"; then
    echo "FAIL: the cache changed while the maps folder was away and back"
    exit 1
fi
echo "map-index kept its cache and marks with the maps folder away and back"
