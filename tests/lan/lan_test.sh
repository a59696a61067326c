#!/usr/bin/env bash
# The LAN test: three real copies of the chat, each in a network namespace of its own with its
# own program folder, on one virtual display, and a scripted peer in a fourth namespace. The
# peer and the files the copies write tell whether they talk to each other as they should.
#
#   lan_test.sh --program DIR --peer PATH --work DIR
#
# The namespaces, bridge and display are private to this run (names from its process id, a
# free display number), so a LAN lab a developer has up is never touched; everything is taken
# down on exit, whatever the outcome. Without root, "ip", Xvfb or xdotool it exits 77, which
# ctest reports as skipped.
set -uo pipefail

source "$(dirname "$0")/checks.sh"
program="" peer="" work=""
read_arguments "program peer work" "" "$@"
[ "$(id -u)" -eq 0 ] || skip "not root, so no network namespaces can be made"
command -v ip >/dev/null || skip "no 'ip' command (iproute2)"
command -v Xvfb >/dev/null || skip "no Xvfb"
command -v xdotool >/dev/null || skip "no xdotool (scripts/setup.sh installs it)"
[ -x "$program/natterby" ] || { echo "no chat program at $program/natterby" >&2; exit 1; }
[ -x "$peer" ] || { echo "no scripted peer at $peer" >&2; exit 1; }

# The names of this run's network: this prefix and the process id (lanlib.sh).
prefix=nlt
subnet=10.77.0
source "$(dirname "$0")/lanlib.sh"
trap lan_cleanup EXIT
trap 'exit 1' INT TERM

lan_make_hosts 4 || skip "cannot make a bridge or network namespaces here (no CAP_NET_ADMIN?)"
lan_start_display 93 140 || skip "no virtual display could be started on :93 to :140"

# Places in the main window, from its fixed layout under Qt's default style with no window
# manager: the second tab (#Lab) and the toolbar's last button (exit).
LAB_TAB_X=${LAB_TAB_X:-124}
LAB_TAB_Y=${LAB_TAB_Y:-47}
EXIT_X=${EXIT_X:-289}
EXIT_Y=${EXIT_Y:-15}

# Runs the peer in the fourth namespace.
run_peer() {
    ip netns exec "${tag}n4" "$peer" --broadcast "$broadcast" "$@"
}

