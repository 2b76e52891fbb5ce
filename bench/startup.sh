#!/bin/bash
# Start-up time of Jotbook next to FeatherPad: exec -> main window viewable, interleaved runs, medians.
# Usage: bench/startup.sh [RUNS] [JOTBOOK]   (without JOTBOOK a Release build is made in build-desktop-bench)
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/prepare.sh
exec /usr/bin/python3 bench/desktop_bench.py startup "$JOTBOOK" "${1:-7}"
