#!/usr/bin/env bash
# The release as users meet it on other systems. Makes a release from the demo payload and
# runs it in three roots made with debootstrap --variant=minbase: Debian 11 and Debian 12
# with only the system libraries a release relies on (and a font), and a bare Debian 12
# with nothing added. In each: a headless installation as root and its removal through the
# installed uninstall, and the payload copied with --copy-files-to; the same for a user (with
# --user-mode-install); and in the first two
# the wizard on X (Xvfb) and on Wayland (a headless Weston, no X server), each shown and
# photographed into SCREENSHOT_DIR, and the launcher's one line when the X client library
# is gone.
#
#   tests/release/check-release.sh
#
# Needs root. Builds nothing long itself: without the Debian 11 build root that
# scripts/release-build-root.sh keeps (about an hour to make), it says so in one line and
# stops with status 0. The check roots are kept beside it and reused; every run works on an
# overlay of them, so they stay as made.
set -euo pipefail
umask 022

project=$(cd "$(dirname "$0")/../.." && pwd)
cache=${STUDIO_RELEASE_CACHE:-/var/cache/corvane-fenwick-studio-release}
mirror=${STUDIO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
name=corvane-fenwick-studio-4.52a
title="Corvane Fenwick Studio for RISC-V 4.52a Setup"
destination=/usr/share/corvane_fenwick_studio_for_risc-v_4.52a
desktop_entry=/usr/share/applications/corvane-corvane-fenwick-studio-for-risc-v-4.52a.desktop
roots_checked="Debian 11, Debian 12, bare Debian 12"

if [ "$(id -u)" -ne 0 ]; then
    echo "release check: skipped ($roots_checked): it needs root for debootstrap and chroot"
    exit 0
fi
if ! "$project/scripts/release-build-root.sh" cached > /dev/null; then
    echo "release check: skipped ($roots_checked): no Debian 11 build root with Qt in $cache;" \
         "scripts/release-build-root.sh makes it once (about an hour)"
    exit 0
fi
for tool in debootstrap weston import xdotool Xvfb; do
    command -v "$tool" > /dev/null || missing_tools+=("$tool")
done
if [ -n "${missing_tools[*]:-}" ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap weston imagemagick xdotool xvfb > /dev/null
fi

started=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/tmp}/release-check.XXXXXX")
cleanup() {
    [ -z "${xvfb:-}" ] || kill "$xvfb" 2>/dev/null || true
    [ -z "${weston:-}" ] || kill "$weston" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
shots=${SCREENSHOT_DIR:-$cache/screenshots}
mkdir -p "$shots"

echo "Making the release ..."
"$project/scripts/release.sh" "$project/demo/payload" "$work/out" "$project/demo/installer-files" > "$work/release.log" 2>&1 ||
    { cat "$work/release.log"; echo "release check: the release could not be made"; exit 1; }
run_file=$work/out/$name.run
(cd "$work/out" && sha256sum -c --quiet "$name.run.sha256") || { echo "release check: the digest does not match"; exit 1; }

# The roots: the system libraries the README names and a font, or nothing at all.
libraries=libstdc++6,zlib1g,libx11-6,libx11-xcb1,libxcb1,libfontconfig1,libfreetype6,fonts-dejavu-core
make_root() { # NAME SUITE PACKAGES
    local root=$cache/check-$1-$(printf '%s\n' "$2" "$3" | sha256sum | cut -c1-12)
    if [ ! -e "$root/.made" ]; then
        rm -rf "$root"
        debootstrap --variant=minbase ${3:+--include="$3"} "$2" "$root" "$mirror" > "$work/debootstrap-$1.log" 2>&1 ||
            { cat "$work/debootstrap-$1.log" >&2; echo "release check: cannot make the $1 root" >&2; exit 1; }
        chroot "$root" useradd --create-home --uid 4321 tester
        touch "$root/.made"
    fi
    echo "$root"
}

# Runs a script in an overlay of ROOT (the root itself stays as made), with the release in
# /check and the displays' sockets reachable. Prints what the script prints; the overlay's
# upper folder, what the run changed, stays in $work/NAME for the checks.
in_overlay() { # NAME ROOT SCRIPT [ARGUMENTS]
    local label=$1 root=$2 script=$3
    shift 3
    rm -rf "$work/$label"
    mkdir -p "$work/$label/upper" "$work/$label/work" "$work/$label/merged" "$work/$label/check"
    cp "$run_file" "$work/$label/check/"
    unshare --mount --propagation private --fork -- sh -c '
        root=$1 base=$2 xdg=$3; shift 3
        mount -t overlay overlay -o lowerdir="$root",upperdir="$base/upper",workdir="$base/work" "$base/merged" &&
        mount -t proc proc "$base/merged/proc" && mount --rbind /dev "$base/merged/dev" &&
        mount -t tmpfs tmpfs "$base/merged/tmp" && mkdir -p "$base/merged/check" "$base/merged/run/xdg" &&
        mount --bind "$base/check" "$base/merged/check" && mount --bind "$xdg" "$base/merged/run/xdg" &&
        exec chroot "$base/merged" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
            sh -c "$@"' sh "$root" "$work/$label" "$work/xdg" "$script" sh "$@"
}

failures=0
check() { # DESCRIPTION, then a command whose success is the check
    local what=$1
    shift
    if "$@"; then
        echo "  ok: $what"
    else
        echo "  FAILED: $what"
        failures=$((failures + 1))
    fi
}
gone() { [ ! -e "$1" ] && [ ! -L "$1" ]; }
installed_whole() { # FOLDER: the demo payload's files and the installer's are there
    [ -x "$1/bin/uninstall" ] && [ -x "$1/bin/runtime/Setup" ] && [ -f "$1/bin/IConf.xml" ] &&
        [ -f "$1/gcc/README.txt" ] && [ -f "$1/bin/libQtCore.so.4" ]
}

headless_runs() { # LABEL ROOT WHO: WHO is root, or user (the tester, --user-mode-install)
    local label=$1-$3 root=$2 output before=$failures as= home=/root dest=$destination entry=$desktop_entry mode=
    if [ "$3" = user ]; then
        home=/home/tester as="setpriv --reuid=4321 --regid=4321 --clear-groups env HOME=/home/tester" mode=--user-mode-install
        dest=$home/.local/share/${destination##*/} entry=$home/.local/share/applications/${desktop_entry##*/}
    fi
    output=$(in_overlay "$label" "$root" "
        $as sh /check/*.run --quiet --accept-license $mode; echo \"install \$?\"
        [ -f $entry ] && echo 'menu entry'
        cp -a $dest /check/installed 2> /dev/null
        $as $dest/bin/uninstall --quiet; echo \"uninstall \$?\"
        $as sh /check/*.run --copy-files-to $home/copied --accept-license --hide-progress
        [ -f $home/copied/gcc/README.txt ] && echo copied" 2>&1) || true
    check "$label: quiet installation" grep -qx "install 0" <<< "$output"
    check "$label: the installation is whole" installed_whole "$work/$label/check/installed"
    check "$label: menu entry made" grep -qx "menu entry" <<< "$output"
    check "$label: uninstall --quiet removes it" grep -qx "uninstall 0" <<< "$output"
    check "$label: nothing of it left" eval 'gone "$work/$label/upper$dest" && gone "$work/$label/upper$entry"'
    check "$label: the payload copied with --copy-files-to" grep -qx copied <<< "$output"
    [ "$failures" -eq "$before" ] || printf '%s\n' "$output" | sed 's/^/    | /'
}

# The wizard in a window: started, waited for, photographed from outside, stopped.
wizard_runs() { # LABEL ROOT
    local label=$1 root=$2 output window shown launcher
    in_overlay "$label-x11" "$root" '
        DISPLAY=:77 sh /check/*.run & launcher=$!
        for i in $(seq 120); do [ -e /check/shot-done ] && break; sleep 0.5; done
        kill -TERM $launcher; wait $launcher; echo "launcher $?"' > "$work/$label-x11.out" 2>&1 &
    launcher=$!
    window=$(DISPLAY=:77 timeout 60 xdotool search --sync --onlyvisible --name "$title" 2>/dev/null | head -n 1) || window=
    [ -z "$window" ] || { sleep 2; import -display :77 -window root "$shots/$label-x11.png"; }
    touch "$work/$label-x11/check/shot-done"
    wait "$launcher" || true
    output=$(cat "$work/$label-x11.out")
    check "$label: the wizard's window on X" test -n "$window"
    check "$label: its screenshot" test -s "$shots/$label-x11.png"
    check "$label: the launcher stops with Setup" grep -qx "launcher 143" <<< "$output"

    in_overlay "$label-wayland" "$root" '
        XDG_RUNTIME_DIR=/run/xdg WAYLAND_DISPLAY=wayland-check WAYLAND_DEBUG=1 sh /check/*.run 2> /check/protocol & launcher=$!
        for i in $(seq 120); do [ -e /check/shot-done ] && break; sleep 0.5; done
        kill -TERM $launcher; wait $launcher; echo "launcher $?"' > "$work/$label-wayland.out" 2>&1 &
    launcher=$!
    shown=
    for i in $(seq 120); do
        if grep -q "set_title(\"$title\")" "$work/$label-wayland/check/protocol" 2>/dev/null &&
           grep -q 'wl_surface@[0-9]*\.attach(wl_buffer' "$work/$label-wayland/check/protocol"; then
            shown=yes
            break
        fi
        sleep 0.5
    done
    if [ -n "$shown" ]; then
        sleep 2
        (cd "$work/xdg" && XDG_RUNTIME_DIR=$work/xdg WAYLAND_DISPLAY=wayland-check timeout 30 weston-screenshooter > /dev/null 2>&1 &&
            mv "$(ls -t wayland-screenshot-*.png | head -n 1)" "$shots/$label-wayland.png") || true
    fi
    touch "$work/$label-wayland/check/shot-done"
    wait "$launcher" || true
    check "$label: the wizard's window on Wayland, without X" test -n "$shown"
    check "$label: its screenshot" test -s "$shots/$label-wayland.png"

    output=$(in_overlay "$label-no-xcb" "$root" '
        rm -f /usr/lib/x86_64-linux-gnu/libxcb.so.1*
        DISPLAY=:77 sh /check/*.run; echo "launcher $?"
        ls /tmp' 2>&1) || true
    check "$label: without the X client library, one line and status 1" test "$output" = \
        "$(printf '%s\n%s' "$name.run: missing system library libxcb.so.1 (X11 client library)" "launcher 1")"
}

echo "Starting Xvfb and a headless Weston ..."
mkdir -p "$work/xdg"
chmod 0700 "$work/xdg"
Xvfb :77 -nolisten tcp -screen 0 1280x800x24 > /dev/null 2>&1 &
xvfb=$!
XDG_RUNTIME_DIR=$work/xdg weston --backend=headless-backend.so --socket=wayland-check --width=1280 --height=800 \
    --use-pixman --debug --idle-time=0 > "$work/weston.log" 2>&1 &
weston=$!
for i in $(seq 50); do [ -S "$work/xdg/wayland-check" ] && break; sleep 0.2; done
# The roots' users reach the Wayland socket as the tester would reach their own session.
chmod 0755 "$work/xdg"

debian11=$(make_root debian11 bullseye "$libraries")
debian12=$(make_root debian12 bookworm "$libraries")
bare=$(make_root debian12-bare bookworm "")
for entry in "Debian 11:$debian11:window" "Debian 12:$debian12:window" "bare Debian 12:$bare:"; do
    IFS=: read -r label root window <<< "$entry"
    label=${label// /-}
    echo "$label:"
    headless_runs "$label" "$root" root
    headless_runs "$label" "$root" user
    [ -z "$window" ] || wizard_runs "$label" "$root"
done

echo "release check: $failures failed; $(( $(date +%s) - started )) s; screenshots in $shots"
[ "$failures" -eq 0 ]
