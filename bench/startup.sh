#!/usr/bin/env bash
# Start-up: the time from starting Natterby to its main window being mapped on a virtual
# display (found with xdotool: the program prints nothing when it is ready), its resident
# memory idle, and after 10,000 chat lines from the scripted peer on a channel it has open and
# logs. Prints the figures next to the goals (start under 0.5 s, memory under 80 MiB). A
# benchmark, not a test: it reports, it asserts nothing.
#
#   sudo bench/startup.sh [RUNS] [LINES]       5 runs and 10000 lines when not given
#
# Environment: NATTERBY_BUILD_DIR (default build/).
set -uo pipefail
runs=${1:-5}
lines=${2:-10000}
source "$(dirname "$0")/lanbench.sh"

now_ns() { date +%s%N; }
starts=()
for run in $(seq 1 "$runs"); do
    folder=$build/bench-startup/host1
    make_folder "$folder"
    # The clock starts before "ip netns exec", whose own few milliseconds are thus counted.
    begin=$(now_ns)
    start_chat "$folder"
    shown=""
    for _ in $(seq 1 20000); do
        if [ -n "$(main_window)" ]; then
            shown=$(now_ns)
            break
        fi
        [ $(($(now_ns) - begin)) -gt 20000000000 ] && break
    done
    if [ -z "$shown" ]; then
        bench_fail "Run $run: no main window within 20 s; see $folder/natterby.log"
    fi
    starts+=($(((shown - begin) / 1000000)))
    if [ "$run" -lt "$runs" ]; then
        stop_chat
    fi
done

# The last copy stays up for the memory figures.
run_peer --timeout 15 refresh Host1 >/dev/null || bench_fail "The copy does not answer."
sleep 2
idle=$(memory_kib VmRSS)
sent=$(run_peer --nick Talker --timeout 120 lines Host1 "#Lab" "$lines")
echo "$sent" | sed 's/^/  peer: /'
sleep 1
after=$(memory_kib VmRSS)
peak=$(memory_kib VmHWM)
logged=$(grep -ac '<Talker> line ' "$folder/Lab.txt" 2>/dev/null)
stop_chat

sorted=$(printf '%s\n' "${starts[@]}" | sort -n)
median=$(sed -n "$(((runs + 1) / 2))p" <<<"$sorted")
best=$(head -1 <<<"$sorted")
worst=$(tail -1 <<<"$sorted")
verdict() { # value, goal: both numbers
    awk -v v="$1" -v g="$2" 'BEGIN {print (v < g) ? "within the goal" : "OVER THE GOAL"}'
}
echo
echo "Results ($runs starts; every start in ms: ${starts[*]})"
printf '  %-40s %10s   goal %-9s %s\n' "start to shown window, median" "$median ms" "< 500 ms" "$(verdict "$median" 500)"
printf '  %-40s %10s\n' "start to shown window, best / worst" "$best / $worst ms"
printf '  %-40s %10s   goal %-9s %s\n' "resident memory idle" "$(mib "$idle") MiB" "< 80 MiB" "$(verdict "$(mib "$idle")" 80)"
printf '  %-40s %10s   goal %-9s %s\n' "resident memory after $lines lines" "$(mib "$after") MiB" "< 80 MiB" "$(verdict "$(mib "$after")" 80)"
printf '  %-40s %10s\n' "peak resident memory (VmHWM)" "$(mib "$peak") MiB"
printf '  %-40s %10s\n' "lines in the copy's Lab.txt" "$logged of $lines"
