#!/usr/bin/env bash
# Builds with coverage instrumentation into build-coverage/ (or $NATTERBY_COVERAGE_DIR), runs the
# tests through ctest and prints line and branch coverage of the production code: common/,
# platform/, natterby/ and couriel/. Tests, benchmarks and generated code do not count.
#
# The LAN and package tests are left out unless NATTERBY_COVERAGE_LAN=1: they need root,
# namespaces and a display, so with them the figure would depend on who runs it. Without them it
# is the same on every machine. Extra ctest arguments (a -R filter, say) are passed through.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NATTERBY_COVERAGE_DIR:-$root/build-coverage}
jobs=$(nproc)

command -v gcovr >/dev/null || { echo "coverage.sh: gcovr is missing (apt-get install gcovr)" >&2; exit 1; }

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# Unoptimised, so every line and branch of the source maps to code gcov can count.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNATTERBY_BENCH=OFF \
    -DCMAKE_C_FLAGS="--coverage -O0" -DCMAKE_CXX_FLAGS="--coverage -O0" \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage \
    "${launcher[@]}"
cmake --build "$build" -j "$jobs"

# Counters from an earlier run would add to this one.
find "$build" -name '*.gcda' -delete

exclude=()
[[ ${NATTERBY_COVERAGE_LAN:-0} == 1 ]] || exclude=(-E '^(lan|package)\.')
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300 "${exclude[@]}" "$@") ||
    echo "coverage.sh: some tests failed; the figures below count what ran" >&2

# Throw and compiler-made branches are left out: they are exception plumbing, not decisions in
# our code, and would swamp the branch figure.
cd "$root"
gcovr --root "$root" --object-directory "$build" -j "$jobs" \
    --filter 'common/' --filter 'platform/' --filter 'natterby/' --filter 'couriel/' \
    --exclude-throw-branches --exclude-unreachable-branches \
    --txt "$build/coverage.txt" --print-summary
echo "Per-file report: $build/coverage.txt"
