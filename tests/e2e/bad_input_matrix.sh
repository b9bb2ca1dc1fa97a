#!/usr/bin/env bash
# Hostile maps, list files, write targets and viewers against the built
# map-catalogue. Each row expects a clear error or a sound result, checks that
# no demo map was lost or changed, and fails if a command never ends.
set -u
catalogue=$(realpath "$1")
make_demo=$2
guard=30 # a hang guard only: nothing here asserts how long a command takes
work=$(mktemp -d)
chmod 755 "$work" # the unprivileged rows walk through it
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
"$make_demo" "$work/demo" >/dev/null || { echo "FAIL: demo maps"; exit 1; }
chmod -R a+rX "$work/demo"
demo_sums=$(cd "$work/demo" && md5sum -- *.fcw)
failures=0

# ---- running and checking -------------------------------------------------

note() { problems+=("$1"); }

# Runs map-catalogue in the row's folder: stdout in out, stderr in err, exit in $code.
mc() {
    timeout -k 5 "$guard" "$catalogue" "$@" >out 2>err
    code=$?
    [ "$code" -ne 124 ] || note "map-catalogue $* never ended"
}

# As mc, run as the user "nobody" (the caller is root).
mc_as_nobody() {
    timeout -k 5 "$guard" setpriv --reuid=nobody --regid=nogroup --clear-groups "$catalogue" "$@" >out 2>err
    code=$?
    [ "$code" -ne 124 ] || note "map-catalogue $* never ended"
}
# As mc, with a ceiling on memory: KiB, then the arguments.
mc_limited() {
    local limit=$1; shift
    # The sanitizers reserve far more address space than any sane ceiling.
    grep -q -e __asan_init -e __tsan_init "$catalogue" && limit=unlimited
    (ulimit -v "$limit"; exec timeout -k 5 "$guard" "$catalogue" "$@") >out 2>err
    code=$?
    [ "$code" -ne 124 ] || note "map-catalogue $* never ended"
}

expect() { # what, expected, actual
    [ "$2" = "$3" ] || note "$1: expected $(printf '%q' "$2"), got $(printf '%q' "$3")"
}
expect_error() { # exit code, whole stderr
    expect "exit code" "$1" "$code"
    expect "stderr" "$2" "$(cat err)"
}
expect_done() { # stderr's last line
    expect "exit code" 0 "$code"
    expect "stderr" "$1" "$(tail -n 1 err)"
}
expect_file() { # path, content
    expect "$1" "$2" "$(cat "$1" 2>/dev/null || echo '<missing>')"
}
expect_absent() { [ ! -e "$1" ] && [ ! -L "$1" ] || note "$1 should not exist"; }
# The demo entries in listing order (ASCII upper-cased), CR LF ended.
demo_list() { (cd "$work/demo" && printf '%s\n' *.fcw | LC_ALL=C sort -f | sed 's/\.fcw$/\r/'); }
expect_demo_list() { expect "$1 holds the list" "$(demo_list)" "$(cat "$1" 2>/dev/null)"; }

