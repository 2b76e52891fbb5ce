#!/bin/bash
# Builds Jotbook (installing what the build needs when it is missing) and starts it.
# Usage: ./run.sh [ФАЙЛ]
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages "${JOTBOOK_BUILD_PACKAGES[@]}"

cmake -S . -B build-run -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-run --target jotbook -j"$(nproc)"
exec build-run/jotbook "$@"
