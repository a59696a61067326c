#!/usr/bin/env bash
# The LAN lab: N computers on one network, each a network namespace on a bridge with a program
# folder of its own, each running a Natterby on the current display (or on a virtual one when
# there is none). Natterby binds its port exclusively, so this is how several copies meet on
# one machine. Needs root (network namespaces); scripts/lanlab-down.sh takes it all down.
#
#   scripts/lanlab-up.sh [N]        N computers, 3 when not given
#
# Environment: NATTERBY_BUILD_DIR (default build/), LANLAB_NO_START=1 to lay out the
# computers without starting the chats.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
count=${1:-3}
build=${NATTERBY_BUILD_DIR:-$root/build}
lab=$build/lanlab
bridge=nbylab0
subnet=10.77.0
broadcast=$subnet.255

if [ "$(id -u)" -ne 0 ]; then
    echo "The LAN lab makes network namespaces: run it as root (sudo $0 $*)." >&2
    exit 1
fi
if ! [[ "$count" =~ ^[0-9]+$ ]] || [ "$count" -lt 1 ] || [ "$count" -gt 50 ]; then
    echo "The number of computers must be 1 to 50." >&2
    exit 1
fi
if [ ! -x "$build/program/natterby" ]; then
    echo "Build first (scripts/build.sh): $build/program/natterby is missing." >&2
    exit 1
fi
"$root/scripts/lanlab-down.sh" >/dev/null 2>&1 || true
mkdir -p "$lab"

ip link add "$bridge" type bridge
ip addr add "$subnet.254/24" dev "$bridge"
ip link set "$bridge" up

if [ -z "${DISPLAY:-}" ] && [ -z "${LANLAB_NO_START:-}" ]; then
    setsid Xvfb :77 -screen 0 1600x1000x24 </dev/null >"$lab/xvfb.log" 2>&1 &
    echo $! >"$lab/xvfb.pid"
    export DISPLAY=:77
    sleep 1
    echo "No display: the chats run on the virtual display :77."
fi

for i in $(seq 1 "$count"); do
    ns=nbylab$i
    ip netns add "$ns"
    ip link add "$ns-h" type veth peer name "$ns-n"
    ip link set "$ns-h" master "$bridge" up
    ip link set "$ns-n" netns "$ns"
    ip -n "$ns" addr add "$subnet.$i/24" broadcast "$broadcast" dev "$ns-n"
    ip -n "$ns" link set "$ns-n" up
    ip -n "$ns" link set lo up

    # A program folder of its own: the executables are copied, not linked, because the chat
    # finds its folder from its own executable's path.
    folder=$lab/host$i
    mkdir -p "$folder"
    cp -f "$build/program/"natterby* "$build/program/"couriel* "$build/program/"*.ini "$folder/" 2>/dev/null || true
    printf '[Net]\r\nIPX=false\r\nUDPAdress=%s\r\n[Nicks]\r\nCurrent=Host%s\r\n' \
        "$broadcast" "$i" >"$folder/Interf.ini"

    if [ -z "${LANLAB_NO_START:-}" ]; then
        (cd "$folder" && setsid ip netns exec "$ns" env DISPLAY="$DISPLAY" ./natterby \
            </dev/null >"$folder/natterby.log" 2>&1 & echo $! >"$folder/natterby.pid")
    fi
    echo "host$i: namespace $ns, address $subnet.$i, folder $folder"
done
echo "The LAN lab is up; scripts/lanlab-down.sh takes it down."
