#!/usr/bin/env bash
# Builds the programs, makes the demo map collection and starts the map
# utility on it (or, without a display, the command-line demo).
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure_packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAP_UTILITY_BUILD_TESTS=OFF
cmake --build build -j"$(nproc)"

demo="$PWD/demo"
build/tools/make-demo-maps "$demo/maps" >/dev/null
cp tools/demo-viewer.sh "$demo/demo-viewer.sh"
# The configuration: maps directory, then the viewer, each line ending in CR LF.
# Written once: a configuration saved in the demo is kept.
[ -e "$demo/lister.txt" ] || printf '%s\r\n%s\r\n' "$demo/maps" "$demo/demo-viewer.sh" > "$demo/lister.txt"
cd "$demo"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "The whole collection as a table: build/mapindex/map-index --dir demo/maps"
    exec ../build/ui/map-utility
fi

echo "No display found: running the command-line demo instead."
echo
echo "\$ map-catalogue scan"
../build/cli/map-catalogue scan
echo
echo "\$ map-catalogue details \"Sunken Temple\""
../build/cli/map-catalogue details "Sunken Temple"
echo
echo "\$ map-catalogue search --content Dungeon"
../build/cli/map-catalogue search --content Dungeon
echo
echo "\$ map-catalogue index"
../build/cli/map-catalogue index
echo
echo "On a display, build/mapindex/map-index --dir demo/maps shows the whole collection as a table."
