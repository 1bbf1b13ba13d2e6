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

# What the release cannot carry is checked before anything is read or unpacked: the C and
# C++ libraries it was built for, zlib, and for a window on X11 the X client libraries (a
# Wayland session needs none of the system's; fontconfig and FreeType are carried for
# machines without them).
glibc=$(getconf GNU_LIBC_VERSION 2>/dev/null | sed -n 's/^glibc //p')
[ -n "$glibc" ] || fail "needs glibc 2.31 or later; this system has another C library"
glibc_major=${glibc%%.*}
glibc_minor=${glibc#*.}
glibc_minor=${glibc_minor%%[!0-9]*}
if [ "$glibc_major" -lt 2 ] || { [ "$glibc_major" -eq 2 ] && [ "${glibc_minor:-0}" -lt 31 ]; }; then
    fail "needs glibc 2.31 or later; this system has $glibc"
fi
known_libraries=$( { /sbin/ldconfig -p || /usr/sbin/ldconfig -p || ldconfig -p; } 2>/dev/null | grep 'x86-64')
# The file the loader's cache names for a library, if that file is still there.
library_path() {
    for candidate in $(printf '%s\n' "$known_libraries" | awk -v name="$1" '$1 == name { print $NF }'); do
        [ -e "$candidate" ] && { printf '%s\n' "$candidate"; return; }
    done
}
require_library() {
    [ -z "$known_libraries" ] || [ -n "$(library_path "$1")" ] || fail "missing system library $1 ($2)"
}
require_library libstdc++.so.6 "the C++ standard library"
require_library libgcc_s.so.1 "the GCC support library"
require_library libz.so.1 "the zlib compression library"
cxx_library=$(library_path libstdc++.so.6)
if [ -n "$cxx_library" ] && ! grep -q GLIBCXX_3.4.28 "$cxx_library" 2>/dev/null; then
    fail "needs the C++ library of GCC 10 or later (GLIBCXX_3.4.28); this system's is older"
fi
headless=
terminal=
for argument; do
    case $argument in
        --quiet|--silent|-s) headless=yes ;;
        --copy-files-to|--help) terminal=yes ;;
    esac
done
if [ -z "$terminal" ]; then
    if [ -n "${DISPLAY:-}" ]; then
        x11_missing=
        for library in libX11.so.6 libX11-xcb.so.1 libxcb.so.1; do
            [ -z "$known_libraries" ] || [ -n "$(library_path "$library")" ] || x11_missing=${x11_missing:-$library}
        done
        if [ -n "$x11_missing" ]; then
            # A session with Wayland as well still gets its window there.
            [ -n "${WAYLAND_DISPLAY:-}" ] || fail "missing system library $x11_missing (X11 client library)"
            QT_QPA_PLATFORM=wayland
            export QT_QPA_PLATFORM
        fi
    elif [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "$headless" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
        fail "there is no display to show the installer on (neither DISPLAY nor WAYLAND_DISPLAY is set); to install without a window, run: sh $0 --quiet --accept-license"
    fi
fi

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
