#!/usr/bin/env bash
# `make run`: starts the workbench on the demo scene (a sphere whose net grows
# as soon as it opens) when there is a display and a workbench binary;
# otherwise runs the headless demo with vorn-cli.
set -euo pipefail
BUILD_DIR=${1:-build}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
EXAMPLES="$ROOT/examples"
OUT="$ROOT/out"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$BUILD_DIR/bin/Vorn" ]; then
    exec "$BUILD_DIR/bin/Vorn" "$EXAMPLES/unfold-demo.xml"
fi

CLI="$BUILD_DIR/bin/vorn-cli"
if [ ! -x "$CLI" ]; then
    echo "run.sh: $CLI is missing; build first (make build)" >&2
    exit 1
fi

if [ -x "$BUILD_DIR/bin/Vorn" ]; then
    echo "No display found: running the headless demo instead of the workbench."
else
    echo "The workbench is not built: running the headless demo instead."
fi
mkdir -p "$OUT"
status=0
for model in "$EXAMPLES"/*; do
    [ -f "$model" ] || continue
    name=$(basename "$model")
    stem=${name%.*}
    ext=${name##*.}
    echo "== $name"
    if ! "$CLI" info "$model"; then
        status=1
        continue
    fi
    # Every model becomes a scene document; meshes also go back out as OFF.
    if [ "$ext" != "xml" ]; then
        "$CLI" convert "$model" "$OUT/$stem.xml" || status=1
    fi
    "$CLI" convert "$model" "$OUT/$stem.off" || status=1
done
# Batch run: several strategies on every example model and on a series of
# random convex polyhedra; results.csv is rewritten after every test and each
# net is written as a PDF beside it. Every choice is given, so the batch runner's
# stored choices cannot change the demo.
echo "== batch unfolding"
if ! "$CLI" batch --strategies "Breadth First,Depth First,Least Height,Curvature Ordering" \
    --models "$EXAMPLES" --random 50 --seed 1 --jobs 2 --write-pdfs --no-vary-randoms \
    --no-capture-fails --out "$OUT"; then
    status=1
fi
echo "Headless demo done: results are in $OUT"
exit $status
