#!/usr/bin/env bash
# Builds the Debian package natterby_<version>_<architecture>.deb: installs what is missing,
# builds, and packs the build with CPack into $NATTERBY_PACKAGE_DIR (default: the build folder).
#
#   scripts/package.sh              set up, build and pack
#   scripts/package.sh --no-build   only pack a finished build (the package test does this)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NATTERBY_BUILD_DIR:-$root/build}
out=${NATTERBY_PACKAGE_DIR:-$build}
if [ "${1:-}" != "--no-build" ]; then
    "$root/scripts/setup.sh"
    "$root/scripts/build.sh"
fi
mkdir -p "$out"
# The packing happens in the output folder, so packing two builds at once does not collide.
cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log" >&2; exit 1; }
# The last line names the package made.
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$out/cpack.log"
