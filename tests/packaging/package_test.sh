#!/usr/bin/env bash
# Builds the Debian package of a build tree and compares its files with the
# list. Usage: package_test.sh BUILD_DIR FILE_LIST OUTPUT_DIR
# The package is left in OUTPUT_DIR for the lintian test.
set -u
build=$1 list=$2 out=$3
for tool in cpack dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
rm -rf "$out" && mkdir -p "$out" || exit 1
if ! log=$(cd "$build" && cpack -G DEB -B "$out" 2>&1); then
    echo "$log"
    echo "FAIL: cpack"
    exit 1
fi
shopt -s nullglob
packages=("$out"/map-utility_*.deb)
[ ${#packages[@]} -eq 1 ] || { echo "FAIL: expected one package, found ${#packages[@]}"; exit 1; }

expected=$(grep -v -e '^#' -e '^$' "$list" | sort)
actual=$(dpkg-deb -c "${packages[0]}" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort)
if [ "$expected" != "$actual" ]; then
    echo "FAIL: package files differ from $list (< expected, > packaged)"
    diff <(echo "$expected") <(echo "$actual")
    exit 1
fi

failures=0
field() { dpkg-deb -f "${packages[0]}" "$1"; }
check_field() { # field, pattern it must match
    if ! [[ $(field "$1") =~ $2 ]]; then
        echo "FAIL: $1 is '$(field "$1")'"
        failures=$((failures + 1))
    fi
}
check_field Maintainer '^Map Utility developers <maintainers@map-utility\.invalid>$'
# Libraries from dpkg-shlibdeps, fonts the windows are laid out for.
check_field Depends 'libqt6widgets6'
check_field Depends 'fonts-liberation'
check_field Depends 'fonts-comic-neue'
[ -z "$(field Homepage)" ] || { echo "FAIL: Homepage is set"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] && echo "package ${packages[0]##*/}: files and fields as expected"
exit $((failures > 0))
