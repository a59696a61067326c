#!/usr/bin/env bash
# The LAN file-transfer test: two real copies of the chat, each in a network namespace of its
# own with its own program folder (chat, file-exchange program, language file, settings), on one
# virtual display. Copy A offers files to copy B through the nick list's menu, B says Yes, both
# exchange windows open, B's is made Ready, A's sends a folder tree, and the tree in B's folder
# must then equal the source byte for byte, with both exchange programs gone by themselves.
#
#   file_transfer_test.sh --program DIR --work DIR [--shots]
#
# Everything is driven as a user would, through the windows with xdotool, and every step is
# checked by what it changes: windows that appear (xdotool search), processes in a namespace,
# a listening socket (ss), files. --shots keeps a screenshot of the display after each step in
# the work folder (needs "import" from imagemagick), for finding places when the layout changes.
#
# The namespaces, bridge and display are private to this run; everything is taken down on
# exit, whatever the outcome. Without root, "ip", "ss", Xvfb or xdotool it exits 77, which ctest
# reports as skipped.
set -uo pipefail

source "$(dirname "$0")/checks.sh"
program="" work="" shots=0
read_arguments "program work" "shots" "$@"
[ -n "$program" ] && [ -n "$work" ] || { echo "usage: $0 --program DIR --work DIR [--shots]" >&2; exit 2; }

[ "$(id -u)" -eq 0 ] || skip "not root, so no network namespaces can be made"
command -v ip >/dev/null || skip "no 'ip' command (iproute2)"
command -v ss >/dev/null || skip "no 'ss' command (iproute2)"
command -v Xvfb >/dev/null || skip "no Xvfb"
command -v xdotool >/dev/null || skip "no xdotool (scripts/setup.sh installs it)"
for f in natterby couriel; do
    [ -x "$program/$f" ] || { echo "no program at $program/$f" >&2; exit 1; }
done
[ -f "$program/LangRus.ini" ] || { echo "no language file at $program/LangRus.ini" >&2; exit 1; }

# The names of this run's network: a prefix apart from the other LAN test's and the process id
# (lanlib.sh), and a subnet of its own.
prefix=nft
subnet=10.78.0
source "$(dirname "$0")/lanlib.sh"
trap lan_cleanup EXIT
trap 'exit 1' INT TERM

lan_make_hosts 2 || skip "cannot make a bridge or network namespaces here (no CAP_NET_ADMIN?)"
# B has an address A cannot reach listed before its LAN one, as a VPN's often is: B's chat must
# tell A the address its route to A leaves from.
ip -n "${tag}n2" addr add 10.99.0.1/32 dev lo || skip "cannot add a second address in B's namespace"
# Display numbers apart from the other LAN test's.
lan_start_display 141 190 || skip "no virtual display could be started on :141 to :190"

# A step the later ones build on: when it fails, there is nothing left to drive.
require() {
    check "$@" || finish
}
shot_number=0
shot() { # name: a screenshot of the display, with --shots
    [ "$shots" -eq 1 ] && command -v import >/dev/null || return 0
    shot_number=$((shot_number + 1))
    import -window root "$work/shot-$(printf %02d "$shot_number")-$1.png" 2>/dev/null
}

rm -rf "$work"
mkdir -p "$work"

# The tree A sends: nested folders, an empty file, a few hundred KiB of random bytes, a name
# with a space. (Empty folders are not in it: only files travel, and folders are made for them.)
source_dir=$work/outbox
target_dir=$work/inbox
tree=tree
mkdir -p "$source_dir/$tree/sub/deeper" "$source_dir/$tree/other" "$target_dir"
: >"$source_dir/$tree/empty.txt"
head -c $((300 * 1024 + 123)) /dev/urandom >"$source_dir/$tree/sub/random.bin"
printf 'a line\r\nanother line\n' >"$source_dir/$tree/sub/deeper/with space.txt"
head -c 4099 /dev/urandom >"$source_dir/$tree/other/small.dat"
printf 'top\n' >"$source_dir/$tree/top.txt"

# Host 1 (A, nick Sender) starts its exchange window in the source folder, host 2 (B, nick
# Receiver) in the target folder. Each has a message folder of its own, as on two computers.
dirs=("" "$source_dir" "$target_dir")
nicks=("" Sender Receiver)
for i in 1 2; do
    folder=$work/host$i
    mkdir -p "$folder" "$work/run$i"
    chmod 700 "$work/run$i"
    # Copied, not linked: the programs find their folder from their own executable's path.
    cp -f "$program/natterby" "$program/couriel" "$program/LangRus.ini" "$folder/"
    printf '[Net]\r\nIPX=false\r\nUDPAdress=%s\r\n[Nicks]\r\nCurrent=%s\r\n[Exchange]\r\nDir=%s/\r\n' \
        "$broadcast" "${nicks[$i]}" "${dirs[$i]}" >"$folder/Interf.ini"
    (cd "$folder" && exec ip netns exec "${tag}n$i" env DISPLAY="$DISPLAY" \
        XDG_RUNTIME_DIR="$work/run$i" ./natterby </dev/null >"$folder/natterby.log" 2>&1) &
    chat_pids+=($!)
