#!/usr/bin/env bash
# Runs RealWindowCheck in a virtual display of its own: what the X server shows of the
# settings bar's renderer panes and of the recording mark. Exits 77 (skipped) when Xvfb or
# FFmpeg is not installed.
set -u
CHECK=$1
SCENE=$2
OUT=$3
for tool in Xvfb ffmpeg; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is not installed: skipping the real-window test"
        exit 77
    fi
done
. "$(dirname "$0")/start-xvfb.sh" 110
mkdir -p "$(dirname "$OUT")"
"$CHECK" "$SCENE" "$OUT"
