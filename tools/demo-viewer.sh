#!/bin/sh
# Stands in for the map viewer in the demo: says which map it was asked to open.
message="The viewer was asked to open: $*"
echo "$message" >> "$(dirname "$0")/viewer.log"
if command -v xmessage >/dev/null 2>&1 && [ -n "${DISPLAY:-}" ]; then
    xmessage -center "$message" &
fi
echo "$message"