# Each row runs in a fresh folder holding a copy of the demo maps and a
# lister.txt naming them and a stub viewer that records its arguments.
row() { # name, function, arguments...
    local name=$1; shift
    problems=()
    local dir="$work/rows/$name"
    mkdir -p "$dir" && cd "$dir" || exit 1
    cp -r "$work/demo" maps
    printf 'maps\r\n%s/viewer\r\n' "$dir" > lister.txt
    printf '#!/bin/sh\n{ printf "%%s\\n" "$#"; printf "%%s\\0" "$@"; } > "$0.args"\n' > viewer
    chmod 755 . maps viewer
    "$@"
    cd "$dir" || exit 1
    chmod -R u+rwx . 2>/dev/null
    (cd maps && md5sum -c --quiet - <<<"$demo_sums" >/dev/null 2>&1) || note "a demo map was lost or changed"
    if [ ${#problems[@]} -eq 0 ]; then
        echo "PASS: $name"
    else
        echo "FAIL: $name"
        printf '    %s\n' "${problems[@]}"
        failures=$((failures + 1))
    fi
}
skip() { echo "SKIP: $1 ($2)"; }

# The stub viewer's record: the argument count, then each argument NUL-ended.
expect_viewer_got() { # the one argument
    for _ in $(seq 100); do [ -s viewer.args ] && break; sleep 0.1; done
    printf '1\n%s\0' "$1" > expected.args
    cmp -s expected.args viewer.args || note "viewer arguments: $(od -c viewer.args 2>&1 | head -n 5)"
}

# ---- map entries ------------------------------------------------------------

# An entry that is no readable map: listed, then a clear error from every reader.
unreadable_entry() { # make command, message
    (cd maps && eval "$1")
    mc scan
    expect "listed" 1 "$(grep -cx Odd out)"
    mc details Odd
    expect_error 2 "map-catalogue: maps/Odd.fcw: $2"
    # Fixed fault: the search named the map "Odd.fcw", a path inside the maps folder.
    mc search --content "Northern Expansion"
    expect_error 2 "map-catalogue: maps/Odd.fcw: $2"$'\n'"Maps found: 2"
    expect "the matches still listed" $'Frost Peaks\nSunken Temple' "$(cat out)"
    mc view Odd
    expect_error 2 "map-catalogue: $PWD/maps/Odd.fcw: $2"
    expect_absent viewer.args
}
row "entry is a directory" unreadable_entry "mkdir Odd.fcw" "File access denied."
row "entry is a FIFO" unreadable_entry "mkfifo Odd.fcw" "File access denied."
row "entry is a socket" unreadable_entry \
    "python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind(\"Odd.fcw\")'" "File access denied."
row "entry is a device" unreadable_entry "mknod Odd.fcw c 1 5 2>/dev/null || ln -s /dev/zero Odd.fcw" \
    "File access denied."
row "entry is a dangling link" unreadable_entry "ln -s nowhere Odd.fcw" "File not found."
row "entry is a link loop" unreadable_entry "ln -s Odd.fcw Odd.fcw" \
    "I/O error 1921. (Too many levels of symbolic links)"

deleted_after_scan() {
    cp maps/Harbour.fcw maps/Extra.fcw
    mc scan
    expect "listed" 1 "$(grep -cx Extra out)"
    rm maps/Extra.fcw
    mc details Extra
    expect_error 2 "map-catalogue: maps/Extra.fcw: File not found."
    mc view Extra
    expect_error 2 "map-catalogue: $PWD/maps/Extra.fcw: File not found."
}
row "entry deleted between scan and read" deleted_after_scan

truncated_after_scan() {
    cp maps/Harbour.fcw maps/Extra.fcw
    mc scan
    truncate -s 150 maps/Extra.fcw # in the middle of the key "Product"
    mc details Extra
    expect "details of what is left" $'Map Name: Harbour District\nMap Type: City' "$(cat out)"
    mc search --content "Thalmarch Atlas"
    expect "search finds the whole map, not the cut one" "Harbour|" "$(grep -x -e Harbour -e Extra out | tr '\n' '|')"
}
row "entry truncated between scan and read" truncated_after_scan

no_details_map() { # make command
    (cd maps && eval "$1")
    mc details Odd
    expect "details" "0|"$'\n'"No details are contained within the selected file" "$code|$(cat out)"
    mc search --content "Northern Expansion"
    expect "search goes on" $'0|Frost Peaks\nSunken Temple' "$code|$(cat out)"
}
row "empty map" no_details_map ": > Odd.fcw"
row "map of NULs only" no_details_map "head -c 65536 /dev/zero > Odd.fcw"

huge_sparse_map() {
    mkdir big
    truncate -s 4G big/Huge.fcw
    mc --dir big details Huge
    expect "details" "0|"$'\n'"No details are contained within the selected file" "$code|$(cat out)"
    mc --dir big search --content "found nowhere"
    expect_error 1 "No maps containing the desired search string were found"
    rm big/Huge.fcw
}
row "4 GiB sparse map" huge_sparse_map

# A hostile name: listed byte for byte, readable, and one viewer argument.
hostile_name() { # entry
    cp maps/Harbour.fcw "maps/$1.fcw"
    mc -0 scan
    local entry listed=0
    while IFS= read -r -d '' entry; do [ "$entry" = "$1" ] && listed=$((listed + 1)); done < out
    expect "listed NUL-ended" 1 "$listed"
    mc details -- "$1"
    expect "details" "0|Map Name: Harbour District" "$code|$(head -n 1 out)"
    mc view -- "$1"
    expect "view exit code" 0 "$code"
    expect_viewer_got "$PWD/maps/$1.fcw"
    expect_absent pwned
    expect_absent maps/pwned
}
row "name with LF" hostile_name $'line\nfeed'
row "name with CR" hostile_name $'carriage\rreturn'
row "name with ESC" hostile_name $'esc\e]0;TITLE\a\e[2J'
row "name with invalid UTF-8" hostile_name $'bad\xff\xfe\xc3'
row "name with a leading dash" hostile_name "-rf"
row "name with quotes" hostile_name "it's \"quoted\""
row "name with \$(...)" hostile_name '$(touch pwned)'
row "name with ;" hostile_name "a; rm -rf b"
row "name with *" hostile_name "*abc"
row "name of 255 bytes" hostile_name "$(printf 'n%.0s' $(seq 251))"

escaped_on_terminal() {
    cp maps/Harbour.fcw maps/$'esc\e[2J.fcw'
    timeout -k 5 "$guard" script -qec "'$catalogue' scan" /dev/null > out 2>&1
    expect "escaped entry" 1 "$(grep -cF 'esc\033[2J' out)"
    expect "no raw ESC" 0 "$(grep -c $'\e' out)"
}
row "control bytes escaped on a terminal" escaped_on_terminal

# 100,000 empty maps beside the demo maps, made once; memory capped at 1 GiB.
many="$work/many"
mkdir "$many" && (cd "$many" && seq -f 'm%06g.fcw' 1 100000 | xargs touch && cp "$work"/demo/*.fcw .)
many_maps() { # command..., expected last stderr line, expected stdout line count
    local lines=${*: -1} last=${*: -2:1}
    mc_limited 1048576 --dir "$many" "${@:1:$#-2}"
    expect_done "$last"
    expect "lines out" "$lines" "$(wc -l < out)"
}
row "100,000 maps: scan" many_maps scan "Maps found: 100012" 100012
row "100,000 maps: name search" many_maps search Harbour "Maps found: 2" 2
row "100,000 maps: content search" many_maps search --content "Northern Expansion" "Maps found: 2" 2
row "100,000 maps: index" many_maps index "Maps indexed: 100012" 100013

maps_folder_unreadable() {
    chmod 311 maps
    mc_as_nobody --dir maps scan
    expect_error 2 "map-catalogue: maps: File access denied."
    mc_as_nobody --dir maps search --content "Northern Expansion"
    expect_error 2 "map-catalogue: maps: File access denied."
}
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
    row "maps folder unreadable" maps_folder_unreadable
else
    skip "maps folder unreadable" "needs root and the user nobody"
fi
maps_folder_error() { mc --dir "$1" scan; expect_error 2 "$2"; }
row "maps folder is a file" maps_folder_error lister.txt "map-catalogue: lister.txt: Invalid filename."
row "maps folder missing" maps_folder_error nowhere "map-catalogue: nowhere: File not found."

# ---- lister.txt -------------------------------------------------------------

not_configured=$'map-catalogue: Program not configured.\nmap-catalogue: looked for "lister.txt" in the current folder; --dir DIR names the maps folder.'
lister_error() { # make command, stderr
    rm lister.txt
    eval "$1"
    mc scan
    expect_error 2 "$2"
    expect "nothing listed" "" "$(cat out)"
}
row "lister.txt missing" lister_error ":" "$not_configured"
row "lister.txt empty" lister_error ": > lister.txt" 'map-catalogue: maps folder "": Invalid filename.'
row "lister.txt binary" lister_error "printf '\\xff\\xfe\\x01\\r\\n\\x80\\r\\n' > lister.txt" \
    "map-catalogue: "$'\xff\xfe\x01'": File not found."

lister_of_nuls() {
    head -c 100 /dev/zero > lister.txt
    mc scan
    expect "exit code" 2 "$code"
    expect "error" "map-catalogue: : I/O error 87. (Invalid argument)" "$(tr -d '\0' < err)"
}
row "lister.txt of NULs" lister_of_nuls
row "lister.txt with a 1 MiB line" lister_error "head -c 1048576 /dev/zero | tr '\\0' a > lister.txt" \
    "map-catalogue: lister.txt: I/O error 206."
row "lister.txt is a directory" lister_error "mkdir lister.txt" "$not_configured"
row "lister.txt is a FIFO" lister_error "mkfifo lister.txt" "map-catalogue: lister.txt: File access denied."
row "lister.txt is a dangling link" lister_error "ln -s nowhere lister.txt" "$not_configured"

lister_usable() { # content
    printf "$1" "$PWD" > lister.txt
    mc scan
    expect_done "Maps found: 12"
    mc view Harbour
    expect "view exit code" 0 "$code"
    expect_viewer_got "$PWD/maps/Harbour.fcw"
}
one_line_lister() {
    printf 'maps\r\n' > lister.txt
    mc scan
    expect_done "Maps found: 12"
    mc view Harbour
    expect_error 2 "map-catalogue: lister.txt: No viewer is set."
}
row "lister.txt of one line" one_line_lister
row "lister.txt ending in Ctrl-Z" lister_usable 'maps\r\n%s/viewer\r\n\x1a'

# ---- writes -----------------------------------------------------------------

export_error() { mc export "$1"; expect_error 2 "$2"; }
index_error() { mc index --output "$1"; expect_error 2 "$2"; }
row "export to /dev/full" export_error /dev/full "map-catalogue: /dev/full: Disk full."
row "index to /dev/full" index_error /dev/full "map-catalogue: /dev/full: Disk full."

onto_directory() {
    mkdir taken && echo mine > taken/file
    export_error taken "map-catalogue: taken: File access denied."
    expect_file taken/file mine
}
row "export onto a directory" onto_directory
row "export to an empty name" export_error "" 'map-catalogue: output file "": Invalid filename.'

closed_stdout() {
    timeout -k 5 "$guard" "$catalogue" export /dev/stdout >&- 2>err; code=$?
    expect "exit code" 2 "$code"
    expect "nothing else written" "" "$(ls -A | grep -v -e '^maps$' -e '^lister.txt$' -e '^viewer$' -e '^err$')"
}
row "export to a closed stdout" closed_stdout

missing_folder() { # export|index
    if [ "$1" = export ]; then export_error gone/list.txt "map-catalogue: gone/list.txt: Invalid filename."
    else index_error gone/list.txt "map-catalogue: gone/list.txt: Invalid filename."; fi
    expect_absent gone
}
row "export into a missing folder" missing_folder export
row "index into a missing folder" missing_folder index

read_only_file() { # export|index
    echo old > old.txt
    chmod 444 old.txt
    if [ "$1" = export ]; then export_error old.txt "map-catalogue: old.txt: File access denied."
    else index_error old.txt "map-catalogue: old.txt: File access denied."; fi
    expect_file old.txt old
}
row "export over a read-only file, as root too" read_only_file export
row "index over a read-only file, as root too" read_only_file index

unwritable_folder() {
    id nobody >/dev/null 2>&1 || { note "no user nobody"; return; }
    mkdir locked && echo old > locked/mine.txt && chmod 666 locked/mine.txt && chmod 555 locked
    mc_as_nobody --dir maps export locked/new.txt
    expect_error 2 "map-catalogue: locked/new.txt: File access denied."
    expect_absent locked/new.txt
    # A writable file in it is written in place.
    mc_as_nobody --dir maps export locked/mine.txt
    expect "exit code in place" 0 "$code"
    expect_demo_list locked/mine.txt
    expect "nothing else in the folder" "mine.txt" "$(ls -A locked)"
}
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
    row "export into an unwritable folder" unwritable_folder
else
    skip "export into an unwritable folder" "needs root and the user nobody"
fi

through_link() {
    echo old > real.txt
    ln -s real.txt link.txt
    mc export link.txt
    expect "exit code" 0 "$code"
    [ -L link.txt ] || note "link.txt is no longer a link"
    expect_demo_list real.txt
}
row "export through a symbolic link" through_link

hard_linked() {
    echo old > one.txt
    ln one.txt two.txt
    mc index --output one.txt
    expect "exit code" 0 "$code"
    expect "still one file" "2" "$(stat -c %h one.txt)"
    expect "the other name sees the index" "$(cat one.txt)" "$(cat two.txt)"
    expect "index written" "Maps indexed: 12|13" "$(cat err)|$(wc -l < two.txt)"
}
row "index over a hard-linked file" hard_linked

stdout_file() {
    timeout -k 5 "$guard" "$catalogue" export /dev/stdout > list.txt; code=$?
    expect "exit code" 0 "$code"
    expect_demo_list list.txt
}
row "export to stdout redirected to a file" stdout_file

into_pipes() {
    expect "through a pipe" "$(demo_list)" "$(timeout -k 5 "$guard" "$catalogue" export /dev/stdout | cat)"
    mkfifo fifo
    # The export does not wait for a reader, so it is tried until the
    # reader has the FIFO open; the reader gives up in time on its own and
    # keeps no descriptor of ctest's.
    (timeout "$guard" cat fifo > from-fifo 2>/dev/null &)
    for _ in $(seq 100); do
        mc export fifo
        [ "$code" -eq 0 ] && break
        sleep 0.1
    done
    expect "exit code into a FIFO" 0 "$code"
    for _ in $(seq 100); do [ -s from-fifo ] && break; sleep 0.1; done
    expect_demo_list from-fifo
}
row "export into a pipe and a FIFO" into_pipes

to_terminal() {
    timeout -k 5 "$guard" script -qec "'$catalogue' export /dev/stdout" /dev/null > typescript; code=$?
    expect "exit code" 0 "$code"
    expect "on the terminal" "$(demo_list | tr -d '\r')" "$(tr -d '\r' < typescript)"
}
row "export to a terminal" to_terminal

# Exports the 100,000 maps into out-folder/list.txt and sends a signal while
# the export holds a file there open; the old list or the whole new one stays.
signal_mid_export() { # signal
    mkdir out-folder
    echo old > out-folder/list.txt
    "$catalogue" --dir "$many" export out-folder/list.txt 2>/dev/null &
    local pid=$!
    while kill -0 $pid 2>/dev/null && ! ls -l /proc/$pid/fd 2>/dev/null | grep -q out-folder/; do :; done
    kill "-$1" $pid 2>/dev/null
    wait $pid 2>/dev/null
    [ "$(head -c 4 out-folder/list.txt)" = old ] \
        || expect "a complete new list" 100012 "$(wc -l < out-folder/list.txt)"
}
killed_mid_export() {
    signal_mid_export KILL
    # Whatever a kill leaves behind, and one of ours, is stale after a minute.
    echo partial > out-folder/.~write-Stale1
    touch -d '2 minutes ago' out-folder/.~write-*
    echo recent > out-folder/.~write-Fresh1 # may belong to a running export
    mc export out-folder/list.txt
    expect "exit code" 0 "$code"
    expect_demo_list out-folder/list.txt
    expect "left in the folder" ".~write-Fresh1|list.txt|" "$(ls -A out-folder | tr '\n' '|')"
}
row "export killed with SIGKILL, then again" killed_mid_export

terminated_mid_export() {
    signal_mid_export TERM
    expect "left in the folder" "list.txt" "$(ls -A out-folder)"
}
row "export stopped with SIGTERM" terminated_mid_export

locked_temporary_kept() {
    mkdir out-folder
    echo busy > out-folder/.~write-Busy01
    touch -d '2 minutes ago' out-folder/.~write-Busy01
    flock out-folder/.~write-Busy01 sleep "$guard" & # a slow export still writing
    local holder=$!
    for _ in $(seq 100); do flock -n out-folder/.~write-Busy01 true || break; sleep 0.1; done
    mc export out-folder/list.txt
    kill $holder 2>/dev/null; wait $holder 2>/dev/null
    expect "exit code" 0 "$code"
    expect_file out-folder/.~write-Busy01 busy
}
row "a locked old temporary is kept" locked_temporary_kept

# ---- the viewer -------------------------------------------------------------

zombies() { grep -l '^[0-9]* (\(map-catalogue\|timeout\|viewer\|no-viewer\)) Z' /proc/[0-9]*/stat 2>/dev/null | sort; }
viewer_fails() { # viewer, message
    [ "$1" != "$PWD/viewer" ] || chmod 644 viewer
    printf 'maps\r\n%s\r\n' "$1" > lister.txt
    local before
    before=$(zombies)
    mc view Harbour
    expect_error 2 "map-catalogue: The viewer could not be started: $1: $2"
    expect "new zombies" "" "$(comm -13 <(echo "$before") <(zombies))"
}
row "missing viewer" viewer_fails "$work/no-viewer" "File not found."
row "viewer not executable" viewer_fails "$work/rows/viewer not executable/viewer" "File access denied."

# ---- a failed write keeps the old file ------------------------------------------
# No file may grow (ulimit -f 0): a write over out/list.txt, in place or
# replaced, fails and leaves the old bytes, its link and nothing else.
no_room() { # linked|replaced, then map-catalogue's arguments
    mkdir out && printf 'old\r\n' | tee old.txt > out/list.txt
    [ "$1" = replaced ] || ln out/list.txt out/link.txt
    (shift; ulimit -f 0; exec timeout -k 5 "$guard" "$catalogue" "$@") 2>&1 >/dev/null | cat > err # not a file
    code=${PIPESTATUS[0]}
    case "$code $(cat err)" in "2 map-catalogue: out/list.txt: I/O error 223."*) ;; *) note "exit $code: $(cat err)" ;; esac
    cmp -s old.txt out/list.txt || note "old bytes lost: $(od -c out/list.txt | head -n 2)"
    expect "left in the folder" "$([ "$1" = replaced ] || echo 'link.txt|')list.txt|" "$(ls -A out | tr '\n' '|')"
}
# ThreadSanitizer's runtime writes a file of its own as it starts, so a
# limit of 0 kills it before the program runs.
if grep -q __tsan_init "$catalogue"; then
    skip "writes that may not grow" "the ThreadSanitizer runtime cannot start under ulimit -f 0"
