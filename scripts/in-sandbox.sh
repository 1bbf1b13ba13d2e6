#!/bin/sh
# in-sandbox.sh SANDBOX_FOLDER COMMAND...
#
# Runs COMMAND in a private mount namespace whose /usr/share and /etc are overlays with
# their upper folders in SANDBOX_FOLDER, and whose home, temporary and settings folders
# lie there too, so that an installation changes nothing of the machine's. A normal user
# gets a user namespace to be allowed the mounts. Used by the demo and the benchmarks.
set -eu
R=$1
shift
mkdir -p "$R/share" "$R/share.w" "$R/etc" "$R/etc.w" "$R/home" "$R/tmp" "$R/xdg"
userns=
[ "$(id -u)" -eq 0 ] || userns=-r
export R HOME="$R/home" TMPDIR="$R/tmp" XDG_CONFIG_DIRS="$R/xdg" \
       XDG_CONFIG_HOME="$R/home/.config" XDG_DATA_HOME="$R/home/.local/share"
exec unshare $userns -m --propagation private sh -c '
    mount -t overlay overlay -o lowerdir=/usr/share,upperdir="$R/share",workdir="$R/share.w" /usr/share &&
    mount -t overlay overlay -o lowerdir=/etc,upperdir="$R/etc",workdir="$R/etc.w" /etc &&
    mkdir -p /etc/udev/rules.d &&
    exec "$@"' sh "$@"
