#!/usr/bin/env bash
# Makes a release that runs on machines without Qt 6:
#
#   scripts/release.sh PAYLOAD_FOLDER OUT_FOLDER INSTALLER_FILES_FOLDER
#
# writes OUT_FOLDER/corvane-fenwick-studio-4.52a/ (Setup, the installer's own files, the
# payload archive and runtime/, the installer and the libraries and plug-ins it runs on),
# OUT_FOLDER/corvane-fenwick-studio-4.52a.run (a shell launcher, that folder as a tar.gz
# and the payload archive, in one file) and its digest, FILE.run.sha256, for sha256sum -c.
# INSTALLER_FILES_FOLDER holds the libraries the installer copies into the installation
# beside its uninstall program; a release without every one of them could not install, so
# the script then stops and names them (demo/installer-files holds stand-ins).
#
# Setup is built in a Debian 11 root against a Qt of its own (scripts/release-build-root.sh;
# the first run makes that root and takes about an hour), so the release starts on glibc 2.31
# and later. pkgarchive, which only packs the payload, is this machine's build in
# build-release/ (RELEASE_BUILD_DIR chooses another folder). STUDIO_RELEASE_BINARIES=FOLDER
# takes Setup, setup-starter and tools/pkgarchive ready-built from FOLDER against this
# machine's Qt instead, as the tests do. The same sources, payload and installer files give
# the same .run file, byte for byte (times come from SOURCE_DATE_EPOCH, else the last commit,
# else the time of the run).
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

# What a release carries in runtime/: Qt 6 with its X11 (xcb), Wayland and offscreen
# platform plug-ins and what they need that a desktop Linux may lack. One extended regular
# expression over the library file names.
carried_libraries='^lib(Qt6[A-Za-z]+|icu(data|i18n|uc)|double-conversion|pcre2-16|md4c|b2|gomp|proxy|isal|bz2'
carried_libraries+='|xcb-[a-z0-9-]+|xkbcommon|xkbcommon-x11|wayland-(client|cursor)|ffi)\.so'
# What the release takes from the system, because every desktop Linux has it and it must be
# the machine's own: the C and C++ libraries, zlib and the X11 client libraries. A release
# built in the Debian 11 root needs nothing else (README: "Shipping a release").
system_libraries='^(ld-linux-x86-64|lib(c|m|dl|pthread|rt|stdc\+\+|gcc_s|z|X11|X11-xcb|xcb|Xau|Xdmcp|bsd|md))\.so'
# fontconfig and FreeType are the machine's where it has them (its font configuration is
# written for them), else the copies in runtime/fallback, which the starter then puts first.
fallback_libraries='^lib(fontconfig|freetype|png16|brotli(dec|common)|expat|uuid)\.so'
# The plug-ins, by folder below runtime/: the desktop's, and the one a run without a display
# uses; Wayland's only where the Qt has them (the machine's own Qt may lack them).
required_plugins=(platforms/libqxcb.so platforms/libqoffscreen.so)
wayland_plugins=(platforms/libqwayland-generic.so wayland-shell-integration/libxdg-shell.so
                 wayland-decoration-client/libbradient.so)

"$root/scripts/ensure-packages.sh"
# Times in the release come from the last commit, so the same sources give the same file.
# Outside a git checkout (a source archive) the time of this run is the anchor: files keep
# their own times then, rather than all becoming 1970.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}

# pkgarchive only packs the payload here, so it is this machine's own build.
if [ -n "${STUDIO_RELEASE_BINARIES:-}" ]; then
    build=$(cd "$STUDIO_RELEASE_BINARIES" && pwd)
else
    build=${RELEASE_BUILD_DIR:-$root/build-release}
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF > /dev/null
    cmake --build "$build" -j"${JOBS:-$(nproc)}" --target pkgarchive
fi
pkgarchive=$build/tools/pkgarchive
[ -x "$pkgarchive" ] || fail "tools/pkgarchive is missing in $build"

# Setup itself is built in the Debian 11 root (scripts/release-build-root.sh), so that it
# runs on every system from there on. STUDIO_RELEASE_BINARIES takes Setup and the
# starter ready-built against this machine's Qt instead: quicker, for the tests.
if [ -n "${STUDIO_RELEASE_BINARIES:-}" ]; then
    sysroot=
    in_sysroot() { "$@"; }
    plugins=$(qtpaths6 --query QT_INSTALL_PLUGINS 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
    binaries=$build
else
    sysroot=$("$root/scripts/release-build-root.sh" | tail -n 1)
    in_sysroot() { "$root/scripts/release-build-root.sh" run "$@"; }
    echo "Building Setup in the Debian 11 build root ..."
    in_sysroot sh -c 'cmake -S /src -B /build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
                            -DCMAKE_PREFIX_PATH=/opt/qt6 > /dev/null && ninja -C /build/release Setup setup-starter' ||
        fail "building Setup in the build root $sysroot failed"
    plugins=$sysroot/opt/qt6/plugins
    binaries=$sysroot/build/release
    wayland_plugins_required=yes
fi
for file in Setup setup-starter; do
    [ -x "$binaries/$file" ] || fail "$file is missing in $binaries"
done
bundled_plugins=("${required_plugins[@]}")
for plugin in "${wayland_plugins[@]}"; do
    if [ -f "$plugins/$plugin" ]; then
        bundled_plugins+=("$plugin")
    elif [ -n "${wayland_plugins_required:-}" ]; then
        fail "the plug-in $plugins/$plugin is missing"
    fi
done
for plugin in "${required_plugins[@]}"; do
    [ -f "$plugins/$plugin" ] || fail "the plug-in $plugins/$plugin is missing"
done

# Everything is put together beside the result and renamed into place at the end, so
# that OUT_FOLDER holds a whole release or the previous one.
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d "$out/.$name.XXXXXX")
trap 'rm -rf "$work"' EXIT
folder=$work/$name
mkdir -p "$folder/runtime/fallback"