else
    row "export over a linked file that may not grow" no_room linked export out/list.txt
    row "index replacing a file that may not grow" no_room replaced index --output out/list.txt
fi

# ---- a full disk ------------------------------------------------------------
# Commands run in a mount namespace of their own on a 64 KiB file system filled
# to the last page ("filler"); the checks run there too and leave their
# findings here.
can_fill_a_disk() { [ "$(id -u)" -eq 0 ] && unshare -m sh -c 'mount -t tmpfs -o size=64k tmpfs "$1"' sh "$work" 2>/dev/null; }
on_a_full_disk() { # folder to mount over, then a shell script run there with $catalogue as $1
    mkdir -p "$1"
    timeout -k 5 "$guard" unshare -m bash -c 'mount -t tmpfs -o size=64k tmpfs "$1" && eval "$2"' \
        sh "$1" "$2" "$catalogue" "${map_index:-}" "$dir" || note "the full-disk script failed: $?"
}

full_disk_index() {
    printf 'old\r\n' > old.txt
    on_a_full_disk out 'cp old.txt out/list.txt && { head -c 1M /dev/zero > out/filler; true; } 2>/dev/null
        "$3" index --output out/list.txt >/dev/null 2>err; echo $? > code
        cmp -s old.txt out/list.txt && echo kept > kept; ls -A out | tr "\n" "|" > left'
    expect "exit code" 2 "$(cat code)"
    expect "stderr" "map-catalogue: out/list.txt: Disk full." "$(cat err)"
    expect "the old bytes kept" kept "$(cat kept 2>/dev/null)"
    expect "left in the folder" "filler|list.txt|" "$(cat left)"
}
if can_fill_a_disk; then
    row "index replacing a file on a full disk" full_disk_index
