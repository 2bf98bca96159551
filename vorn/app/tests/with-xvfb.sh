#!/usr/bin/env bash
# Runs a program with its arguments in a virtual display of its own. Exits 77 (skipped)
# when Xvfb is not installed.
set -u
if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is not installed: skipping $1"
    exit 77
fi
. "$(dirname "$0")/start-xvfb.sh" 120
"$@"
