#!/bin/sh
# Renders every window of map-utility to a PNG, so anybody can look at them.
# Without a display by default; with --window-manager under Xvfb and openbox,
# which adds the error box with its title bar (ErrorBox-framed.png).
# Usage: tools/render_windows.sh [--window-manager] BUILD_DIR [OUTPUT_DIR]
set -eu
manager=false
if [ "${1:-}" = "--window-manager" ]; then
    manager=true
    shift
fi
build=${1:?usage: render_windows.sh [--window-manager] BUILD_DIR [OUTPUT_DIR]}
build=$(cd "$build" && pwd)
out=${2:-$build/window-pictures}
mkdir -p "$out"
out=$(cd "$out" && pwd)
cmake --build "$build" --target tst_windows make-demo-maps >/dev/null
export LANG=C.UTF-8 RENDER_WINDOWS_DIR="$out" DEMO_MAPS_TOOL="$build/tools/make-demo-maps"
if $manager; then
    "$(dirname "$0")/../tests/ui/window_manager_test.sh" "$build/tests/tst_windows" renderWindows
else
    QT_QPA_PLATFORM=offscreen "$build/tests/tst_windows" renderWindows
fi
echo "Window pictures are in $out"
# Map Index, when it is built.
if cmake --build "$build" --target tst_mapindex_table >/dev/null 2>&1; then
    QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 RENDER_WINDOWS_DIR="$out" \
        DEMO_MAPS_TOOL="$build/tools/make-demo-maps" \
        "$build/tests/mapindex/tst_mapindex_table" renderWindow >/dev/null
    echo "Map Index: $out/map-index.png"
fi