else
    skip "index replacing a file on a full disk" "needs root and a mount namespace"
fi

# ---- threads that cannot start -----------------------------------------------

# The 100,000 maps read with 64 threads as "nobody", with room for only three
# more threads of that user: the work goes on with the threads there are.
few_threads() { # expected last stderr line, command...
    local last=$1; shift
    local limit=$(($(find /proc/[0-9]*/task -mindepth 1 -maxdepth 1 -user nobody 2>/dev/null | wc -l) + 4))
    (ulimit -u "$limit"; exec timeout -k 5 "$guard" setpriv --reuid=nobody --regid=nogroup --clear-groups \
        "$catalogue" --dir "$many" --jobs 64 "$@") >out 2>err
    code=$?
    [ "$code" -ne 124 ] || note "map-catalogue $* never ended"
    expect_done "$last"
}
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
    row "64 threads, room for 3: index" few_threads "Maps indexed: 100012" index
    row "64 threads, room for 3: content search" few_threads "Maps found: 2" search --content "Northern Expansion"
else
    skip "64 threads, room for 3" "needs root and the user nobody"
fi

# ---- relative lines in lister.txt, and error words ---------------------------

# A program for each relative viewer line and for wine, and a maps/maps
# folder, wait in the maps folder (current once entered); none may be used.
relative_lines() { # lister folder, maps line, viewer line, PATH, the viewer's record or stderr
    mkdir -p maps/maps "$(dirname "$1/$3")" && cp maps/Harbour.fcw maps/maps/Decoy.fcw && cp viewer "$1/$3"
    for program in "$3" wine; do
        mkdir -p "$(dirname "maps/$program")"
        printf '#!/bin/sh\ntouch "%s/decoy-ran"\n' "$PWD" > "maps/$program" && chmod 755 "maps/$program"
    done
    printf '%s\r\n%s\r\n' "$2" "$3" > "$1/lister.txt"
    local top=$PWD
    cd "$1" && mc search --content "Northern Expansion" && expect_done "Maps found: 2"
    mc details Decoy && expect "details of maps/maps/Decoy" 2 "$code"
    PATH=$4 mc view Harbour
    if [ -n "${5-}" ]; then expect_error 2 "$5"; else
        for _ in $(seq 100); do [ -s "$3.args" ] && break; sleep 0.1; done
        printf '1\n%s\0' "$top/maps/Harbour.fcw" | cmp -s - "$3.args" || note "the viewer did not get the map"
    fi
    cd "$top" && sleep 0.3 && expect_absent decoy-ran
}
row "relative lister lines and ./viewer.sh" relative_lines . maps ./viewer.sh "$PATH"
row "relative lister lines read from another folder" relative_lines conf ../maps bin/viewer.sh "$PATH"
row "bare viewer name, PATH ending in :" relative_lines . maps viewer.sh "$PATH:" \
    "map-catalogue: The viewer could not be started: viewer.sh: File not found."
