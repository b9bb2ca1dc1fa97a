#!/usr/bin/env bash
# Runs the built map-catalogue where streams, closed descriptors and vanished
# directories used to lose data or report success.
set -u
source "$(dirname "$0")/demo_work.sh"
count=$(ls maps | wc -l)

printf 'old\n' > report.txt
{ echo header; "$catalogue" --dir maps export /dev/stdout; echo after; } >> report.txt
check "export to an appended stdout keeps the file" "old|header|after" \
    "$(head -2 report.txt | tr '\n' '|')$(tail -1 report.txt)"
check "export to an appended stdout writes the list" $((count + 3)) "$(wc -l < report.txt | tr -d ' ')"

lines=$("$catalogue" --dir maps export /dev/stdout | wc -l)
check "export into a pipe" "$count" "$lines"

printf 'maps\r\n%s\r\n' "$work/no-viewer" > lister.txt
"$catalogue" view Harbour >&- 2>&-; code=$?
check "a viewer that cannot start fails with the streams closed" 2 "$code"
"$catalogue" view Nope 2>err; code=$?
check "viewing a missing map fails" 2 "$code"
check "viewing a missing map says why" 1 "$(grep -c 'File not found' err)"

mkdir gone && cd gone && rmdir ../gone
before=$(md5sum < "$work/maps/Harbour.fcw")
"$catalogue" --dir "$work/maps" export Harbour.fcw 2>/dev/null; code=$?
cd "$work"
check "export from a vanished start directory fails" 2 "$code"
check "the map is untouched" "$before" "$(md5sum < maps/Harbour.fcw)"

[ $failures -eq 0 ] && echo "all core fault checks passed"
exit $failures
