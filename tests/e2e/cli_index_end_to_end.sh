#!/usr/bin/env bash
# Runs map-catalogue index on the demo collection plus awkward maps, then reads
# the CSV and JSON back with real parsers and compares them with `details`.
set -u
catalogue=$(realpath "$1")
make_demo=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
command -v python3 >/dev/null || { echo "python3 is missing"; exit 77; }

"$make_demo" "$work/maps" >/dev/null || { echo "FAIL: demo maps"; exit 1; }
cd "$work"
printf 'Map Name: Caf\xe9 \x80 "quoted", comma\r\nPage Number: 9\r' > "maps/Accents.fcw"
printf 'Map Type: tabbed\r' > "maps/Tab$(printf '\t')Name.fcw"
printf 'Product: odd\r' > "maps/Bad$(printf '\377').fcw"
mkdir "maps/gone.fcw" # listed as "gone", never readable

"$catalogue" --dir maps index > index.tsv 2> tsv.err; tsv_code=$?
"$catalogue" --dir maps index --format csv > index.csv 2> csv.err; csv_code=$?
"$catalogue" --dir maps index --format json > index.json 2> json.err; json_code=$?
"$catalogue" --dir maps index --format json --output out.json 2> out.err; out_code=$?
"$catalogue" --dir maps -0 scan > entries 2>/dev/null

python3 - "$catalogue" "$work" "$tsv_code" "$csv_code" "$json_code" "$out_code" <<'PYTHON'
import csv, json, os, subprocess, sys

catalogue, work = sys.argv[1], sys.argv[2]
codes = [int(c) for c in sys.argv[3:7]]
failures = []
def check(what, expected, actual):
    if expected != actual:
        failures.append(f"{what}: expected {expected!r}, got {actual!r}")

check("exit codes (tsv, csv, json, --output)", [2, 2, 2, 2], codes)
gone = b"maps/gone.fcw"
for name in ["tsv.err", "csv.err", "json.err", "out.err"]:
    with open(name, "rb") as f:
        check(name, b"map-catalogue: " + gone + b": File access denied.\nMaps indexed: 15\n", f.read())

with open("index.json", "rb") as f:
    rows = json.loads(f.read())
with open("out.json", "rb") as f:
    check("--output holds the same JSON", rows, json.loads(f.read()))
with open("index.csv", newline="", encoding="utf-8") as f:
    table = list(csv.reader(f))
check("csv header", ["entry", "map name", "map type", "product", "page number"], table[0])
keys = ["map_name", "map_type", "product", "page_number"]
check("csv rows equal json rows", [[r["entry"]] + [r[k] or "" for k in keys] for r in rows], table[1:])
with open("index.tsv", "rb") as f:
    check("tsv line count", len(rows) + 1, f.read().count(b"\n"))

with open("entries", "rb") as f:
    entries = [e for e in f.read().split(b"\0") if e and e != b"gone"]
check("one row per readable map", len(entries), len(rows))
detail_keys = [b"Map Name", b"Map Type", b"Product", b"Page Number"]
for entry, row in zip(entries, rows):
    try:
        name = entry.decode("utf-8")
    except UnicodeDecodeError:
        name = entry.decode("cp1252")
        check("entry_bytes", entry.hex(), __import__("base64").b64decode(row["entry_bytes"]).hex())
    check("entry", name, row["entry"])
    shown = subprocess.run([catalogue, "--dir", "maps", "details", "--", entry], capture_output=True).stdout
    expected = {k: None for k in keys}
    for line in shown.split(b"\n"):
        for key, field in zip(detail_keys, keys):
            if line.startswith(key):
                expected[field] = line[len(key):].lstrip(b": ").decode("cp1252")
    check(f"values of {name!r}", expected, {k: row[k] for k in keys})

accents = [r for r in rows if r["entry"] == "Accents"][0]
check("decoded value", 'Café € "quoted", comma', accents["map_name"])
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
PYTHON
result=$?
[ $result -eq 0 ] && echo "all index end-to-end checks passed"
exit $result
