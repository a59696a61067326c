#!/usr/bin/env bash
# Takes the LAN lab down: stops its chats and its virtual display, removes its namespaces and
# its bridge. The program folders stay, with their settings, logs and archives.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${NATTERBY_BUILD_DIR:-$root/build}
lab=$build/lanlab

for pidfile in "$lab"/host*/natterby.pid "$lab"/xvfb.pid; do
    [ -f "$pidfile" ] || continue
    kill "$(cat "$pidfile")" 2>/dev/null
    rm -f "$pidfile"
done
for ns in $(ip netns list 2>/dev/null | awk '/^nbylab[0-9]+/ {print $1}'); do
    ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null
    ip netns delete "$ns"
done
ip link delete nbylab0 2>/dev/null
echo "The LAN lab is down."
exit 0
