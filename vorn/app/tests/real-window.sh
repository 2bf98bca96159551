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
n=110
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
XPID=$!
trap 'kill $XPID 2>/dev/null' EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"
mkdir -p "$(dirname "$OUT")"
"$CHECK" "$SCENE" "$OUT"
