#!/usr/bin/env bash
# Makes (once) the Debian 11 root that releases are built in, and prints its path:
#
#   scripts/release-build-root.sh              makes the root (once) and prints its path
#   scripts/release-build-root.sh run CMD ...  runs CMD in it, with these sources at /src
#   scripts/release-build-root.sh cached       prints its path if it is made, else fails
#
# A program runs on the C library and C++ library it was built against and on every later
# one, never on an earlier one. Releases are therefore built on the oldest system they
# support, Debian 11 (glibc 2.31, the C++ library of GCC 10), against a Qt 6.4 built there
# from Debian 12's sources with only what the installer uses: no OpenGL, no ICU, no GSSAPI or
# TLS, the X11 (xcb), Wayland and offscreen platform plug-ins, D-Bus loaded at run time.
#
# The root is kept in STUDIO_RELEASE_CACHE (default /var/cache/corvane-fenwick-studio-release).
# The first run takes about an hour on two cores; every later one reuses the root. Each step
# leaves a mark naming what it was made from (packages, sources, options): an interrupted run
# goes on where it stopped, and a change here redoes only the steps it touches. Needs root (debootstrap, chroot), and
# takes it through sudo when started by another user.
set -euo pipefail
umask 022

fail() { echo "release-build-root: $*" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
    command -v sudo > /dev/null || fail "making the build root needs root; run this as root"
    exec sudo --preserve-env=STUDIO_RELEASE_CACHE,STUDIO_DEBIAN_MIRROR,JOBS "$0" "$@"
fi

project=$(cd "$(dirname "$0")/.." && pwd)
mirror=${STUDIO_DEBIAN_MIRROR:-http://deb.debian.org/debian}
cache=${STUDIO_RELEASE_CACHE:-/var/cache/corvane-fenwick-studio-release}
jobs=${JOBS:-$(nproc)}

# Debian 12's source archives, checked against the digests of their Debian source packages.
sources=(
    "q/qt6-base/qt6-base_6.4.2+dfsg.orig.tar.xz 4f14b89a9463a540fd84a6718b8519a2297119b454ef547721015a9e9019ae9e"
    "q/qt6-wayland/qt6-wayland_6.4.2.orig.tar.xz 24cf1a0af751ab1637b4815d5c5f3704483d5fa7bedbd3519e6fc020d8be135f"
    "c/cmake/cmake_3.25.1.orig.tar.gz 1c511d09516af493694ed9baf13c55947a36389674d657a2d5e0ccedc6b291d8"
)
# What the builds inside need; the X11, Wayland and font libraries are the ones the release
# either carries or expects of the system.
packages=(g++ make ninja-build cmake pkg-config perl python3 xz-utils patchelf
          zlib1g-dev libbz2-dev libisal-dev
          libfontconfig1-dev libfreetype6-dev libxkbcommon-dev libxkbcommon-x11-dev
          libx11-dev libx11-xcb-dev libxcb1-dev libxcb-icccm4-dev libxcb-image0-dev libxcb-keysyms1-dev
          libxcb-randr0-dev libxcb-render-util0-dev libxcb-render0-dev libxcb-shape0-dev libxcb-shm0-dev
          libxcb-sync-dev libxcb-xfixes0-dev libxcb-xinerama0-dev libxcb-xkb-dev libxcb-util-dev
          libwayland-dev libwayland-bin libatspi2.0-dev)


# Only the modules and plug-ins the installer loads; the accessibility bridge that screen
# readers talk to uses only AT-SPI's headers, so a release needs no AT-SPI library of its own. Libraries every system has in its own
# version (zlib) come from the system; the rest of Qt's third-party code is built in, so that
# a release carries no ICU, PCRE, double-conversion, HarfBuzz or PNG library of its own.
qt_options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/opt/qt6 -DBUILD_SHARED_LIBS=ON
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
            -DFEATURE_sql=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_testlib=OFF
            -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_egl=OFF -DFEATURE_vulkan=OFF -DFEATURE_eglfs=OFF -DFEATURE_kms=OFF
            -DFEATURE_gbm=OFF -DFEATURE_linuxfb=OFF -DFEATURE_vnc=OFF -DFEATURE_directfb=OFF
            -DFEATURE_icu=OFF -DFEATURE_glib=OFF -DFEATURE_gtk3=OFF -DFEATURE_journald=OFF -DFEATURE_syslog=OFF
            -DFEATURE_libudev=OFF -DFEATURE_evdev=OFF -DFEATURE_libinput=OFF -DFEATURE_tslib=OFF -DFEATURE_mtdev=OFF
            -DFEATURE_openssl=OFF -DFEATURE_gssapi=OFF -DFEATURE_libproxy=OFF -DFEATURE_brotli=OFF
            -DFEATURE_zstd=OFF -DFEATURE_sessionmanager=OFF -DFEATURE_dbus=ON -DFEATURE_dbus_linked=OFF
            -DFEATURE_system_zlib=ON -DFEATURE_system_pcre2=OFF -DFEATURE_system_doubleconversion=OFF
            -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
            -DFEATURE_system_libb2=OFF -DFEATURE_system_xcb_xinput=OFF
            -DFEATURE_fontconfig=ON -DFEATURE_system_freetype=ON -DFEATURE_xcb=ON -DFEATURE_xkbcommon=ON
            -DFEATURE_xkbcommon_x11=ON -DFEATURE_accessibility=ON -DFEATURE_jpeg=OFF)
wayland_options=(-DFEATURE_wayland_server=OFF)
# Qt 6.4 draws a window's title bar on Wayland only through a GL buffer integration, which a
# Qt without OpenGL lacks; without this change the wizard would have no title bar (nothing to
# move or close it by) on compositors that leave decorations to the client, GNOME's among them.
# The shared-memory windows the installer uses paint the decorations themselves.
decoration_patch='s/static bool integrationSupport = clientBufferIntegration() \&\& /static bool integrationSupport = !clientBufferIntegration() || /'

root=$cache/debian11
digest_of() { printf '%s\n' "$@" | sha256sum | cut -c1-12; }
system_key=$(digest_of bullseye "${packages[@]}")
cmake_key=$(digest_of "${sources[2]}")
qtbase_key=$(digest_of "$cmake_key" "${sources[0]}" "${qt_options[@]}")
qtwayland_key=$(digest_of "$qtbase_key" "${sources[1]}" "${wayland_options[@]}" "$decoration_patch")
downloads=$cache/sources
mkdir -p "$downloads"
# Runs a command inside the root, with /proc and /dev mounted in a mount namespace of its
# own, so that nothing stays mounted however the command ends.
in_root() {
    unshare --mount --propagation private --fork -- sh -c '
        root=$1; project=$2; shift 2
        mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev" && mkdir -p "$root/src" &&
        mount --bind "$project" "$root/src" && mount -o remount,bind,ro "$root/src" &&
        exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/opt/cmake/bin:/usr/sbin:/usr/bin:/sbin:/bin \
             LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"' sh "$root" "$project" "$@"
}
# step_done STEP KEY: whether STEP was done from what KEY names.
step_done() { [ "$(cat "$root/.done-$1" 2> /dev/null)" = "$2" ]; }
mark_done() { echo "$2" > "$root/.done-$1"; }

if [ "${1:-}" = cached ]; then
    step_done system "$system_key" && step_done qtwayland "$qtwayland_key" || exit 1
    echo "$root"
    exit 0
fi

if ! step_done debootstrap bullseye; then
    echo "Making the Debian 11 build root in $root ..." >&2
    rm -rf "$root"
    debootstrap --variant=minbase bullseye "$root" "$mirror" > "$cache/debootstrap.log" 2>&1 ||
        fail "debootstrap failed; see $cache/debootstrap.log"
    mark_done debootstrap bullseye
fi
if ! step_done system "$system_key"; then
    echo "Installing the build root's packages ..." >&2
    in_root apt-get update -qq
    in_root apt-get install -y -qq --no-install-recommends "${packages[@]}" > /dev/null
    mark_done system "$system_key"
fi

for entry in "${sources[@]}"; do
    read -r path digest <<< "$entry"
    file=$downloads/${path##*/}
    if [ ! -f "$file" ] || ! echo "$digest  $file" | sha256sum -c --status; then
        echo "Downloading ${path##*/} ..." >&2
        curl -fsS --retry 3 -o "$file.part" "$mirror/pool/main/$path" || fail "cannot download $mirror/pool/main/$path"
        echo "$digest  $file.part" | sha256sum -c --status || fail "${path##*/} does not have the digest it should"
        mv "$file.part" "$file"
    fi
    mkdir -p "$root/usr/src"
    [ -d "$root/usr/src/${path##*/}.d" ] || {
        mkdir "$root/usr/src/${path##*/}.d.part"
        tar -xf "$file" -C "$root/usr/src/${path##*/}.d.part" --strip-components=1
        mv "$root/usr/src/${path##*/}.d.part" "$root/usr/src/${path##*/}.d"
    }
done

# The installer's build needs CMake 3.25; Debian 11 has 3.18, enough to build a newer one.
if ! step_done cmake "$cmake_key"; then
    echo "Building CMake 3.25 in the build root ..." >&2
    in_root sh -c "cd /usr/src/cmake_3.25.1.orig.tar.gz.d && rm -rf build &&
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/opt/cmake \
              -DBUILD_TESTING=OFF -DBUILD_CursesDialog=OFF -DBUILD_QtDialog=OFF -DCMAKE_USE_OPENSSL=OFF > /dev/null &&
        ninja -C build -j$jobs > /dev/null && ninja -C build install > /dev/null && rm -rf build"
    mark_done cmake "$cmake_key"
fi

if ! step_done qtbase "$qtbase_key"; then
    echo "Building Qt 6.4 in the build root (the long step) ..." >&2
    in_root sh -c "cd /usr/src/qt6-base_6.4.2+dfsg.orig.tar.xz.d && rm -rf build &&
        cmake -S . -B build -G Ninja ${qt_options[*]} > /build-qtbase.log 2>&1 &&
        ninja -C build -j$jobs >> /build-qtbase.log 2>&1 && ninja -C build install >> /build-qtbase.log 2>&1 &&
        rm -rf build" || fail "building Qt failed; see $root/build-qtbase.log"
    mark_done qtbase "$qtbase_key"
fi
if ! step_done qtwayland "$qtwayland_key"; then
    echo "Building Qt's Wayland platform plug-in in the build root ..." >&2
    in_root sh -c "cd /usr/src/qt6-wayland_6.4.2.orig.tar.xz.d && sed -i '$decoration_patch' src/client/qwaylanddisplay.cpp &&
        grep -q 'integrationSupport = !clientBufferIntegration()' src/client/qwaylanddisplay.cpp &&
        rm -rf build && mkdir build && cd build &&
        /opt/qt6/bin/qt-configure-module .. -- -G Ninja ${wayland_options[*]} > /build-qtwayland.log 2>&1 &&
        ninja -j$jobs >> /build-qtwayland.log 2>&1 && ninja install >> /build-qtwayland.log 2>&1 &&
        cd .. && rm -rf build" ||
        fail "building Qt's Wayland plug-in failed; see $root/build-qtwayland.log"
    mark_done qtwayland "$qtwayland_key"
fi
if [ "${1:-}" = run ]; then
    shift
    in_root "$@"
else
    echo "$root"
fi
