#!/usr/bin/env bash
# Builds every libFuzzer target with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for the given number of seconds (default 60) on a copy of its seed corpus.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${NATTERBY_FUZZ_BUILD_DIR:-$root/build-fuzz}
"$root/scripts/setup.sh"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNATTERBY_FUZZ=ON -DNATTERBY_SANITIZE=ON -DNATTERBY_BENCH=OFF
cmake --build "$build" --target fuzz_all -j "$(nproc)"
shopt -s nullglob
status=0
for fuzzer in "$build"/fuzzbin/fuzz_*; do
    name=$(basename "$fuzzer")
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    [ -d "$root/fuzz/corpus/$name" ] && cp -n "$root/fuzz/corpus/$name"/* "$corpus"/ 2>/dev/null || true
    echo "== $name for ${seconds}s"
    if ! "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$build/$name-" \
        "$corpus" 2>&1 | tail -n 12; then
        status=1
    fi
done
exit $status