if command -v wine >/dev/null; then skip "PATH ending in : and wine in the maps folder" "wine is installed"
else row "PATH ending in : and wine in the maps folder" relative_lines . maps ./cm32.exe "$PATH:"; fi

file_too_large() {
    for i in $(seq 200); do : > "maps/padding map $i.fcw"; done
    (trap '' XFSZ; ulimit -f 1; mc export list.txt; echo "$code" > code)
    code=$(cat code) && expect_error 2 "map-catalogue: list.txt: I/O error 223. (File too large)"
}
row "export over ulimit -f" file_too_large


# ---- maps named with dots, and maps a content search cannot read ----------

# Each entry opens the file it was listed from, though its text is cut at the
# first dot; a name typed alone finds the first file listed as it.
dotted_names() {
    printf 'xx\rMap Name: Second Volume\r' > "maps/Vol.2 Caves.fcw"
    printf 'xx\rMap Name: Old Town 1850\r' > maps/Harbour.1850.fcw
    head -c 4096 /dev/zero > maps/._Harbour.fcw # left by another system; its entry is empty
    mc search --content "Old Town 1850"
    expect "the second Harbour is searched" "0|Harbour|Maps found: 1" "$code|$(cat out)|$(cat err)"
    mc details Vol
    expect "details" "0|Map Name: Second Volume" "$code|$(cat out)"
    mc view Vol
    expect_viewer_got "$PWD/maps/Vol.2 Caves.fcw"
    mc index
    expect "index" "0|Maps indexed: 15" "$code|$(cat err)"
    expect "indexed rows" $'Harbour\tOld Town 1850\nVol\tSecond Volume' "$(grep -e 1850 -e Second out | cut -f 1,2)"
}
row "names with dots open their own files" dotted_names

