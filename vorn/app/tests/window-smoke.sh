#!/usr/bin/env bash
# Starts the workbench in a virtual display of its own on an example scene, checks that it
# saves a picture of its window, and that a file it cannot open is reported while it stays open.
# Exits 77 (skipped) when Xvfb is not installed.
set -u
VORN=$1
SCENE=$2
OUT=$3
if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is not installed: skipping the window test"
    exit 77
fi
. "$(dirname "$0")/start-xvfb.sh" 90

rm -f "$OUT"
if ! "$VORN" --screenshot "$OUT" "$SCENE"; then
    echo "Vorn failed on $SCENE"
    exit 1
fi
# A drawn 1024x768 window compresses to well over a few kilobytes.
size=$(stat -c %s "$OUT" 2>/dev/null || echo 0)
if [ "$size" -lt 4000 ]; then
    echo "no picture (or an empty one) was written: $size bytes"
    exit 1
fi

# A file that cannot be read is reported and the workbench stays open (it still takes
# its picture and ends normally).
missing="$(dirname "$OUT")/no-such-scene.xml"
rm -f "${OUT%.png}-unreadable.png"
if ! "$VORN" --screenshot "${OUT%.png}-unreadable.png" "$missing" 2>"$OUT.err"; then
    echo "Vorn ended on a missing file instead of reporting it"
    cat "$OUT.err"
    exit 1
fi
if ! grep -q "no-such-scene.xml" "$OUT.err"; then
    echo "the error does not name the file:"
    cat "$OUT.err"
    exit 1
fi
if [ ! -s "${OUT%.png}-unreadable.png" ]; then
    echo "the workbench did not stay open after the unreadable file"
    exit 1
fi
echo "window drawn: $OUT ($size bytes)"
