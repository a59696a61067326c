# Sourced by the LAN tests and the LAN benchmarks: a private network of namespaces on a bridge
# of its own, a virtual display on a free number, and their teardown. The caller sets `tag` (a
# short name for its run: interface names hold at most 15 characters) and `subnet` (three
# numbers) before sourcing, and puts the processes it starts in `chat_pids`.

bridge=${tag}b
broadcast=$subnet.255
xvfb_pid=""
chat_pids=()
namespaces=()

# Stops what the run started, its namespaces' processes included (the exchange programs that
# the chats start detached), and removes its namespaces, bridge and display.
lan_cleanup() {
    set +e
    for pid in "${chat_pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for ns in "${namespaces[@]}"; do
        for pid in $(ip netns pids "$ns" 2>/dev/null); do
            kill -9 "$pid" 2>/dev/null
        done
        ip netns delete "$ns" 2>/dev/null
    done
    ip link delete "$bridge" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}

# Namespaces ${tag}n1 .. ${tag}nCOUNT with the addresses $subnet.1 .. on the bridge; fails when
# the system lets no bridge or namespace be made.
lan_make_hosts() {
    local count=$1 i ns
    ip link add "$bridge" type bridge 2>/dev/null || return 1
    ip link set "$bridge" up
    for i in $(seq 1 "$count"); do
        ns=${tag}n$i
        ip netns add "$ns" 2>/dev/null || return 1
        namespaces+=("$ns")
        ip link add "${tag}h$i" type veth peer name "${tag}p$i"
        ip link set "${tag}h$i" master "$bridge" up
        ip link set "${tag}p$i" netns "$ns"
        ip -n "$ns" addr add "$subnet.$i/24" broadcast "$broadcast" dev "${tag}p$i"
        ip -n "$ns" link set "${tag}p$i" up
        ip -n "$ns" link set lo up
    done
}

# A display nobody uses, from FIRST to LAST, exported as DISPLAY. Another run may take the same
# number at the same moment, so a server that does not stay up sends us on to the next one.
lan_start_display() {
    local n
    for n in $(seq "$1" "$2"); do
        [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ] || continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 1 50); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            if [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1; then
                export DISPLAY=":$n"
                return 0
            fi
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    return 1
}