# Unreadable maps are skipped and named, each on its line; the matches stay.
skipped_maps() { # search text, expected stdout, expected last stderr line
    ln -s nowhere "maps/Zz Broken.fcw"
    mkdir maps/x.fcw
    mc search --content "$1"
    expect "exit code, stdout" "2|$2" "$code|$(cat out)"
    expect "stderr" "map-catalogue: maps/x.fcw: File access denied.|map-catalogue: maps/Zz Broken.fcw: File not found.|$3" \
        "$(paste -sd'|' err)"
}
row "unreadable maps skipped" skipped_maps "Northern Expansion" $'Frost Peaks\nSunken Temple' "Maps found: 2"
row "unreadable maps skipped, nothing found" skipped_maps "nowhere" "" \
    "No maps containing the desired search string were found"

unreadable_by_nobody() {
    cp maps/Harbour.fcw maps/Secret.fcw && chmod 600 maps/Secret.fcw
    mc_as_nobody search --content "Thalmarch Atlas"
    expect "exit code, matches, stderr" "2|7|map-catalogue: maps/Secret.fcw: File access denied.|Maps found: 7" \
        "$code|$(wc -l < out)|$(paste -sd'|' err)"
}
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
    row "a map nobody may read is skipped" unreadable_by_nobody
else
    skip "a map nobody may read is skipped" "needs root and the user nobody"
