#!/bin/sh
# Renders every window of map-utility to a PNG without a display, so anybody
# can look at them. Usage: tools/render_windows.sh BUILD_DIR [OUTPUT_DIR]
set -eu
build=${1:?usage: render_windows.sh BUILD_DIR [OUTPUT_DIR]}
out=${2:-$build/window-pictures}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target tst_windows make-demo-maps >/dev/null
QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 RENDER_WINDOWS_DIR="$out" \
    DEMO_MAPS_TOOL="$build/tools/make-demo-maps" \
    "$build/tests/tst_windows" renderWindows
echo "Window pictures are in $out"
# Map Index, when it is built.
if cmake --build "$build" --target tst_mapindex_table >/dev/null 2>&1; then
    QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 RENDER_WINDOWS_DIR="$out" \
        DEMO_MAPS_TOOL="$build/tools/make-demo-maps" \
        "$build/tests/mapindex/tst_mapindex_table" renderWindow >/dev/null
    echo "Map Index: $out/map-index.png"
fi
