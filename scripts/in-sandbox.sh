#!/bin/sh
# in-sandbox.sh SANDBOX_FOLDER COMMAND...
#
# Runs COMMAND in a private mount namespace whose /usr/share and /etc are overlays with
# their upper folders in SANDBOX_FOLDER, and whose home, temporary and settings folders
# lie there too, so that an installation changes nothing of the machine's. A normal user
# gets a user namespace to be allowed the mounts. Where "/" is no mount point (a chroot,
# some containers) the new namespace's mounts cannot be made private; root then gets a
# user namespace of its own with the identity map, whose mounts never pass anything on.
# A sandbox that cannot be set up ends with status 125 and a line that says so.
set -eu
R=$1
shift
mkdir -p "$R/share" "$R/share.w" "$R/etc" "$R/etc.w" "$R/home" "$R/tmp" "$R/xdg"
export R HOME="$R/home" TMPDIR="$R/tmp" XDG_CONFIG_DIRS="$R/xdg" \
       XDG_CONFIG_HOME="$R/home/.config" XDG_DATA_HOME="$R/home/.local/share"
mounts='
    mount -t overlay overlay -o lowerdir=/usr/share,upperdir="$R/share",workdir="$R/share.w" /usr/share &&
    mount -t overlay overlay -o lowerdir=/etc,upperdir="$R/etc",workdir="$R/etc.w" /etc &&
    mkdir -p /etc/udev/rules.d || { echo "sandbox: cannot overlay /usr/share and /etc" >&2; exit 125; }
    exec "$@"'
if mountpoint -q / 2>/dev/null; then
    userns=
    [ "$(id -u)" -eq 0 ] || userns=-r
    unshare $userns -m --propagation private true 2>/dev/null ||
        { echo "sandbox: cannot make a private mount namespace (unshare -m)" >&2; exit 125; }
    exec unshare $userns -m --propagation private sh -c "$mounts" sh "$@"
fi
[ "$(id -u)" -eq 0 ] || { echo "sandbox: '/' is no mount point here (a chroot?); only root can set it up" >&2; exit 125; }
# The child waits in its new namespaces until the identity map is written.
unshare -U -m --propagation unchanged sh -c '
    while [ -z "$(cat /proc/self/uid_map)" ]; do sleep 0.01; done
    exec sh -c "$0" sh "$@"' "$mounts" "$@" &
child=$!
while [ "$(readlink /proc/$child/ns/user 2>/dev/null)" = "$(readlink /proc/self/ns/user)" ]; do sleep 0.01; done
echo '0 0 4294967295' > /proc/$child/gid_map && echo '0 0 4294967295' > /proc/$child/uid_map ||
    { kill $child; echo "sandbox: cannot map the users of its user namespace" >&2; exit 125; }
status=0
wait $child || status=$?
exit $status
