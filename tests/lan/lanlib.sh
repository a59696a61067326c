# Sourced by the LAN tests and the LAN benchmarks: a private network of namespaces on a bridge
# of its own, a virtual display on a free number, and their teardown. The caller sets `prefix`
# (three letters, one for each kind of run: nlt, nft, nlb or npk) and `subnet` (three numbers) before
# sourcing, and puts the processes it starts in `chat_pids`.
#
# Every name a run makes is its prefix and its process id, then a role: ${tag}b the bridge,
# ${tag}hN and ${tag}pN the two ends of host N's veth pair, ${tag}nN its namespace (an interface
# name holds at most 15 characters). A run that is killed (ctest kills one at its time-out)
# cannot run its teardown; the names tell the next run which owner is gone.

tag=$prefix$$
bridge=${tag}b
broadcast=$subnet.255
xvfb_pid=""
chat_pids=()
namespaces=()
# Where a run notes its virtual display's process, so that a later run can stop it.
lan_xvfb_note=/tmp/natterby-lan-$tag.xvfb

# Removes what runs whose process no longer exists left behind: the processes in their
# namespaces (the chats and the exchange programs they started), the namespaces with the veth
# ends inside, the bridges and the host ends, and their virtual displays.
lan_remove_stale() {
    local name owner pid note
    local pattern='^(nlt|nft|nlb|npk)([0-9]+)(b|h[0-9]+|p[0-9]+|n[0-9]+)$'
    for name in $(ip netns list 2>/dev/null | cut -d' ' -f1); do
        [[ $name =~ $pattern ]] || continue
        owner=${BASH_REMATCH[2]}
        [ -d "/proc/$owner" ] && continue
        for pid in $(ip netns pids "$name" 2>/dev/null); do
            kill -9 "$pid" 2>/dev/null
        done
        ip netns delete "$name" 2>/dev/null
    done
    for name in $(ip -o link show 2>/dev/null | awk -F': ' '{ sub(/@.*/, "", $2); print $2 }'); do
        [[ $name =~ $pattern ]] || continue
        owner=${BASH_REMATCH[2]}
        [ -d "/proc/$owner" ] && continue
        ip link delete "$name" 2>/dev/null
    done
    for note in /tmp/natterby-lan-*.xvfb; do
        [ -e "$note" ] || continue
        name=${note#/tmp/natterby-lan-}
        name=${name%.xvfb}b
        [[ $name =~ $pattern ]] || continue
        owner=${BASH_REMATCH[2]}
        [ -d "/proc/$owner" ] && continue
        pid=$(cat "$note" 2>/dev/null)
        if [ -n "$pid" ] && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = Xvfb ]; then
            kill "$pid" 2>/dev/null
        fi
        rm -f "$note"
    done
}

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
    rm -f "$lan_xvfb_note"
    wait 2>/dev/null
}

# Namespaces ${tag}n1 .. ${tag}nCOUNT with the addresses $subnet.1 .. on the bridge, after what
# killed runs left is gone; fails when the system lets no bridge or namespace be made.
lan_make_hosts() {
    local count=$1 i ns
    lan_remove_stale
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
# The copies the run starts open their windows there through X (QT_QPA_PLATFORM=xcb), whatever
# platform the caller chose: with offscreen, say, no window would appear for xdotool to find.
lan_start_display() {
    local n
    for n in $(seq "$1" "$2"); do
        [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ] || continue
        Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 1 50); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            if [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1; then
                export DISPLAY=":$n" QT_QPA_PLATFORM=xcb
                echo "$xvfb_pid" >"$lan_xvfb_note"
                return 0
            fi
            sleep 0.1
        done
        kill "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    return 1
}
