# Sourced by bench/load.sh and bench/startup.sh: a private two-computer network (the chat in
# one namespace, the scripted peer in another, on a bridge of their own), a virtual display on
# a free number, and a teardown that runs on every exit. Needs root, ip, Xvfb and xdotool.
#
# Environment: NATTERBY_BUILD_DIR (default build/), the build with the chat program and the
# scripted peer (testbin/scripted_peer).

bench_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${NATTERBY_BUILD_DIR:-$bench_root/build}
program=$build/program
peer=$build/testbin/scripted_peer
subnet=10.77.0
broadcast=$subnet.255
tag=nlb$(($$ % 100000))
bridge=${tag}b
chat_ns=${tag}n1
peer_ns=${tag}n2
xvfb_pid=""
chat_pid=""

bench_fail() {
    echo "$*" >&2
    exit 1
}
[ "$(id -u)" -eq 0 ] || bench_fail "Run as root: the benchmark makes network namespaces."
for tool in ip Xvfb xdotool; do
    command -v "$tool" >/dev/null || bench_fail "Missing $tool (scripts/setup.sh installs it)."
done
[ -x "$program/natterby" ] || bench_fail "Build first: $program/natterby is missing."
[ -x "$peer" ] || bench_fail "Build the scripted peer first: ninja -C $build scripted_peer"

bench_cleanup() {
    set +e
    [ -n "$chat_pid" ] && kill "$chat_pid" 2>/dev/null
    for ns in "$chat_ns" "$peer_ns"; do
        for pid in $(ip netns pids "$ns" 2>/dev/null); do
            kill -9 "$pid" 2>/dev/null
        done
        ip netns delete "$ns" 2>/dev/null
    done
    ip link delete "$bridge" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap bench_cleanup EXIT
trap 'exit 1' INT TERM

ip link add "$bridge" type bridge || bench_fail "Cannot make a bridge."
ip link set "$bridge" up
i=1
for ns in "$chat_ns" "$peer_ns"; do
    ip netns add "$ns"
    ip link add "${tag}h$i" type veth peer name "${tag}p$i"
    ip link set "${tag}h$i" master "$bridge" up
    ip link set "${tag}p$i" netns "$ns"
    ip -n "$ns" addr add "$subnet.$i/24" broadcast "$broadcast" dev "${tag}p$i"
    ip -n "$ns" link set "${tag}p$i" up
    ip -n "$ns" link set lo up
    i=$((i + 1))
done

for n in $(seq 93 140); do
    [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ] || continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1 && break
        sleep 0.1
    done
    if kill -0 "$xvfb_pid" 2>/dev/null && DISPLAY=":$n" xdotool getmouselocation >/dev/null 2>&1; then
        export DISPLAY=":$n"
        break
    fi
    kill "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
done
[ -n "$xvfb_pid" ] || bench_fail "No virtual display could be started."

# A fresh program folder for the copy "Host1": #Lab open and logged, the archive on.
make_folder() {
    local folder=$1
    rm -rf "$folder"
    mkdir -p "$folder"
    cp -f "$program"/natterby "$folder/"
    cp -f "$program"/*.ini "$folder/" 2>/dev/null
    printf '[Net]\r\nIPX=false\r\nUDPAdress=%s\r\n[Nicks]\r\nCurrent=Host1\r\n[Channels]\r\nChannels=#Lab\r\nChannelsVis=#1\r\nProtocol=#1\r\nPathProto=%s\r\n[View]\r\nArhive=1\r\n' \
        "$broadcast" "$folder" >"$folder/Interf.ini"
}

# Starts the copy in the folder; chat_pid is the chat itself (ip netns exec replaces itself).
start_chat() {
    local folder=$1
    (cd "$folder" && exec ip netns exec "$chat_ns" env DISPLAY="$DISPLAY" ./natterby \
        </dev/null >"$folder/natterby.log" 2>&1) &
    chat_pid=$!
}

stop_chat() {
    [ -n "$chat_pid" ] || return 0
    kill "$chat_pid" 2>/dev/null
    wait "$chat_pid" 2>/dev/null
    chat_pid=""
}

main_window() { # the copy's mapped main window: its caption starts with the current tab
    xdotool search --all --onlyvisible --pid "$chat_pid" --name '^\[' 2>/dev/null | head -1
}

memory_kib() { # VmRSS or VmHWM of the copy, in KiB
    awk -v key="$1:" '$1 == key {print $2}' "/proc/$chat_pid/status" 2>/dev/null
}

mib() { awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}'; }

run_peer() {
    ip netns exec "$peer_ns" "$peer" --broadcast "$broadcast" "$@"
}