rm -rf "$work"
mkdir -p "$work"
for i in 1 2 3; do
    folder=$work/host$i
    mkdir -p "$folder"
    # Copied, not linked: the chat finds its folder from its own executable's path.
    cp -f "$program"/natterby "$folder/"
    cp -f "$program"/*.ini "$folder/" 2>/dev/null
    printf '[Net]\r\nIPX=false\r\nUDPAdress=%s\r\n[Nicks]\r\nCurrent=Host%s\r\n[Channels]\r\nChannels=#Lab\r\nChannelsVis=#1\r\nProtocol=#1\r\nPathProto=%s\r\n[View]\r\nArhive=1\r\n' \
        "$broadcast" "$i" "$folder" >"$folder/Interf.ini"
    (cd "$folder" && exec ip netns exec "${tag}n$i" env DISPLAY="$DISPLAY" ./natterby \
        </dev/null >"$folder/natterby.log" 2>&1) &
    chat_pids+=($!)
done

window_of() { # the mapped main window of copy $1: its caption starts with the current tab
    xdotool search --all --onlyvisible --pid "${chat_pids[$(($1 - 1))]}" --name '^\[' 2>/dev/null | head -1
}
has_window() { [ -n "$(window_of "$1")" ]; }
for i in 1 2 3; do
    check "copy $i shows its main window" wait_for 20 has_window "$i"
done

# 1. Every copy answers a refresh, with its own nick.
check "all three copies answer a refresh (0 -> 1)" run_peer --timeout 15 refresh Host1 Host2 Host3

# 2. A line typed into copy 1 reaches the other copies' channel logs. The window system is
# bare (no window manager, no decorations), so the window's own coordinates are the client's:
# the #Lab tab is clicked (the caption then names it) and the window is given the keyboard.
line="lan-check-$$-$RANDOM"
lab_current() {
    xdotool getwindowname "$1" 2>/dev/null | grep -qF '[#Lab]'
}
lab_has_line() { # folder, nick, text
    grep -qaF "<$2> $3" "$1/Lab.txt" 2>/dev/null
}
window1=$(window_of 1)
if [ -n "$window1" ]; then
    # The copies' windows lie on top of each other: the one clicked comes to the top first.
    xdotool windowraise "$window1"
    xdotool mousemove --window "$window1" "$LAB_TAB_X" "$LAB_TAB_Y" click 1
    check "clicking the #Lab tab of copy 1 makes it current" wait_for 5 lab_current "$window1"
    xdotool windowfocus --sync "$window1"
    xdotool type --delay 20 "$line"
    xdotool key Return
fi
check "a line typed in copy 1 is in copy 2's Lab.txt" wait_for 15 lab_has_line "$work/host2" Host1 "$line"
check "a line typed in copy 1 is in copy 3's Lab.txt" wait_for 15 lab_has_line "$work/host3" Host1 "$line"

# 3. A private message to Host2 is confirmed and archived.
message="private-$$-$RANDOM"
check "Host2 confirms a private message (6 -> 7)" run_peer --timeout 15 private Host2 "$message"
check "the private message is in Host2's Message.txt" \
    wait_for 15 grep -qaF "$message" "$work/host2/Message.txt"
check "the private message is in no other copy's Message.txt" \
    bash -c "! grep -qaF '$message' '$work/host1/Message.txt' '$work/host3/Message.txt' 2>/dev/null"

# 4. An information request is answered with computer name, user name and address.
info=$(run_peer --timeout 15 info Host1)
echo "$info" | sed 's/^/    /'
check "Host1 answers an information request (F -> G)" grep -q '^computer=.' <<<"$info"
check "the answer names a user" grep -q '^user=.' <<<"$info"
check "the answer gives Host1's address 10.77.0.1" grep -qx 'address=10.77.0.1' <<<"$info"
check "the answer lists #Lab among Host1's channels" grep -q '^channels=.*#Lab#' <<<"$info"

# 5. After a topic change, a join of #Lab is answered with the topic.
topic="Lab topic $$ (Peer) "
run_peer topic "#Lab" "$topic"
check "the topic change is in copy 3's Lab.txt" wait_for 15 grep -qaF "$topic" "$work/host3/Lab.txt"
answer=$(run_peer --timeout 15 join "#Lab" 3)
joined=$?
echo "$answer" | sed 's/^/    /'
check "a join of #Lab is answered with the topic by all three copies (4 -> 3 C)" [ "$joined" -eq 0 ]
check "every topic answer carries the topic set" \
    bash -c '[ "$(grep -c "^topic=" <<<"$1")" -eq "$(grep -cxF "topic=$2" <<<"$1")" ]' _ "$answer" "$topic"

# 6. Copy 3, closed from its window's exit button, leaves #Lab and #Main.
leaves_out=$work/leaves.txt
run_peer --timeout 20 leaves Host3 "#Lab" "#Main" >"$leaves_out" 2>&1 &
leaves_pid=$!
wait_for 10 grep -q listening "$leaves_out"
window3=$(window_of 3)
if [ -n "$window3" ]; then
    xdotool windowraise "$window3"
    xdotool mousemove --window "$window3" "$EXIT_X" "$EXIT_Y" click 1
fi
check "copy 3 sends its leaves of #Lab and #Main (5) when closed from its window" wait "$leaves_pid"
sed 's/^/    /' "$leaves_out"
copy3_gone() { ! kill -0 "${chat_pids[2]}" 2>/dev/null; }
check "copy 3 has ended" wait_for 10 copy3_gone
check "copy 1's Lab.txt records copy 3's leave" \
    wait_for 15 grep -qaF "Host3 leave" "$work/host1/Lab.txt"

# 7. Copy 2, ended by SIGTERM as a logout or a kill ends it, leaves as its exit button does and
# saves its settings.
run_peer --timeout 20 leaves Host2 "#Lab" "#Main" >"$leaves_out" 2>&1 &
leaves_pid=$!
wait_for 10 grep -q listening "$leaves_out"
kill -TERM "${chat_pids[1]}"
check "copy 2 sends its leaves of #Lab and #Main (5) on SIGTERM" wait "$leaves_pid"
copy2_gone() { ! kill -0 "${chat_pids[1]}" 2>/dev/null; }
check "copy 2 has ended" wait_for 10 copy2_gone
check "copy 2 saved its window position in Interf.ini" grep -qa '^Left=' "$work/host2/Interf.ini"

check "copy 1 is still running" kill -0 "${chat_pids[0]}"
# A sanitizer build reports its findings in the copies' output.
check "no copy reported a sanitizer error" \
    bash -c "! grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' '$work'/host*/natterby.log"

if [ "$failures" -ne 0 ]; then
    for i in 1 2 3; do
        echo "--- copy $i output:"
        tail -20 "$work/host$i/natterby.log"
    done
    echo "$failures check(s) failed; the program folders are in $work"
    exit 1
fi
echo "All LAN checks passed."
exit 0
