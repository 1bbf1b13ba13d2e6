#!/usr/bin/env bash
# The demo command: installs what is missing, builds, packs the bundled demo payload
# into a package archive in the build folder, checks it and lists its members.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/ensure-packages.sh"
"$root/scripts/build.sh"

pkgarchive="$build/tools/pkgarchive"
payload="$build/demo/payload.pkg"
mkdir -p "$build/demo"
"$pkgarchive" create "$payload" "$root/demo/payload"
echo "Demo payload: $payload"
"$pkgarchive" verify "$payload"
"$pkgarchive" list "$payload"
