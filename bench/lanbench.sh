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
prefix=nlb
source "$bench_root/tests/lan/lanlib.sh"
chat_ns=${tag}n1
peer_ns=${tag}n2
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
    [ -n "$chat_pid" ] && kill "$chat_pid" 2>/dev/null
    lan_cleanup
}
trap bench_cleanup EXIT
trap 'exit 1' INT TERM

lan_make_hosts 2 || bench_fail "Cannot make a bridge and network namespaces."
lan_start_display 93 140 || bench_fail "No virtual display could be started."

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
