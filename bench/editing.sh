#!/bin/bash
# Editing a 20 MiB document in Jotbook next to FeatherPad: typing at the end and in the middle,
# Shift+Left with everything selected, select all + delete + undo and saving; CPU of each editor's
# process, interleaved runs, medians.
# Usage: bench/editing.sh [RUNS] [JOTBOOK] [TEXT_DIR]   (without JOTBOOK a Release build is made in build-desktop-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepare.sh
exec /usr/bin/python3 bench/desktop_bench.py editing "$JOTBOOK" "${1:-3}" ${3:+"$3"}
