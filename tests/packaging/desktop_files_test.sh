#!/usr/bin/env bash
# Every desktop entry and AppStream file in the resources folder validates
# cleanly, and each entry has what menus and software centres rely on.
# Usage: desktop_files_test.sh RESOURCES_DIR
set -u
resources=$1
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
shopt -s nullglob
entries=("$resources"/*.desktop)
[ ${#entries[@]} -gt 0 ] || fail "no desktop entry in $resources"

for entry in "${entries[@]}"; do
    name=${entry##*/}
    id=${name%.desktop}
    report=$(desktop-file-validate "$entry" 2>&1) || fail "$name: $report"
    [ -z "$report" ] || fail "$name: $report"
    for key in Keywords TryExec Exec Icon; do
        grep -q "^$key=." "$entry" || fail "$name has no $key="
    done
    grep -q "^Icon=$id$" "$entry" || fail "$name: the icon is not named after the id"
    # Started from a menu the program keeps its files in its configuration folder.
    grep -q '^Exec=.* --config-dir' "$entry" || fail "$name does not pass --config-dir"
    # One main category, so the entry shows up in one menu only.
    main=$(grep '^Categories=' "$entry" | cut -d= -f2 | tr ';' '\n' |
        grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility')
    [ "$main" -eq 1 ] || fail "$name has $main main categories"

    metainfo=$resources/$id.metainfo.xml
    if [ ! -f "$metainfo" ]; then
        fail "$name has no $id.metainfo.xml"
        continue
    fi
    # Infos are fine; errors and warnings are not.
    report=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) || fail "$id.metainfo.xml does not validate"
    grep -qE '^[EW]: ' <<<"$report" && fail "$id.metainfo.xml:"$'\n'"$report"
    grep -q "<launchable type=\"desktop-id\">$name</launchable>" "$metainfo" ||
        fail "$id.metainfo.xml does not launch $name"
    for element in summary description releases; do
        grep -q "<$element>" "$metainfo" || fail "$id.metainfo.xml has no <$element>"
    done
done
[ "$failures" -eq 0 ] && echo "desktop entries and metainfo valid: ${entries[*]##*/}"
exit $((failures > 0))
