# Sourced by the end-to-end scripts: a scratch folder holding the demo maps,
# entered, and a check that counts failures. Arguments: map-catalogue, make-demo-maps.
catalogue=$1
make_demo=$2
work=$(mktemp -d)
# Rows may take permissions away; put them back so the folder can go.
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
failures=0
check() { # description, expected, actual
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1"; echo "  expected: $(printf '%q' "$2")"; echo "  actual:   $(printf '%q' "$3")"
        failures=$((failures + 1))
    fi
}

"$make_demo" "$work/maps" >/dev/null || { echo "FAIL: demo maps"; exit 1; }
cd "$work"
