#!/usr/bin/env bash
# Configures and builds into $NATTERBY_BUILD_DIR (default build/), laying out the program folder
# build/program. Extra CMake arguments come from $NATTERBY_CMAKE_ARGS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NATTERBY_BUILD_DIR:-$root/build}
launcher=()
# A compiler cache, where one is installed, makes rebuilds of several checkouts cheap.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${NATTERBY_BUILD_TYPE:-RelWithDebInfo} \
    "${launcher[@]}" ${NATTERBY_CMAKE_ARGS:-}
cmake --build "$build" -j "$(nproc)"