fi

# ---- CSV cells and Map Index --------------------------------------------------

# A spreadsheet opening the CSV must not run a map's name or value as a formula;
# TSV and JSON keep every value as it is, and a plain number stays a number.
csv_formula_cells() {
    printf 'Map Name: =HYPERLINK("http://x")\rMap Type: +cmd\rProduct: @SUM(A1)\rPage Number: -1\r' > maps/=cmd.fcw
    mc index --format csv
    expect "CSV row" "'=cmd,\"'=HYPERLINK(\"\"http://x\"\")\",'+cmd,'@SUM(A1),-1" "$(grep -a '=cmd,' out | tr -d '\r')"
    mc index
    expect "TSV row" "=cmd	=HYPERLINK(\"http://x\")	+cmd	@SUM(A1)	-1" "$(grep -a '^=cmd' out)"
    mc index --format json
    expect "JSON value" 1 "$(grep -c '"map_name":"=HYPERLINK(\\"http://x\\")"' out)"
    rm maps/=cmd.fcw
}
row "CSV cells that look like formulas" csv_formula_cells

# map-index offscreen on ./maps, started in folder $1 with HOME=./home, the
# options in mi_options and the given environment, until its cache holds $2.
map_index_until() { # folder, text, VAR=value...
    local folder=$1 text=$2 app found=""
    shift 2
    (cd "$folder" && exec env HOME="$dir/home" QT_QPA_PLATFORM=offscreen "$@" \
        timeout -k 5 "$guard" "$map_index" --dir "$dir/maps" "${mi_options[@]}") >map-index.log 2>&1 &
    app=$!
    for _ in $(seq $((guard * 10))); do
        grep -qsF -- "$text" home/.cache/map-utility/*.cache && { found=1; break; }
        kill -0 $app 2>/dev/null && sleep 0.1 || break
    done
    kill $app 2>/dev/null
    wait $app 2>/dev/null
    [ -n "$found" ] || note "map-index: its cache never held $text ($(head -c 300 map-index.log))"
}

# Relative XDG folders are ignored: nothing is made in the current folder (the maps folder).
map_index_relative_xdg() {
    local mi_options=(--config-dir)
    map_index_until maps "Harbour District" XDG_CACHE_HOME=cache XDG_CONFIG_HOME=config
    expect_absent maps/cache
    expect_absent maps/config
}

# Map Index's cache on a full disk: the reading that would save a new map
# leaves the cache as it was (the save's lock file says it was tried).
map_index_full_disk() {
    map_index_until . "Harbour District"
    cp -r home/.cache/map-utility cache.old && rm -f cache.old/*.lock
    cp maps/Harbour.fcw "maps/New Port.fcw"
    on_a_full_disk home/.cache/map-utility 'cp cache.old/* home/.cache/map-utility/ && { head -c 1M /dev/zero > home/.cache/map-utility/filler; true; } 2>/dev/null
        (HOME="$5/home" QT_QPA_PLATFORM=offscreen exec "$4" --dir "$5/maps") >map-index.log 2>&1 &
        for _ in $(seq 250); do ls home/.cache/map-utility/*.lock >/dev/null 2>&1 && break; sleep 0.1; done
        ls home/.cache/map-utility/*.lock >/dev/null 2>&1 && echo tried > tried
        kill $! && wait $!
        for old in cache.old/*.cache; do cmp -s "$old" "home/.cache/map-utility/${old##*/}" || echo "$old" >> changed; done'
    expect "a save was tried" tried "$(cat tried 2>/dev/null)"
    expect "caches changed" "" "$(cat changed 2>/dev/null)"
    rm "maps/New Port.fcw"
}

# A map rewritten with its size and time kept is read again at the next start.
map_index_stale_details() { # in-place | copy
    printf 'Map Name: Alpha\r' > maps/Twin.fcw
    map_index_until . Alpha
    printf 'Map Name: Bravo\r' > twin.new
    touch -r maps/Twin.fcw twin.new
    if [ "$1" = copy ]; then rm maps/Twin.fcw && cp -p twin.new maps/Twin.fcw
    else cat twin.new > maps/Twin.fcw && touch -r twin.new maps/Twin.fcw; fi
    map_index_until . Bravo
    rm maps/Twin.fcw
}

mi_options=()
if [ -n "${3:-}" ]; then
    map_index=$(realpath "$3")
    row "Map Index: relative XDG_CACHE_HOME and XDG_CONFIG_HOME" map_index_relative_xdg
    row "Map Index: a map rewritten with its time put back (touch -r)" map_index_stale_details in-place
    row "Map Index: a map replaced by a copy with the old time (cp -p)" map_index_stale_details copy
    if can_fill_a_disk; then
        row "Map Index: a full disk keeps the cache" map_index_full_disk
    else
        skip "Map Index: a full disk keeps the cache" "needs root and a mount namespace"
    fi
