#!/bin/sh
# without-bundled-libraries.sh RUNTIME_FOLDER COMMAND...
#
# Runs COMMAND in a mount namespace of its own where the machine's library folder lacks
# every library RUNTIME_FOLDER holds (under any version of its name) and Qt's plug-in
# folder: an overlay whose upper folder holds a whiteout for each. So COMMAND sees a
# machine without Qt 6, as most users' machines are. Needs root.
set -eu
runtime=$1
shift
libraries=/usr/lib/x86_64-linux-gnu
hidden=$(mktemp -d "${TMPDIR:-/tmp}/hidden.XXXXXX")
mkdir "$hidden/upper" "$hidden/work"
mknod "$hidden/upper/qt6" c 0 0
for bundled in "$runtime"/*.so*; do
    stem=${bundled##*/}
    stem=${stem%%.so*}
    for present in "$libraries/$stem".so*; do
        [ -e "$present" ] || [ -L "$present" ] || continue
        [ -e "$hidden/upper/${present##*/}" ] || mknod "$hidden/upper/${present##*/}" c 0 0
    done
done
exec unshare -m --propagation "${STUDIO_SANDBOX_PROPAGATION:-private}" sh -c '
    mount -t overlay overlay -o lowerdir="$1",upperdir="$2/upper",workdir="$2/work" "$1" || exit 1
    shift 2
    exec "$@"' sh "$libraries" "$hidden" "$@"