done

finish() {
    shot final
    if [ "$failures" -ne 0 ]; then
        for i in 1 2; do
            echo "--- copy $i output:"
            tail -20 "$work/host$i/natterby.log"
        done
        echo "--- windows on the display:"
        for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
            echo "    $w $(xdotool getwindowname "$w" 2>/dev/null)"
        done
        echo "$failures check(s) failed; the folders are in $work"
        exit 1
    fi
    echo "All file-transfer checks passed."
    exit 0
}

main_window_of() { # the mapped main window of copy $1: its caption starts with the current tab
    xdotool search --all --onlyvisible --pid "${chat_pids[$(($1 - 1))]}" --name '^\[' 2>/dev/null | head -1
}
has_main_window() { [ -n "$(main_window_of "$1")" ]; }
for i in 1 2; do
    require "copy $i shows its main window" wait_for 30 has_main_window "$i"
done
shot started

# Places, from screenshots of the fixed layouts under Qt's default style with no window manager
# (all relative to the window named): in the main window the Refresh button and the nick list's
# first row (rows are sorted, so "Receiver" comes before "Sender" in either list); in the
# exchange window the browser's second row (the first is ".."), Ready and Send.
REFRESH_X=${REFRESH_X:-597}
REFRESH_Y=${REFRESH_Y:-83}
FIRST_ROW_X=${FIRST_ROW_X:-620}
FIRST_ROW_Y=${FIRST_ROW_Y:-108}
YES_X=${YES_X:-87}
YES_Y=${YES_Y:-62}
BROWSER_ROW2_X=${BROWSER_ROW2_X:-50}
BROWSER_ROW2_Y=${BROWSER_ROW2_Y:-106}
READY_X=${READY_X:-55}
READY_Y=${READY_Y:-313}
SEND_X=${SEND_X:-167}
SEND_Y=${SEND_Y:-313}
# The nick menu with a nick selected has eight entries of one height; "Send file..." is the
# fourth. Without a selection only two are shown, so the menu's height tells whether the click
# landed on a row.
MENU_ENTRIES=8
MENU_SEND_FILE=3
MENU_FULL_HEIGHT=${MENU_FULL_HEIGHT:-120}

