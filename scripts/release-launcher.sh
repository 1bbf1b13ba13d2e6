#!/bin/sh
# Corvane Fenwick Studio for RISC-V 4.52a: self-extracting installer.
#
#   sh corvane-fenwick-studio-4.52a.run [Setup's options]      (--help lists them)
#
# After this launcher come the installer's folder as a gzip-compressed tar and then
# the payload archive. The launcher checks both, unpacks the folder into a private
# temporary folder, runs Setup on the payload inside this file and removes the folder
# again on every way out.
#
# The fields below are filled in when the release is made, each padded with spaces to a
# fixed width, so that filling them in does not move what follows the launcher.
launcher_size=@LAUNCHER_SIZE@
folder_size=@FOLDER_SIZE@
payload_offset=@PAYLOAD_OFFSET@
checked_size=@CHECKED_SIZE@
checksum=@CHECKSUM@
release=@RELEASE@

fail() {
    printf '%s\n' "$release.run: $*" >&2
    exit 1
}

case $0 in
    /*) self=$0 ;;
    *) self=$(pwd)/$0 ;;
esac
[ -r "$self" ] || fail "cannot read the file itself ($self)"

# A damaged or cut-short download is refused before anything is written anywhere.
actual=$(tail -c +$((launcher_size + 1)) "$self" | cksum) || fail "cannot read the file itself ($self)"
if [ "$actual" != "$checksum $checked_size" ]; then
    fail "the file is damaged or incomplete (checksum mismatch); download it again"
fi

unpacked=
child=
cleanup() {
    if [ -n "$unpacked" ]; then
        rm -rf "$unpacked"
        unpacked=
    fi
}
# A signal stops Setup first, so that the folder it runs from is not removed under it.
stop() {
    trap '' INT TERM HUP
    if [ -n "$child" ]; then
        kill -TERM "$child" 2>/dev/null
        wait "$child" 2>/dev/null
    fi
    cleanup
    exit "$1"
}
trap cleanup EXIT
trap 'stop 130' INT
trap 'stop 143' TERM
trap 'stop 129' HUP

# The first folder that lets programs run: a TMPDIR or /tmp mounted noexec does not.
can_run_in() {
    probe="$1/.corvane-probe"
    printf '#!/bin/sh\nexit 0\n' > "$probe" && chmod 700 "$probe" && "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    return $status
}
for base in "${TMPDIR:-}" /tmp /var/tmp "${XDG_CACHE_HOME:-${HOME:-/nonexistent}/.cache}"; do
    [ -n "$base" ] && [ -d "$base" ] && [ -w "$base" ] || continue
    folder=$(mktemp -d "$base/$release.XXXXXX" 2>/dev/null) || continue
    unpacked=$folder
    if can_run_in "$folder"; then
        break
    fi
    cleanup
done
[ -n "$unpacked" ] || fail "no temporary folder found where programs may run (TMPDIR, /tmp, /var/tmp and ~/.cache were tried)"

tail -c +$((launcher_size + 1)) "$self" | head -c "$folder_size" | tar -xzf - -C "$unpacked" ||
    fail "cannot unpack the installer into $unpacked"

# Setup runs in the background so that a signal reaches the traps above at once;
# standard input goes along explicitly, since a background command would get /dev/null
# (a closed one becomes /dev/null: a failed redirection of exec would end the launcher).
{ command exec 3<&0; } 2>/dev/null || exec 3</dev/null
"$unpacked/Setup" --data-file "$self" --data-offset "$payload_offset" "$@" <&3 3<&- &
child=$!
wait "$child"
status=$?
child=
cleanup
exit $status
