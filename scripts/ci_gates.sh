#!/usr/bin/env bash
# The gates CI runs after ./test.sh: source layout, format, tidy, an
# ASan+UBSan build with its tests, a TSan build of the core with its tests,
# a TSan build of the windows' worker tests, and every fuzz target for a
# while. Any finding fails the run.
#
#   scripts/ci_gates.sh [STEP...]   steps: layout format tidy asan tsan tsan-windows fuzz
#                                   (default: all, in that order)
#
# tidy reads build/compile_commands.json, so ./test.sh (or any configured and
# built build/) comes first. FUZZ_SECONDS (default 30) sets each fuzzer's run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${MAP_UTILITY_JOBS:-$(nproc)}
fuzz_seconds=${FUZZ_SECONDS:-30}
checked_dirs=(runtime catalogue cli desktop ui mapindex)

step() { printf '\n=== %s (%s)\n' "$1" "$(date +%T)"; }
die() { echo "ci_gates: $*" >&2; exit 1; }

# Every C++ source and header of the checked folders, tracked or new.
sources() {
    find "${checked_dirs[@]}" -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \) | sort
}

# Sources are listed by hand in the CMake files: catch one left out, and
# includes that climb out of their folder past the per-library roots.
check_layout() {
    local missing=0 file name
    for file in ui/*.cpp desktop/*.cpp mapindex/*.cpp; do
        name=$(basename "$file")
        case $name in Project1.cpp | main.cpp | draw_icon.cpp) continue ;; esac
        grep -qE "^\s+$name\s*$" "$(dirname "$file")/CMakeLists.txt" ||
            { echo "$file is not listed in $(dirname "$file")/CMakeLists.txt"; missing=1; }
    done
    for file in tests/core/*_test.cpp tests/ui/tst_*.cpp tests/mapindex/tst_*.cpp; do
        [ -e "$file" ] || continue
        name=$(basename "$file" .cpp)
        grep -qE "(^|\s)$name(\s|\)|$)" "$(dirname "$(dirname "$file")")/CMakeLists.txt" "$(dirname "$file")/CMakeLists.txt" 2>/dev/null ||
            { echo "$file is not listed in its CMakeLists.txt"; missing=1; }
    done
    if grep -rnE '#\s*include\s*"\.\./' "${checked_dirs[@]}" tests fuzz bench tools; then
        echo "includes name a parent folder: use the library's include root"
        missing=1
    fi
    [ $missing -eq 0 ] || die "layout check failed"
}

check_format() {
    local -a files
    mapfile -t files < <(sources)
    if ! clang-format --dry-run --Werror "${files[@]}" 2>"$log_dir/format.log"; then
        grep -c 'error:' "$log_dir/format.log" | xargs printf 'format: %s places differ from .clang-format\n'
        grep 'error:' "$log_dir/format.log" | cut -d: -f1 | sort -u | sed 's/^/  /'
        echo "Fix with: clang-format -i \$(find ${checked_dirs[*]} -maxdepth 1 -name '*.cpp' -o -name '*.h')"
        die "format check failed"
    fi
    echo "format: ${#files[@]} files match .clang-format"
}

check_tidy() {
    [ -f build/compile_commands.json ] || die "no build/compile_commands.json: run ./test.sh first"
    local -a files
    mapfile -t files < <(sources | grep '\.cpp$')
    # Headers are checked through the sources that include them, under
    # whichever path (source folder or include root) they were reached by.
    printf '%s\n' "${files[@]}" |
        xargs -P "$jobs" -n 4 clang-tidy -p build --quiet \
            --header-filter='/(runtime|catalogue|cli|desktop|ui|mapindex)/[^/]+\.h$' >"$log_dir/tidy.log" 2>&1 || true
    local findings
    findings=$(grep -E ': (warning|error): ' "$log_dir/tidy.log" | sed "s|^$root/||" | sort -u || true)
    if [ -n "$findings" ]; then
        echo "$findings"
        echo "tidy: $(echo "$findings" | wc -l) findings"
        die "tidy check failed"
    fi
    echo "tidy: ${#files[@]} sources clean"
}

sanitizer_env() {
    # The read-error shim (LD_PRELOAD) cannot run under a sanitizer: its
    # tests skip when they see MAP_UTILITY_SANITIZER, or carry the label
    # "preload", which these runs leave out. So are the runs on a real X
    # display ("display"): the system's keyboard library trips the sanitizer
    # inside Qt's X connection before any code of ours runs.
    export MAP_UTILITY_SANITIZER=1
    export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$root/scripts/sanitizers/lsan.supp:print_suppressions=0
    export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/sanitizers/tsan.supp
}

run_asan() {
    cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMAP_UTILITY_SANITIZE=address,undefined -DMAP_UTILITY_BUILD_TESTS=ON -DMAP_UTILITY_BUILD_BENCH=OFF >/dev/null
    cmake --build build-asan -j"$jobs"
    (sanitizer_env && ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE "preload|display")
}

run_tsan() {
    # The core only: Qt is not built with TSan, so its threads would only give false reports.
    cmake -S . -B build-tsan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DMAP_UTILITY_SANITIZE=thread -DMAP_UTILITY_BUILD_UI=OFF -DMAP_UTILITY_BUILD_TESTS=ON \
        -DMAP_UTILITY_BUILD_BENCH=OFF >/dev/null
    cmake --build build-tsan -j"$jobs"
    (sanitizer_env && ctest --test-dir build-tsan --output-on-failure -j"$jobs" -LE "preload|display")
}

# The threaded window code: the main window's search worker and Map Index's
# reading, loading and cache. Qt itself is not built with TSan, so its own
# memory traffic is ignored (ignore_noninstrumented_modules); every access
# from our code is still checked.
tsan_window_tests=(tst_search tst_mapindex_reading tst_mapindex_table)
run_tsan_windows() {
    cmake -S . -B build-tsan-windows -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAP_UTILITY_SANITIZE=thread -DMAP_UTILITY_BUILD_UI=ON \
        -DMAP_UTILITY_BUILD_TESTS=ON -DMAP_UTILITY_BUILD_BENCH=OFF >/dev/null
    cmake --build build-tsan-windows -j"$jobs" --target "${tsan_window_tests[@]}" make-demo-maps map-catalogue
    local pattern
    pattern="^($(IFS='|'; echo "${tsan_window_tests[*]}"))\$"
    (sanitizer_env && export TSAN_OPTIONS="$TSAN_OPTIONS:ignore_noninstrumented_modules=1" &&
        ctest --test-dir build-tsan-windows --output-on-failure -j"$jobs" -R "$pattern")
}

run_fuzz() {
    local target failed=0
    for target in $(fuzz/run --list); do
        echo "--- $target, ${fuzz_seconds} s"
        if ! fuzz/run "$target" "$fuzz_seconds" >"$log_dir/$target.log" 2>&1; then
            tail -40 "$log_dir/$target.log"
            failed=1
        fi
        grep -E 'stat::number_of_executed_units|Done [0-9]+ runs' "$log_dir/$target.log" || true
    done
    [ $failed -eq 0 ] || die "a fuzz target failed"
}

log_dir=$(mktemp -d)
trap 'rm -rf "$log_dir"' EXIT

# One step, in a process of its own so that set -e holds inside it.
if [ "${1:-}" = --one ]; then
    case $2 in
    layout) check_layout ;;
    format) check_format ;;
    tidy) check_tidy ;;
    asan) run_asan ;;
    tsan) run_tsan ;;
    tsan-windows) run_tsan_windows ;;
    fuzz) run_fuzz ;;
    *) die "unknown step '$2'" ;;
    esac
    exit 0
fi

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(layout format tidy asan tsan tsan-windows fuzz)
# Every step runs, so one run reports every gate that fails.
failed=()
for name in "${steps[@]}"; do
    step "$name"
    "$0" --one "$name" || failed+=("$name")
done
if [ ${#failed[@]} -gt 0 ]; then
    step "gates failed: ${failed[*]}"
    exit 1
fi
step "gates passed"