else
    skip "Map Index rows" "no map-index given"
fi

# ---- index --recursive: links back up the tree ------------------------------

# Links to folders are never followed: a loop through ".", "..", an absolute
# path or another link ends, and lists each map once, in its own folder.
recursive_index_loop() { # how the link is made, inside maps/sub
    mkdir maps/sub
    printf 'Map Name: Below\r' > maps/sub/Below.fcw
    (cd maps/sub && eval "$1")
    mc --dir maps index --recursive
    expect_done "Maps indexed: $(($(ls maps/*.fcw | wc -l) + 1))"
    expect "rows" "$(($(ls maps/*.fcw | wc -l) + 2))" "$(wc -l < out)"
    expect "the map below" "Below	sub	Below			" "$(grep -a '^Below' out)"
    rm -r maps/sub
}
row "index --recursive: a link to the folder above" recursive_index_loop "ln -s .. up"
row "index --recursive: a link to itself" recursive_index_loop "ln -s . self"
row "index --recursive: an absolute link to the top" recursive_index_loop 'ln -s "$dir/maps" top'

# ---- maps whose size reads 0 ------------------------------------------------

# A map linked to a /proc file: its size reads 0, yet it holds bytes, read to
# the end the reads find. /proc/self/environ is the reader's own environment,
# so the row puts the map's text there: after PAD bytes, past the first read.
proc_map() { # PAD
    ln -s /proc/self/environ maps/Proc.fcw
    export PROC_MAP
    PROC_MAP=$(head -c "$1" /dev/zero | tr '\0' x)$'\rMap Name: Proc Map\rMap Type: Virtual\r'
    mc --dir maps search --content "Proc Map"
    expect_done "Maps found: 1"
    expect "search" "Proc" "$(cat out)"
    if [ "$1" -eq 0 ]; then
        mc --dir maps details Proc
        expect "details" $'Map Name: Proc Map\nMap Type: Virtual' "$(cat out)"
        mc --dir maps index
        expect "index" $'Proc\tProc Map\tVirtual\t\t' "$(grep -a '^Proc' out)"
    fi
    unset PROC_MAP
    rm maps/Proc.fcw
}
row "a map linked to a /proc file (its size reads 0)" proc_map 0
row "a /proc map longer than one read" proc_map 130000

# ---- index --recursive and search --recursive: one error, one line ---------

# A folder that may be listed but not entered, and a tree deeper than the
# descriptors allowed: each failing folder is reported once, and the rest is
# listed. The search walks the same tree with the same words.
recursive_error_once() { # setup, error line's end, nobody|ulimit
    eval "$1"
    for command in "index --recursive" "search --recursive --content Below"; do
        if [ "$3" = nobody ]; then
            mc_as_nobody --dir maps $command
        else
            (ulimit -n 64; exec timeout -k 5 "$guard" "$catalogue" --dir maps $command) >out 2>err
            code=$?
        fi
        expect "$command: exit code" 2 "$code"
        grep -q -F -- "$2" err || note "$command: no line ends in $2"
        expect "$command: lines said twice" "" "$(grep '^map-catalogue:' err | sort | uniq -d)"
    done
    chmod -R u+rwx maps
    rm -rf maps/sub
}
row "recursive: a folder that may be read but not entered" recursive_error_once \
    'mkdir maps/sub && printf Below > maps/sub/Below.fcw && chmod 644 maps/sub' \
    "map-catalogue: maps/sub: File access denied." nobody
deep_tree() { local p=maps/sub; mkdir "$p"; for _ in $(seq 70); do p=$p/d; mkdir "$p"; printf Below > "$p/x.fcw"; done; }
if [ -n "${MAP_UTILITY_SANITIZER:-}" ]; then
    # The sanitizer tests memory through a pipe of its own, which a process out of
    # descriptors cannot make: it then reports every object as broken.
    skip "recursive: a tree deeper than ulimit -n 64 allows" "the sanitizer needs descriptors of its own"
else
    row "recursive: a tree deeper than ulimit -n 64 allows" recursive_error_once deep_tree ": Too many open files." ulimit
fi

# A map deeper than a path can name is read in the folder the walk opened.
recursive_index_deep() {
    local name
    name=$(printf 'd%.0s' $(seq 200))
    (cd -P maps && for _ in $(seq 24); do mkdir "$name" && cd -P "$name" || exit 1; done &&
        printf 'Map Name: Deep\r' > Deep.fcw) 2>/dev/null || note "the deep folders could not be made"
    mc --dir maps index --recursive
    expect_done "Maps indexed: $(($(ls maps/*.fcw | wc -l) + 1))"
    expect "the deep map" "Deep" "$(grep -a '^Deep' out | cut -f1)"
    expect "its folder's length" 4823 "$(grep -a '^Deep' out | cut -f2 | tr -d '\n' | wc -c)"
    rm -rf "maps/$name"
}
row "index --recursive: a map past the path limit (4,800 bytes)" recursive_index_deep

[ $failures -eq 0 ] && echo "every bad-input row passed"
exit $failures
