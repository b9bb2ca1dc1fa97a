#!/usr/bin/env bash
# Lintian must find no error in the package the package test built.
# Usage: lintian_test.sh PACKAGE_DIR
set -u
command -v lintian >/dev/null || { echo "lintian is not installed"; exit 77; }
shopt -s nullglob
packages=("$1"/map-utility_*.deb)
[ ${#packages[@]} -eq 1 ] || { echo "FAIL: no package in $1"; exit 1; }
# Root is warned about on stderr; the tags come on stdout.
report=$(lintian --no-tag-display-limit "${packages[0]}" 2>/dev/null)
status=$?
echo "$report"
if [ $status -ne 0 ] && ! grep -q '^E: ' <<<"$report"; then
    echo "FAIL: lintian did not run (status $status)"
    exit 1
fi
! grep -q '^E: ' <<<"$report"
