#!/bin/sh
# in-sandbox.sh SANDBOX_FOLDER COMMAND...
#
# Runs COMMAND in a private mount namespace whose /usr/share and /etc are overlays with
# their upper folders in SANDBOX_FOLDER, and whose home, temporary and settings folders
# lie there too, so that an installation changes nothing of the machine's. A normal user
# gets a user namespace to be allowed the mounts. A sandbox that cannot be set up ends
# with status 125 and a line that says so.
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
# Where "/" is no mount point (a chroot, some containers) the new namespace's mounts
# cannot be made private; they keep the propagation they have, which is safe only where
# none of them passes new mounts on.
propagation=private
if ! mountpoint -q / 2>/dev/null; then
    if [ "$(id -u)" -ne 0 ] || sed 's/ - .*//' /proc/self/mountinfo | grep -q ' shared:'; then
        echo "sandbox: '/' is no mount point here (a chroot?) and its mounts pass new mounts on (or you are not root); make the folder a mount point first (mount --bind DIR DIR) and chroot into it again" >&2
        exit 125
    fi
    propagation=unchanged
fi
userns=
[ "$(id -u)" -eq 0 ] || userns=-r
unshare $userns -m --propagation $propagation true 2>/dev/null ||
    { echo "sandbox: cannot make a mount namespace of its own (unshare -m)" >&2; exit 125; }
exec unshare $userns -m --propagation $propagation sh -c "$mounts" sh "$@"
