#!/usr/bin/env bash
# Runs every benchmark executable of the build and prints its figures. Benchmarks of the
# OpenGL view need a display: without one they run under a private virtual display when
# xvfb-run is installed (and say they are skipped when no OpenGL context can be made).
set -euo pipefail
BUILD_DIR=${1:-build}
found=0
for exe in "$BUILD_DIR"/bin/*Bench; do
    [ -x "$exe" ] || continue
    found=1
    name=$(basename "$exe")
    echo "== $name"
    if [[ "$name" == GL* && -z "${DISPLAY:-}" ]]; then
        if command -v xvfb-run >/dev/null 2>&1; then
            xvfb-run -a -s "-screen 0 1280x800x24" "$exe" --benchmark_counters_tabular=true
        else
            echo "$name skipped: no display and no xvfb-run"
        fi
        continue
    fi
    "$exe" --benchmark_counters_tabular=true
done
if [ "$found" -eq 0 ]; then
    echo "no benchmarks were built" >&2
    exit 1
fi