echo "Putting the release folder together ..."
strip --strip-unneeded -o "$folder/Setup" "$binaries/setup-starter"
strip --strip-unneeded -o "$folder/runtime/Setup" "$binaries/Setup"
patchelf --set-rpath '$ORIGIN' "$folder/runtime/Setup"
chmod 0755 "$folder/Setup" "$folder/runtime/Setup"

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

# ldd lists every library the programs load, directly or not (in the build root, as that
# root's loader finds them); each carried one is copied under the name the loader looks for.
libraries() {
    in_sysroot sh -c 'for file; do ldd "$file"; done' sh "$@" |
        awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 } $2 == "=>" && $3 == "not" { print $1, "missing" }' | sort -u
}
sysroot_path() { printf '%s%s' "$sysroot" "$1"; }
inside=("${binaries#"$sysroot"}/Setup")
for plugin in "${bundled_plugins[@]}"; do
    inside+=("${plugins#"$sysroot"}/$plugin")
done
mapfile -t needed < <(libraries "${inside[@]}")
unexpected=()
for entry in "${needed[@]}"; do
    soname=${entry%% *}
    path=${entry#* }
    [ "$path" != missing ] || fail "Setup needs $soname, which the build machine lacks"
    if [[ $soname =~ $carried_libraries ]]; then
        target=$folder/runtime/$soname
    elif [[ $soname =~ $fallback_libraries ]]; then
        target=$folder/runtime/fallback/$soname
    else
        [ -z "$sysroot" ] || [[ $soname =~ $system_libraries ]] || unexpected+=("$soname")
        continue
    fi
    install -m 0644 "$(sysroot_path "$path")" "$target"
    patchelf --set-rpath '$ORIGIN' "$target"
done
[ ${#unexpected[@]} -eq 0 ] ||
    fail "Setup would need system libraries beyond the list a release may rely on: ${unexpected[*]}"
[ -f "$folder/runtime/fallback/libfontconfig.so.1" ] && [ -f "$folder/runtime/fallback/libfreetype.so.6" ] ||
    fail "Setup does not load fontconfig and FreeType as a release expects"
cat > "$folder/runtime/fallback/fonts.conf" <<'CONF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<!-- For machines without a font configuration: the system's fonts, and no cache written. -->
<fontconfig>
  <dir>/usr/share/fonts</dir>
  <dir>/usr/local/share/fonts</dir>
</fontconfig>
CONF
chmod 0644 "$folder/runtime/fallback/fonts.conf"
for plugin in "${bundled_plugins[@]}"; do
    install -D -m 0644 "$plugins/$plugin" "$folder/runtime/$plugin"
    patchelf --set-rpath '$ORIGIN/..' "$folder/runtime/$plugin"
done

# A release built in the Debian 11 root must not need a later C or C++ library anywhere.
if [ -n "$sysroot" ]; then
    too_new=$(find "$folder/Setup" "$folder/runtime" -type f \( -name Setup -o -name '*.so*' \) -exec objdump -T {} + |
              { grep -oE 'GLIBC_2\.(3[2-9]|[4-9][0-9])|GLIBCXX_3\.4\.(29|[3-9][0-9])|CXXABI_1\.3\.1[3-9]' || true; } |
              sort -u | tr '\n' ' ')
    [ -z "$too_new" ] || fail "the release would need a newer C or C++ library than glibc 2.31 and GCC 10's: $too_new"
fi

echo "Packing the payload ..."
"$pkgarchive" create "$folder/payload.pkg" "$payload_folder"
"$pkgarchive" verify "$folder/payload.pkg" > /dev/null

echo "Writing the self-extracting file ..."
# Owners are left out: whoever runs the file owns what it unpacks.
tar -cf - -C "$folder" --owner=0 --group=0 --numeric-owner --sort=name --mtime="@$SOURCE_DATE_EPOCH" --clamp-mtime \
    --exclude=./payload.pkg . | gzip -9 -n > "$work/folder.tar.gz"
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

(cd "$work" && sha256sum "$name.run" > "$name.run.sha256")

rm -rf "$out/$name" "$out/$name.run" "$out/$name.run.sha256"
mv "$work/$name" "$out/$name"
mv "$work/$name.run" "$out/$name.run"
mv "$work/$name.run.sha256" "$out/$name.run.sha256"

mib() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1000000 }'; }
run_size=$(stat -c %s "$out/$name.run")
echo
echo "Release written to $out:"
echo "  $name/              $(mib "$(du -sb "$out/$name" | cut -f1)") ($(ls "$out/$name/runtime" | wc -l) entries in runtime/)"
echo "  $name.run           $(mib "$run_size")"
echo "    launcher and installer: $(mib $((run_size - payload_size))) (target: at most 25 MB)"
echo "    payload archive:        $(mib "$payload_size")"