chat_pid() { echo "${chat_pids[$(($1 - 1))]}"; }
# The live exchange program in copy $1's namespace (a reaped or zombie process has no exe link).
couriel_pid() {
    local pid
    for pid in $(ip netns pids "${tag}n$1" 2>/dev/null); do
        if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$work/host$1/couriel" ]; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}
couriel_running() { couriel_pid "$1" >/dev/null; }
couriel_gone() { ! couriel_running "$1"; }
couriel_arguments() { # copy; its exchange program's arguments, blank-separated
    local pid
    pid=$(couriel_pid "$1") || return 1
    tr '\0' ' ' <"/proc/$pid/cmdline" | cut -d' ' -f2-
}
couriel_window() {
    local pid
    pid=$(couriel_pid "$1") || return 1
    xdotool search --all --onlyvisible --pid "$pid" --name '.' 2>/dev/null | head -1
}
has_couriel_window() { [ -n "$(couriel_window "$1")" ]; }
# The yes/no question of copy $1: its caption is the program title.
question_of() {
    xdotool search --all --onlyvisible --pid "$(chat_pid "$1")" --name '^Natterby v' 2>/dev/null | head -1
}
has_question() { [ -n "$(question_of "$1")" ]; }
no_question() { ! has_question "$1"; }
# A window of copy $1 other than its main window, while it shows no other: the menu just
# opened (Qt names it after the program too).
menu_of() {
    local main w
    main=$(main_window_of "$1")
    for w in $(xdotool search --all --onlyvisible --pid "$(chat_pid "$1")" 2>/dev/null); do
        if [ "$w" != "$main" ]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}
has_menu() { [ -n "$(menu_of "$1")" ]; }
window_height() { xdotool getwindowgeometry --shell "$1" 2>/dev/null | sed -n 's/^HEIGHT=//p'; }
listening_in() { # copy: the exchange port listens in its namespace
    ip netns exec "${tag}n$1" ss -ltnH 'sport = :8671' 2>/dev/null | grep -q LISTEN
}

main1=$(main_window_of 1)

# 1. On A: Refresh, then a right-click on B's row opens the nick menu with the nick entries;
# until B has answered a refresh there is no row, and the menu is the short one.
menu=""
for attempt in $(seq 1 10); do
    xdotool windowraise "$main1"
    xdotool mousemove --window "$main1" "$REFRESH_X" "$REFRESH_Y" click 1
    sleep 1
    xdotool mousemove --window "$main1" "$FIRST_ROW_X" "$FIRST_ROW_Y" click 3
    if wait_for 5 has_menu 1; then
        menu=$(menu_of 1)
        [ "$(window_height "$menu")" -ge "$MENU_FULL_HEIGHT" ] && break
        xdotool key Escape
        wait_for 5 bash -c "! xdotool search --onlyvisible --pid $(chat_pid 1) | grep -qx $menu"
    fi
    menu=""
done
shot nick-menu
require "on A, a right-click on B's row (after Refresh) opens the nick menu with the nick entries" \
    [ -n "$menu" ]

# 2. "Send file..." sends the offer: B asks its user.
height=$(window_height "$menu")
xdotool mousemove --window "$menu" 40 $((height * (2 * MENU_SEND_FILE + 1) / (2 * MENU_ENTRIES))) click 1
require "choosing \"Send file...\" on A makes B ask whether to take the files" wait_for 15 has_question 2
shot question

# 3. Yes on B: both chats start their exchange programs, B's waiting, A's sending.
question=$(question_of 2)
xdotool windowraise "$question"
xdotool mousemove --window "$question" "$YES_X" "$YES_Y" click 1
if ! wait_for 5 no_question 2; then
    # The box's layout differs from the one measured: its default button is Yes.
    xdotool windowfocus --sync "$question" 2>/dev/null
    xdotool key Return
fi
check "the question box on B has gone after Yes" wait_for 10 no_question 2
require "B's chat starts its exchange program" wait_for 20 couriel_running 2
require "A's chat starts its exchange program" wait_for 20 couriel_running 1
args2=$(couriel_arguments 2)
args1=$(couriel_arguments 1)
echo "    B runs couriel $args2; A runs couriel $args1"
check "B's exchange program is started as the waiting side (wait <n>)" grep -qE '^wait [0-9]+ ?$' <<<"$args2"
check "A's exchange program is started as the sending side (<n>)" grep -qE '^[0-9]+ ?$' <<<"$args1"
require "B's exchange window is shown" wait_for 20 has_couriel_window 2
require "A's exchange window is shown" wait_for 20 has_couriel_window 1
check "nothing listens on the exchange port in B's namespace before Ready" bash -c "! ip netns exec ${tag}n2 ss -ltnH 'sport = :8671' | grep -q LISTEN"
shot exchange-windows

# 4. Ready on B: it listens on 8671 in its namespace (and then sends its address to A).
window2=$(couriel_window 2)
for attempt in 1 2 3; do
    xdotool windowraise "$window2"
    xdotool mousemove --window "$window2" "$READY_X" "$READY_Y" click 1
    wait_for 5 listening_in 2 && break
done
require "Ready on B's exchange window makes it listen on port 8671 in B's namespace" listening_in 2
shot ready

# 5. On A: the tree's row is selected and Send pressed. Send is enabled once B's address has
# come through the chats; until then a click does nothing, so it is pressed again (the
# selection stays) until the transfer has begun: files in B's folder or A's program done.
window1=$(couriel_window 1)
xdotool windowraise "$window1"
xdotool mousemove --window "$window1" "$BROWSER_ROW2_X" "$BROWSER_ROW2_Y" click 1
sleep 0.5
begun() { [ -e "$target_dir/$tree" ] || couriel_gone 1; }
presses=0
for attempt in $(seq 1 12); do
    begun && break
    xdotool windowraise "$window1" 2>/dev/null
    xdotool mousemove --window "$window1" "$SEND_X" "$SEND_Y" click 1
    presses=$((presses + 1))
    wait_for 5 begun && break
done
shot sent
require "Send on A (pressed $presses time(s)) starts the transfer into B's folder" begun

# 6. Both exchange programs close by themselves once the transfer is over.
check "A's exchange program has closed itself after the transfer" wait_for 60 couriel_gone 1
check "B's exchange program has closed itself after the transfer" wait_for 60 couriel_gone 2

# 7. The tree in B's folder is the source, byte for byte.
check "every file of the tree arrived in B's folder, byte for byte (diff -r)" \
    diff -r "$source_dir/$tree" "$target_dir/$tree"
count() { find "$1" -type f | wc -l; }
check "B's folder holds as many files as the source ($(count "$source_dir/$tree"))" \
    [ "$(count "$source_dir/$tree")" -eq "$(count "$target_dir/$tree" 2>/dev/null || echo 0)" ]
check "the file with a space in its name arrived" [ -f "$target_dir/$tree/sub/deeper/with space.txt" ]
check "the empty file arrived empty" bash -c "[ -f '$target_dir/$tree/empty.txt' ] && [ ! -s '$target_dir/$tree/empty.txt' ]"
check "nothing else was written into B's folder" [ "$(ls -A "$target_dir")" = "$tree" ]

check "both chats are still running" bash -c "kill -0 ${chat_pids[0]} ${chat_pids[1]}"
check "no program reported a sanitizer error" \
    bash -c "! grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' '$work'/host*/natterby.log"
finish
