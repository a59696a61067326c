#!/usr/bin/env bash
# Sets everything up, builds, lays out the program folder and starts the chat from it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
program=${NATTERBY_BUILD_DIR:-$root/build}/program
if [ -x "$program/natterby" ]; then
    cd "$program"
    exec ./natterby "$@"
fi
echo "The program folder is laid out in $program, but the chat window is not built yet."
