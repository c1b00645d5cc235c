#!/usr/bin/env bash
# The batch sizer's printable report: made with no display, its text (pdftotext) holds the five
# recommendations of the samples; any QT_QPA_PLATFORM still gives a PDF (a path that cannot be
# written is in batch_sizer_test's refusals). Text output must not start the GUI machinery at
# all: an unusable platform plugin is set for it and must not matter.
# Usage: pdf_report_test.sh CLI_PATH SAMPLES_DIR
set -euo pipefail
cli=$1
samples=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    "$cli" --share-all --output "$dir/report.pdf" "$samples/db1a.sta" "$samples/db1b.sim" \
    2>"$dir/err" || fail "exit $? writing the PDF: $(cat "$dir/err")"
# Standard error holds the sizing's own notes only, no start-up chatter of the GUI machinery.
! grep -v -e "^Pool " -e "^loomstead-cli: warning: " "$dir/err" || fail "stray lines on standard error"
text=$(pdftotext -layout "$dir/report.pdf" - | tr -s ' \n' '  ')
for want in "SCA Size 8 Mb" "Lock Structure Size 8 Mb" \
    "Directory/Data Ratio 5 directory entries per data entry" "IRLM ECSA Size 6 Mb" \
    "Total Memory Required 598 Mb" "page_size_not_4k"; do
    grep -qF -- "$want" <<<"$text" || fail "the PDF's text lacks '$want'"
done

# Whatever platform the environment names, the PDF is drawn offscreen: with no display, any
# other would abort the program.
for platform in xcb wayland eglfs no-such-platform; do
    rm -f "$dir/p.pdf"
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=$platform \
        "$cli" --share-all --output "$dir/p.pdf" "$samples/db1a.sta" 2>"$dir/err" ||
        fail "exit $? with QT_QPA_PLATFORM=$platform: $(head -2 "$dir/err")"
    [ "$(head -c 5 "$dir/p.pdf")" = "%PDF-" ] || fail "no PDF with QT_QPA_PLATFORM=$platform"
done

QT_QPA_PLATFORM=no-such-platform "$cli" --share-all "$samples/db1a.sta" >"$dir/out" 2>"$dir/err" ||
    fail "text output needed a GUI platform: $(cat "$dir/err")"
grep -q "Total Memory Required" "$dir/out" || fail "no text output"
echo "PASS"
