#!/usr/bin/env bash
# The manual pages format without a groff warning, and map-catalogue's page
# lists the commands its --help lists. Usage: manual_pages_test.sh MAP_CATALOGUE PAGE...
set -u
catalogue=$1
shift
command -v groff >/dev/null || { echo "groff is not installed"; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for page in "$@"; do
    warnings=$(groff -man -ww -z "$page" 2>&1)
    [ -z "$warnings" ] || fail "groff warns about ${page##*/}:"$'\n'"$warnings"
done

# Command words of --help: the first bare word after the program name on the
# usage lines, and the words that start a line of the command list (not of
# the examples that follow it).
help_commands() {
    local help
    help=$("$catalogue" --help 2>&1)
    {
        grep -o 'map-catalogue .*' <<<"$help" | sed -e 's/\[[^]]*\]//g' |
            awk '{ for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+$/) { print $i; break } }'
        sed -n '/^Commands:/,/^$/p' <<<"$help" | grep -oE '^  [a-z]+( |$)' | tr -d ' '
    } | sort -u
}
# Command words of the page's SYNOPSIS: the bold word after the optional [OPTIONS].
page_commands() {
    sed -n '/^\.SH SYNOPSIS/,/^\.SH /p' "$1" | awk 'prev == ".B map-catalogue" && $1 == ".RI" { getline; if ($1 == ".B") print $2 } { prev = $0 }' | sort -u
}
words() { tr '\n' ' ' <<<"$1"; }
page=$(printf '%s\n' "$@" | grep '/map-catalogue\.1$')
from_help=$(help_commands)
from_page=$(page_commands "$page")
[ -n "$from_help" ] || fail "no commands found in map-catalogue --help"
# index is on the page even while a --help without it is in use.
expected=$(printf '%s\nindex\n' "$from_help" | sort -u)
[ "$from_page" = "$expected" ] || fail "commands differ: --help has [$(words "$from_help")], the page [$(words "$from_page")]"
grep -q '^\.B index$' "$page" || fail "the page does not describe index"

[ "$failures" -eq 0 ] && echo "manual pages: no groff warning; commands: $(words "$from_page")"
exit $((failures > 0))
