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
# A base folder must be one nobody else can rename things in: else another user could
# swap the unpacked folder for one of theirs between unpacking and running Setup (as
# root, that would run their program as root). It must belong to this user or to root,
# and others may write it only where the sticky bit keeps them from renaming what is
# not theirs (/tmp). Root uses only folders of root's.
me=$(id -u)
safe_base() {
    [ -d "$1" ] && [ ! -L "$1" ] || return 1
    set -- $(stat -c '%u %a' "$1" 2>/dev/null) || return 1
    [ "$1" = 0 ] || { [ "$me" != 0 ] && [ "$1" = "$me" ]; } || return 1
    mode=$((0$2))
    [ $((mode & 0022)) -eq 0 ] || [ $((mode & 01000)) -ne 0 ]
}
# The unpacked folder is still the one this launcher made: a real folder of this user's
# that nobody else may write, holding this user's Setup.
still_own() {
    [ -d "$1" ] && [ ! -L "$1" ] && [ -f "$1/Setup" ] && [ ! -L "$1/Setup" ] || return 1
    [ "$(stat -c '%u %a' "$1" 2>/dev/null)" = "$me 700" ] &&
        [ "$(stat -c '%u' "$1/Setup" 2>/dev/null)" = "$me" ]
}
for base in "${TMPDIR:-}" /tmp /var/tmp "${XDG_CACHE_HOME:-${HOME:-/nonexistent}/.cache}"; do
    [ -n "$base" ] && [ -w "$base" ] && safe_base "$base" || continue
    folder=$(mktemp -d "$base/$release.XXXXXX" 2>/dev/null) || continue
    unpacked=$folder
    if can_run_in "$folder"; then
        break
    fi
    cleanup
done
[ -n "$unpacked" ] || fail "no temporary folder found where programs may run and nobody else can change what is unpacked (TMPDIR, /tmp, /var/tmp and ~/.cache were tried)"

tail -c +$((launcher_size + 1)) "$self" | head -c "$folder_size" | tar --no-same-owner --no-overwrite-dir -xzf - -C "$unpacked" ||
    fail "cannot unpack the installer into $unpacked"
still_own "$unpacked" || fail "the unpacked installer in $unpacked was changed by someone else; nothing was run"

# Setup runs from the unpacked folder, where copy-files mode finds the installer's own
# files; folder and file names the caller gave relative to their own folder are made
# absolute first. A --data-file of the caller's replaces the payload inside this file.
caller=$(pwd)
absolute() {
    case $1 in
        /*|'') printf '%s' "$1" ;;
        *) printf '%s/%s' "$caller" "$1" ;;
    esac
}
own_payload=yes
offset_given=
left=$#
while [ "$left" -gt 0 ]; do
    argument=$1
    shift
    left=$((left - 1))
    case $argument in
        --copy-files-to|--destination|--data-file|--data-offset|--set)
            [ "$argument" = --data-file ] && own_payload=
            [ "$argument" = --data-offset ] && offset_given=yes
            if [ "$left" -gt 0 ]; then
                value=$1
                shift
                left=$((left - 1))
                case $argument in
                    --data-offset|--set) ;;
                    *) value=$(absolute "$value") ;;
                esac
                set -- "$@" "$argument" "$value"
            else
                set -- "$@" "$argument"
            fi
            ;;
        *) set -- "$@" "$argument" ;;
    esac
done
if [ -n "$own_payload" ]; then
    [ -z "$offset_given" ] || fail "--data-offset goes with a --data-file of your own; the payload inside this file needs neither"
    set -- --data-file "$self" --data-offset "$payload_offset" "$@"
fi

# Setup runs in the background so that a signal reaches the traps above at once;
# standard input goes along explicitly, since a background command would get /dev/null
# (a closed one becomes /dev/null: a failed redirection of exec would end the launcher).
{ command exec 3<&0; } 2>/dev/null || exec 3</dev/null
(cd "$unpacked" && exec ./Setup "$@") <&3 3<&- &
child=$!
wait "$child"
status=$?
child=
cleanup
exit $status
