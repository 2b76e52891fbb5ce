#!/bin/bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each for a while, starting from its
# corpus in tests/fuzz/corpus/<target>/. New inputs go to a scratch folder and are dropped; a failing
# input stops the run and is kept as build-fuzz/artifacts/<target>-crash-... .
# Usage: tests/fuzz/run.sh [SECONDS per target, default 10] [TARGET...]
#        tests/fuzz/run.sh merge SECONDS [TARGET...]   also adds what the run found to the corpus
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/ensure-packages.sh
ensure_packages "${JOTBOOK_BUILD_PACKAGES[@]}" clang libclang-rt-14-dev

merge=0
if [ "${1:-}" = merge ]; then merge=1; shift; fi
seconds=${1:-10}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_ini fuzz_settings_value fuzz_textdocument fuzz_command_line)

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DJOTBOOK_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build-fuzz/artifacts
export QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='qt.qpa.*=false'
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in "${targets[@]}"; do
    corpus=tests/fuzz/corpus/$t
    mkdir -p "$scratch/$t" "$corpus"
    log=build-fuzz/artifacts/$t.log
    if ! "build-fuzz/tests/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
            -artifact_prefix="build-fuzz/artifacts/$t-" "$scratch/$t" "$corpus" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "$t: failed; the input is in build-fuzz/artifacts/" >&2
        exit 1
    fi
    echo "$t: $(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1)"
    if [ $merge -eq 1 ]; then
        "build-fuzz/tests/fuzz/$t" -merge=1 "$corpus" "$scratch/$t" >>"$log" 2>&1
        echo "$t: corpus has $(find "$corpus" -type f | wc -l) inputs"
    fi
done
