#!/usr/bin/env bash
# Sets everything up, builds, lays out the program folder and starts the chat from it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
program=${NATTERBY_BUILD_DIR:-$root/build}/program
# From its own folder, where it keeps Interf.ini, the language files and Message.txt.
cd "$program"
exec ./natterby "$@"
