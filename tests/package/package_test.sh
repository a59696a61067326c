#!/usr/bin/env bash
# The installed package: builds the Debian package from the finished build, checks it with
# lintian and appstreamcli, unpacks it into a root that is then mounted read-only, and starts
# the unpacked chat there, under a virtual display, with a fresh HOME, in a network namespace
# of its own beside a scripted peer in another. The chat's settings and, after a private
# message from the peer, its archive must appear under that HOME, and nothing may change in the
# unpacked root.
#
#   package_test.sh --source DIR --build DIR --peer PATH --work DIR
#
# Without root, the Debian packaging tools, Xvfb or xdotool it exits 77, which ctest reports as
# skipped.
set -uo pipefail

source "$(dirname "$0")/../lan/checks.sh"
source="" build="" peer="" work=""
read_arguments "source build peer work" "" "$@"
[ "$(id -u)" -eq 0 ] || skip "not root, so no read-only mount or network namespace can be made"
for tool in cpack dpkg-deb dpkg-shlibdeps lintian appstreamcli ip unshare Xvfb xdotool; do
    command -v "$tool" >/dev/null || skip "no '$tool' (scripts/setup.sh installs it)"
done
[ -x "$peer" ] || { echo "no scripted peer at $peer" >&2; exit 1; }

prefix=npk
subnet=10.78.0
source "$source/tests/lan/lanlib.sh"
trap lan_cleanup EXIT
trap 'exit 1' INT TERM

indented() { sed 's/^/    /'; }

rm -rf "$work"
mkdir -p "$work"

# 1. The package, checked as a Debian archive would check it.
deb=$(NATTERBY_BUILD_DIR=$build NATTERBY_PACKAGE_DIR=$work/out \
    "$source/scripts/package.sh" --no-build | tail -1)
check "scripts/package.sh makes a package" test -f "$deb"
[ -f "$deb" ] || exit 1
dpkg-deb --info "$deb" | indented
echo "lintian says:"
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1
lintian_status=$?
indented <"$work/lintian.txt"
check "lintian reports no error" [ "$lintian_status" -eq 0 ]

root=$work/root
dpkg-deb -x "$deb" "$root"
echo "appstreamcli says:"
# The metainfo file, and the menu entry it names.
appstreamcli validate-tree --no-net "$root" >"$work/appstream.txt" 2>&1
appstream_status=$?
indented <"$work/appstream.txt"
check "appstreamcli accepts the metainfo file and the menu entry" [ "$appstream_status" -eq 0 ]
check "natterby is on the search path" test -x "$root/usr/bin/natterby"
check "the menu entry names the program on the search path" \
    grep -qx 'Exec=natterby' "$root"/usr/share/applications/*.desktop

# 2. The unpacked chat, run from a read-only root by a user with a fresh HOME.
# Run by bash -c with the root as $0: binds it read-only, in the mount namespace it runs in,
# and runs the rest of the arguments there.
bind_readonly='mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" || exit 3
    if touch "$0/probe" 2>/dev/null; then exit 3; fi
    exec "$@"'
unshare --mount --propagation private bash -c "$bind_readonly" "$root" true ||
    skip "cannot mount the unpacked root read-only here (no CAP_SYS_ADMIN?)"
listing() { (cd "$root" && find . -printf '%p %y %m %s %T@\n' | sort); }
listing >"$work/root-before.txt"
lan_make_hosts 2 || skip "cannot make a bridge or network namespaces here (no CAP_NET_ADMIN?)"
lan_start_display 191 240 || skip "no virtual display could be started on :191 to :240"

home=$work/home
own=$home/.local/share/natterby
mkdir -p "$home"
# The chat's namespaces also give it a host name to be its nick. The packaged settings
# broadcast to 255.255.255.255, which needs a route out of the network namespace.
ip -n "${tag}n1" route add default dev "${tag}p1"
ip netns exec "${tag}n1" unshare --mount --uts --propagation private \
    bash -c "$bind_readonly" "$root" bash -c 'hostname pkgchat && exec "$@"' _ \
    env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=xcb "$root/usr/bin/natterby" \
    </dev/null >"$work/natterby.log" 2>&1 &
chat_pids+=($!)

check "the chat starts its settings from the package's under HOME" \
    wait_for 20 grep -qsa 'IPX=false' "$own/Interf.ini"
check "the language file in use is copied under HOME" \
    cmp -s "$root/usr/lib/natterby/LangRus.ini" "$own/LangRus.ini"
shown() { [ -n "$(xdotool search --all --onlyvisible --pid "${chat_pids[0]}" --name . 2>/dev/null)" ]; }
check "the chat shows its window" wait_for 20 shown

message="packaged-$$-$RANDOM"
private() {
    ip netns exec "${tag}n2" "$peer" --broadcast "$broadcast" --timeout 10 private pkgchat "$message"
}
check "the chat confirms a private message (6 -> 7)" private
check "the private message is in Message.txt under HOME" \
    wait_for 10 grep -qsaF "$message" "$own/Message.txt"

kill "${chat_pids[0]}" 2>/dev/null
wait "${chat_pids[0]}" 2>/dev/null
chat_pids=()
listing >"$work/root-after.txt"
check "nothing changed in the unpacked root" diff -u "$work/root-before.txt" "$work/root-after.txt"
check "no sanitizer error in the chat's output" \
    bash -c "! grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:' '$work/natterby.log'"

if [ "$failures" -ne 0 ]; then
    echo "--- the chat's output:"
    tail -20 "$work/natterby.log"
    echo "$failures check(s) failed; everything is in $work"
    exit 1
fi
echo "All package checks passed."
exit 0
