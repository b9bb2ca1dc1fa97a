#!/usr/bin/env bash
# Runs the built map-catalogue on the demo collection and checks bytes and exit codes.
set -u
source "$(dirname "$0")/demo_work.sh"

out=$("$catalogue" scan 2>err); code=$?
check "unconfigured exit code" 2 "$code"
check "unconfigured message" "map-catalogue: Program not configured." "$(head -1 err)"
check "unconfigured hint" 'map-catalogue: looked for "lister.txt" in the current folder; --dir DIR names the maps folder.' "$(tail -1 err)"

printf 'maps\r\n%s\r\n' "$work/viewer.sh" > lister.txt
out=$("$catalogue" scan 2>err); code=$?
check "scan exit code" 0 "$code"
check "scan count" "Maps found: 12" "$(cat err)"
check "scan first and last" "Blank Parchment|Sunken Temple" "$(echo "$out" | head -1)|$(echo "$out" | tail -1)"

out=$("$catalogue" details "Misty Marsh"); code=$?
check "details" $'Map Name: Misty Marsh\nMap Type: Wilderness\nProduct: Coastal Pack\nPage Number: 22' "$out"

out=$("$catalogue" details --dir maps "Sunken Temple.fcw"); code=$?
check "details of a file name, options after the command" "Map Name: Sunken Temple" "$(echo "$out" | head -1)"
"$catalogue" details Nope 2>err; code=$?
check "missing map names its path" "2|map-catalogue: maps/Nope.fcw: File not found." "$code|$(cat err)"
out=$("$catalogue" index 2>err); code=$?
check "index" $'0|entry\tmap name\tmap type\tproduct\tpage number|Blank Parchment\t\t\t\t|Maps indexed: 12' \
    "$code|$(echo "$out" | head -2 | paste -sd'|')|$(cat err)"

out=$("$catalogue" search Harbour 2>err); code=$?
check "name search" $'Harbour\nOld Harbour' "$out"
out=$("$catalogue" --dir maps search --content "Northern Expansion" 2>err); code=$?
check "content search" $'Frost Peaks\nSunken Temple' "$out"
"$catalogue" search --content "no such text" >/dev/null 2>&1; code=$?
check "no match exit code" 1 "$code"

"$catalogue" export list.txt; code=$?
check "export exit code" 0 "$code"
check "export bytes" "$(printf 'Blank Parchment\r')" "$(head -1 list.txt)"
check "export lines" 12 "$(wc -l < list.txt | tr -d ' ')"

printf '#!/bin/sh\necho "$1" > "%s/viewed"\n' "$work" > viewer.sh
chmod +x viewer.sh
"$catalogue" view "Kings Road"; code=$?
check "view exit code" 0 "$code"
for _ in $(seq 50); do [ -s viewed ] && break; sleep 0.1; done
check "viewer argument" "$work/maps/Kings Road.fcw" "$(cat viewed 2>/dev/null)"

if [ -w /dev/full ]; then
    "$catalogue" scan >/dev/full 2>err; code=$?
    check "stdout failure exit code" 2 "$code"
    check "stdout failure message" "map-catalogue: Standard output could not be written." "$(tail -1 err)"
fi

"$catalogue" bogus >/dev/null 2>&1; code=$?
check "usage exit code" 64 "$code"

[ $failures -eq 0 ] && echo "all end-to-end checks passed"
exit $failures
