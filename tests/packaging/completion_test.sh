#!/usr/bin/env bash
# Sources the bash completion of map-catalogue and asks it, as bash would, to
# complete command lines. Usage: completion_test.sh COMPLETION_FILE
set -u
completion=$(realpath "$1")
framework=/usr/share/bash-completion/bash_completion
[ -r "$framework" ] || { echo "bash-completion is not installed"; exit 77; }
# shellcheck source=/dev/null
source "$framework"
# shellcheck source=/dev/null
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/maps" "$work/other" "$work/start"
touch "$work/maps/Sunken Temple.fcw" "$work/maps/Sunny.map.fcw" "$work/maps/Harbour.FCW" "$work/maps/notes.txt" \
      "$work/other/Frost Peaks.fcw"
printf '%s\r\n%s\r\n' "$work/maps" /usr/bin/true >"$work/start/lister.txt"
cd "$work/start" || exit 1

failures=0
# expected (replies joined by "|", sorted), then the words as bash splits them;
# the last word is the one being completed.
check() {
    local expected=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    # bash splits "--dir=DIR" into three words; the line keeps it whole.
    COMP_LINE=${COMP_WORDS[0]}
    local i
    for ((i = 1; i < ${#COMP_WORDS[@]}; i++)); do
        [[ ${COMP_WORDS[i]} == = || ${COMP_WORDS[i - 1]} == = ]] || COMP_LINE+=' '
        COMP_LINE+=${COMP_WORDS[i]}
    done
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _map_catalogue map-catalogue "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    local actual
    actual=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd '|')
    if [ "$actual" != "$expected" ]; then
        echo "FAIL: ${COMP_LINE}"
        echo "  expected: $expected"
        echo "  actual:   $actual"
        failures=$((failures + 1))
    fi
}

check 'details|export|index|scan|search|view' map-catalogue ''
check 'details' map-catalogue de
check '--dir=' map-catalogue --di
check '--io-depth=' map-catalogue --io
check '--content' map-catalogue search --co
check '--format' map-catalogue index --f
check 'csv|json|tsv' map-catalogue index --format ''
# Entries come from lister.txt's first line, CR LF removed; any case of .fcw.
check 'Harbour|Sunken\ Temple|Sunny' map-catalogue details ''
check 'Sunken\ Temple|Sunny' map-catalogue view Sun
check 'Sunken Temple|Sunny' map-catalogue details '"Sun'
check 'Sunken Temple' map-catalogue details "'Sunk"
# --dir wins over lister.txt, in each spelling and after the command too.
check 'Frost\ Peaks' map-catalogue --dir ../other details ''
check 'Frost\ Peaks' map-catalogue -d ../other view F
check 'Frost\ Peaks' map-catalogue --dir = ../other details ''
check 'Frost\ Peaks' map-catalogue details --dir ../other ''
check 'Harbour' map-catalogue details -- H
# One entry only; the text of a search is the user's.
check '' map-catalogue details Sunny ''
check '' map-catalogue search S

cd "$work" || exit 1
check '' map-catalogue details ''

[ "$failures" -eq 0 ] && echo "all completions as expected"
exit $((failures > 0))
