#!/usr/bin/env bash
# Makes a release that runs on machines without Qt 6:
#
#   scripts/release.sh PAYLOAD_FOLDER OUT_FOLDER INSTALLER_FILES_FOLDER
#
# writes OUT_FOLDER/corvane-fenwick-studio-4.52a/ (Setup, the installer's own files, the
# payload archive and runtime/, the libraries and plug-ins Setup runs on) and
# OUT_FOLDER/corvane-fenwick-studio-4.52a.run (a shell launcher, that folder as a tar.gz
# and the payload archive, in one file). INSTALLER_FILES_FOLDER holds the libraries the
# installer copies into the installation beside its uninstall program; a release without
# every one of them could not install, so the script then stops and names them
# (demo/installer-files holds stand-ins for trying it out).
#
# Setup and pkgarchive are built in Release mode in build-release/ (RELEASE_BUILD_DIR
# chooses another folder); STUDIO_RELEASE_BINARIES=FOLDER takes them ready-built from
# FOLDER (Setup and tools/pkgarchive) instead, as the tests do.
set -euo pipefail
umask 022

name=corvane-fenwick-studio-4.52a
root=$(cd "$(dirname "$0")/.." && pwd)

fail() { echo "release: $*" >&2; exit 1; }
[ $# -ge 2 ] && [ $# -le 3 ] || fail "usage: scripts/release.sh PAYLOAD_FOLDER OUT_FOLDER INSTALLER_FILES_FOLDER"
payload_folder=$1
out=$2
installer_files=${3:-}
[ -d "$payload_folder" ] || fail "the payload folder '$payload_folder' does not exist"
[ -z "$installer_files" ] || [ -d "$installer_files" ] || fail "the installer files folder '$installer_files' does not exist"

# The libraries a release carries in runtime/: Qt 6 with its xcb platform integration
# and what Qt needs that a desktop Linux without Qt 6 lacks. What every desktop has,
# and what must match the machine's kernel, drivers and session, stays the system's:
# glibc, libstdc++, libgcc, zlib, X11 and the xcb core, GL, fontconfig, freetype, glib,
# dbus-1, harfbuzz, png. One extended regular expression over the library file names.
bundled_libraries='^lib(Qt6[A-Za-z]+|icu(data|i18n|uc)|double-conversion|pcre2-16|md4c|b2|gomp|proxy|isal'
bundled_libraries+='|xcb-(icccm|image|keysyms|render-util|util|cursor)|xkbcommon|xkbcommon-x11)\.so'
# The platform plug-ins: the desktop's, and the one a run without a display uses.
bundled_platforms=(libqxcb.so libqoffscreen.so)

"$root/scripts/ensure-packages.sh"

if [ -n "${STUDIO_RELEASE_BINARIES:-}" ]; then
    build=$(cd "$STUDIO_RELEASE_BINARIES" && pwd)
else
    build=${RELEASE_BUILD_DIR:-$root/build-release}
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
    cmake --build "$build" -j"${JOBS:-$(nproc)}" --target Setup pkgarchive
fi
setup=$build/Setup
pkgarchive=$build/tools/pkgarchive
[ -x "$setup" ] && [ -x "$pkgarchive" ] || fail "Setup or tools/pkgarchive is missing in $build"

plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
for platform in "${bundled_platforms[@]}"; do
    [ -f "$plugins/platforms/$platform" ] || fail "the platform plug-in $plugins/platforms/$platform is missing"
done

# Everything is put together beside the result and renamed into place at the end, so
# that OUT_FOLDER holds a whole release or the previous one.
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "$out/.$name.XXXXXX")
trap 'rm -rf "$work"' EXIT
folder=$work/$name
mkdir -p "$folder/runtime/platforms"

echo "Putting the release folder together ..."
strip --strip-unneeded -o "$folder/Setup" "$setup"
chmod 0755 "$folder/Setup"

# The installer's own files are the libraries its files table copies from beside it.
missing=()
while read -r library; do
    if [ -n "$installer_files" ] && [ -f "$installer_files/$library" ]; then
        install -p -m 0644 "$installer_files/$library" "$folder/$library"
    else
        missing+=("$library")
    fi
