#!/usr/bin/env bash
# Load: the scripted peer floods one copy of the chat with mixed packets (chat lines on a
# channel it has open and on one it has not, refresh requests, private messages with the
# archive on) and times, every 100 ms, the copy's answer to a refresh. Prints the answer
# latency under load, the copy's peak resident memory and whether every private message
# reached Message.txt. A benchmark, not a test: it reports, it asserts nothing.
#
#   sudo bench/load.sh [PACKETS] [SECONDS]     50000 packets in 10 s when not given
#
# Environment: NATTERBY_BUILD_DIR (default build/), LOAD_PRIVATE_SHARE (percent of the packets
# that are private messages, default 10: each one also opens a message window in the copy).
set -uo pipefail
packets=${1:-50000}
seconds=${2:-10}
share=${LOAD_PRIVATE_SHARE:-10}
source "$(dirname "$0")/lanbench.sh"

folder=$build/bench-load/host1
make_folder "$folder"
start_chat "$folder"
for _ in $(seq 1 200); do
    [ -n "$(main_window)" ] && break
    sleep 0.1
done
[ -n "$(main_window)" ] || bench_fail "The copy showed no window; see $folder/natterby.log"
run_peer --timeout 15 refresh Host1 >/dev/null || bench_fail "The copy does not answer."
idle=$(memory_kib VmRSS)

echo "Flooding Host1 with $packets packets in $seconds s ($share% private messages)..."
report=$(run_peer --nick Flooder --timeout 120 --private-share "$share" flood Host1 "$packets" "$seconds")
status=$?
echo "$report" | sed 's/^/  /'
peak=$(memory_kib VmHWM)
# Datagrams the kernel dropped because the copy's receiving socket was full (the drops column
# of the chat port's socket, 8198 = 0x2006), which is where a copy that falls behind loses them.
drops=$(ip netns exec "$chat_ns" awk '$2 ~ /:2006$/ {sum += $NF} END {print sum + 0}' /proc/net/udp)
rss=$(memory_kib VmRSS)

sent=$(sed -n 's/^private_messages=//p' <<<"$report")
# Each private message has a text of its own, "pm N": count the distinct ones archived.
archived=$(grep -ao 'pm [0-9]\+' "$folder/Message.txt" 2>/dev/null | sort -u | wc -l)
confirmed=$(sed -n 's/^confirmations=//p' <<<"$report")

echo
echo "Results"
printf '  %-44s %s\n' "refresh answer latency under load, median" "$(sed -n 's/^latency_ms_median=//p' <<<"$report") ms"
printf '  %-44s %s\n' "refresh answer latency under load, 95th pct" "$(sed -n 's/^latency_ms_p95=//p' <<<"$report") ms"
printf '  %-44s %s\n' "refresh answer latency under load, worst" "$(sed -n 's/^latency_ms_max=//p' <<<"$report") ms"
printf '  %-44s %s\n' "time to work through the backlog after it" "$(sed -n 's/^catch_up_ms=//p' <<<"$report") ms"
printf '  %-44s %s\n' "timed refreshes answered" "$(sed -n 's/^probes_answered=//p' <<<"$report") of $(sed -n 's/^probes_sent=//p' <<<"$report")"
printf '  %-44s %s\n' "datagrams dropped at the copy's full socket" "$drops"
printf '  %-44s %s\n' "resident memory idle, before the flood" "$(mib "${idle:-0}") MiB"
printf '  %-44s %s\n' "peak resident memory (VmHWM)" "$(mib "${peak:-0}") MiB"
printf '  %-44s %s\n' "resident memory after the flood" "$(mib "${rss:-0}") MiB"
printf '  %-44s %s\n' "private messages confirmed (7)" "$confirmed of $sent"
printf '  %-44s %s\n' "private messages in Message.txt" "$archived of $sent"
if [ "$status" -ne 0 ]; then
    echo "  The copy had not caught up with the flood when the peer stopped waiting."
fi
if [ "${archived:-0}" -eq "${sent:-0}" ]; then
    echo "  Every private message is in Message.txt."
else
    echo "  MISSING: $((sent - archived)) private message(s) are not in Message.txt."
fi
stop_chat
