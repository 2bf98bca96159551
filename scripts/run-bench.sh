#!/usr/bin/env bash
# Runs every benchmark executable of the build and prints its figures.
set -euo pipefail
BUILD_DIR=${1:-build}
found=0
for exe in "$BUILD_DIR"/bin/*Bench; do
    [ -x "$exe" ] || continue
    found=1
    echo "== $(basename "$exe")"
    "$exe" --benchmark_counters_tabular=true
done
if [ "$found" -eq 0 ]; then
    echo "no benchmarks were built" >&2
    exit 1
fi
