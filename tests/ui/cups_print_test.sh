#!/bin/sh
# Prints a long map list once through a real CUPS queue (cups-pdf) and checks
# the PDF that comes out: its page count, and that a rendered page has ink.
# cups-pdf's PDFs carry no extractable text, so the words are not compared.
#
# Usage: cups_print_test.sh <tst_printing binary>
# Exits 77 (skipped) when CUPS cannot be started here.
set -u

SKIP=77
test_binary=${1:?usage: cups_print_test.sh <tst_printing binary>}
queue=MapUtilityTest

skip() {
    echo "SKIP: $*"
    exit $SKIP
}

for tool in cupsd lpadmin pdfinfo pdftoppm; do
    command -v "$tool" >/dev/null 2>&1 || [ -x "/usr/sbin/$tool" ] ||
        skip "$tool is not installed (packages cups, printer-driver-cups-pdf, poppler-utils)"
done
PATH=$PATH:/usr/sbin
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd
[ -f "$ppd" ] || skip "the cups-pdf driver is not installed (package printer-driver-cups-pdf)"
[ -e /usr/lib/cups/backend/cups-pdf ] || skip "the cups-pdf backend is missing"

# cupsd runs its backends as root, so it must be started as root.
if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif sudo -n true 2>/dev/null; then
    as_root="sudo -n"
else
    skip "cupsd needs root and sudo asks for a password"
fi

work=$(mktemp -d /tmp/map-utility-cups.XXXXXX) || skip "no temporary directory"
chmod 755 "$work"
mkdir -p "$work/etc/ppd" "$work/spool/tmp" "$work/cache" "$work/state" "$work/log"
socket=$work/cups.sock
cupsd_pid=""

cleanup() {
    if [ -n "$cupsd_pid" ]; then
        $as_root kill "$cupsd_pid" 2>/dev/null
        wait "$cupsd_pid" 2>/dev/null
    fi
    $as_root rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

cat >"$work/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $socket
Browsing No
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF

cat >"$work/etc/cups-files.conf" <<CONF
ServerRoot $work/etc
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
AccessLog $work/log/access_log
ErrorLog $work/log/error_log
PageLog $work/log/page_log
SystemGroup root
FileDevice No
Sandboxing Relaxed
CONF

# In the foreground, so that its PID is our handle to end it.
$as_root cupsd -f -c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf" >"$work/log/cupsd.out" 2>&1 &
cupsd_pid=$!

tries=0
until [ -S "$socket" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! ps -p "$cupsd_pid" >/dev/null 2>&1; then
        cat "$work/log/cupsd.out" "$work/log/error_log" 2>/dev/null | tail -n 20
        cupsd_pid=""
        skip "cupsd did not start"
    fi
    sleep 0.1
done

export CUPS_SERVER="$socket"
if ! $as_root env CUPS_SERVER="$socket" lpadmin -p "$queue" -E -v cups-pdf:/ -P "$ppd" 2>"$work/log/lpadmin.out"; then
    cat "$work/log/lpadmin.out"
    skip "could not create the cups-pdf queue"
fi

# cups-pdf writes to ~/PDF of the user who prints.
user_home=$(getent passwd "$(id -un)" | cut -d: -f6)
out_dir=$user_home/PDF
[ -d "$out_dir" ] && had_out_dir=yes || had_out_dir=no
before=$(ls "$out_dir" 2>/dev/null)

MAP_UTILITY_TEST_QUEUE=$queue QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} \
    "$test_binary" printsToNamedQueue || {
    echo "FAIL: printing to the queue failed"
    exit 1
}

# The job is done when the queue is empty again.
tries=0
while [ -n "$(lpstat -o "$queue" 2>/dev/null)" ]; do
    tries=$((tries + 1))
    if [ $tries -gt 600 ]; then
        echo "FAIL: the job did not finish"
        tail -n 20 "$work/log/error_log" 2>/dev/null
        exit 1
    fi
    sleep 0.1
done

pdf=""
for file in "$out_dir"/*.pdf; do
    [ -f "$file" ] || continue
    case "
$before
" in
    *"
$(basename "$file")
"*) ;;
    *) pdf=$file ;;
    esac
done
if [ -z "$pdf" ]; then
    echo "FAIL: no PDF from cups-pdf in $out_dir"
    tail -n 20 "$work/log/error_log" 2>/dev/null
    exit 1
fi
# Keep the test's output out of the user's folder.
mv "$pdf" "$work/printed.pdf" 2>/dev/null || $as_root mv "$pdf" "$work/printed.pdf"
$as_root chmod a+r "$work/printed.pdf"
[ "$had_out_dir" = no ] && rmdir "$out_dir" 2>/dev/null

pages=$(pdfinfo "$work/printed.pdf" 2>/dev/null | sed -n 's/^Pages:[[:space:]]*//p')
echo "cups-pdf produced $pages pages"
# 150 lines of 12-point text fill three to five pages, whatever the paper.
if [ -z "$pages" ] || [ "$pages" -lt 3 ] || [ "$pages" -gt 5 ]; then
    echo "FAIL: expected 3 to 5 pages, got '$pages'"
    exit 1
fi

pdftoppm -r 30 -gray -f 1 -l 1 "$work/printed.pdf" "$work/page" 2>/dev/null || {
    echo "FAIL: pdftoppm could not render page 1"
    exit 1
}
page_image=$(ls "$work"/page*.pgm | head -n 1)
# Count dark pixels of the binary PGM (header: magic, size, maxval).
dark=$(tail -c +"$(head -c 64 "$page_image" | awk 'BEGIN { n = 0; lines = 0 } { n += length($0) + 1; if (++lines == 3) { print n + 1; exit } }')" \
    "$page_image" | od -An -v -tu1 | tr -s ' ' '\n' | awk '$1 != "" && $1 < 128 { d++ } END { print d + 0 }')
echo "page 1 has $dark dark pixels"
if [ "$dark" -lt 50 ]; then
    echo "FAIL: page 1 is blank"
    exit 1
fi
echo "PASS: printed through CUPS queue $queue"
exit 0
