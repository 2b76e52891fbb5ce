#!/bin/bash
# CPU time an idle, settled window uses in 10 s: Jotbook next to FeatherPad, interleaved runs, medians.
# Usage: bench/idle_cpu.sh [RUNS] [JOTBOOK] [KEY=VALUE...]
#   without JOTBOOK (or with "") a Release build is made in build-desktop-bench; KEY=VALUE pairs are
#   Jotbook settings for the runs, e.g. Transparensy=True CheckMouse=True for cursor following.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepare.sh
exec /usr/bin/python3 bench/desktop_bench.py idle "$JOTBOOK" "${1:-3}" "${@:3}"