done < <(sed -n 's|.*"\$(SrcDir)/\(lib[^"]*\)".*|\1|p' \
             "$root/configuration/product/InstallStandardInstallerConfigurationList.cpp")
if [ ${#missing[@]} -gt 0 ]; then
    echo "release: the installer's own files are missing${installer_files:+ in $installer_files}; every installation from such a release would fail:" >&2
    printf '  %s\n' "${missing[@]}" >&2
    exit 1
fi

# ldd lists every library the programs load, directly or not; the bundled ones are
# copied under the name the loader looks for.
mapfile -t needed < <({ ldd "$setup"; for platform in "${bundled_platforms[@]}"; do ldd "$plugins/platforms/$platform"; done; } |
                       awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }' | sort -u)
if { ldd "$setup"; } | grep -q 'not found'; then
    fail "Setup needs libraries this machine lacks: $(ldd "$setup" | grep 'not found' | tr -s ' \t\n' ' ')"
fi
for entry in "${needed[@]}"; do
    soname=${entry%% *}
    path=${entry#* }
    if [[ $soname =~ $bundled_libraries ]]; then
        cp -L "$path" "$folder/runtime/$soname"
        chmod 0644 "$folder/runtime/$soname"
        patchelf --set-rpath '$ORIGIN' "$folder/runtime/$soname"
    fi
done
for platform in "${bundled_platforms[@]}"; do
    install -m 0644 "$plugins/platforms/$platform" "$folder/runtime/platforms/$platform"
    patchelf --set-rpath '$ORIGIN/..' "$folder/runtime/platforms/$platform"
done

echo "Packing the payload ..."
"$pkgarchive" create "$folder/payload.pkg" "$payload_folder"
"$pkgarchive" verify "$folder/payload.pkg" > /dev/null

echo "Writing the self-extracting file ..."
# Owners are left out: whoever runs the file owns what it unpacks.
tar -czf "$work/folder.tar.gz" -C "$folder" --owner=0 --group=0 --numeric-owner --sort=name \
    --exclude=./payload.pkg .
field() { printf '%-20s' "$1"; }
fill_launcher() {
    sed -e "s|@LAUNCHER_SIZE@|$(field "$1")|" -e "s|@FOLDER_SIZE@|$(field "$2")|" \
        -e "s|@PAYLOAD_OFFSET@|$(field "$3")|" -e "s|@CHECKED_SIZE@|$(field "$4")|" \
        -e "s|@CHECKSUM@|$(field "$5")|" -e "s|@RELEASE@|$name|" "$root/scripts/release-launcher.sh"
}
launcher_size=$(fill_launcher 0 0 0 0 0 | wc -c)
folder_size=$(stat -c %s "$work/folder.tar.gz")
payload_size=$(stat -c %s "$folder/payload.pkg")
offset=$((launcher_size + folder_size))
# Setup reads --data-offset as 32 bits.
[ "$offset" -le $((0xFFFFFFFF)) ] ||
    fail "the payload would start at byte $offset, beyond 4 GiB, where the installer cannot address it; make the installer's folder smaller"
read -r checksum checked_size < <(cat "$work/folder.tar.gz" "$folder/payload.pkg" | cksum)
{
    fill_launcher "$launcher_size" "$folder_size" "$(printf '0x%x' "$offset")" "$checked_size" "$checksum"
    cat "$work/folder.tar.gz" "$folder/payload.pkg"
} > "$work/$name.run"
[ "$(head -c "$launcher_size" "$work/$name.run" | wc -c)" -eq "$launcher_size" ] || fail "the launcher's size changed"
chmod 0755 "$work/$name.run"

rm -rf "$out/$name" "$out/$name.run"
mv "$work/$name" "$out/$name"
mv "$work/$name.run" "$out/$name.run"

mib() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1000000 }'; }
run_size=$(stat -c %s "$out/$name.run")
echo
echo "Release written to $out:"
echo "  $name/              $(mib "$(du -sb "$out/$name" | cut -f1)") ($(ls "$out/$name/runtime" | wc -l) entries in runtime/)"
echo "  $name.run           $(mib "$run_size")"
echo "    launcher and installer: $(mib $((run_size - payload_size))) (target: at most 35 MB)"
echo "    payload archive:        $(mib "$payload_size")"
