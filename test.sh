#!/bin/bash
# Installs what the tests need when it is missing, builds Jotbook with its tests and runs every test:
# unit and window tests (offscreen) and end-to-end tests (the real program in a private Xvfb session).
# Usage: ./test.sh [more ctest arguments, e.g. -L e2e or -R first_start]
# JOTBOOK_CMAKE_ARGS adds configure options (CI: -DJOTBOOK_WERROR=ON).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages "${JOTBOOK_BUILD_PACKAGES[@]}" "${JOTBOOK_TEST_PACKAGES[@]}"

# shellcheck disable=SC2086
cmake -S . -B build-test -G Ninja -DBUILD_TESTING=ON ${JOTBOOK_CMAKE_ARGS:-} >/dev/null
cmake --build build-test -j"$(nproc)"
ctest --test-dir build-test --output-on-failure -j"$(nproc)" "$@"
