#!/usr/bin/env bash
# Sets everything up, builds and runs every test through ctest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build=${NATTERBY_BUILD_DIR:-$root/build}
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
