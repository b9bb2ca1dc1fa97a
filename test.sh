#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure_packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAP_UTILITY_BUILD_TESTS=ON -DMAP_UTILITY_BUILD_BENCH=ON \
    -DMAP_UTILITY_WERROR="${MAP_UTILITY_WERROR:-OFF}"
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
