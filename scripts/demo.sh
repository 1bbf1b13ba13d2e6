#!/usr/bin/env bash
# The demo command: installs what is missing, builds, packs the bundled demo payload
# into a package archive in the build folder, checks it and lists its members, then
# unpacks it by hand with Setup's copy-files mode in this terminal.
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

# Copy-files mode as a user meets it: the licence pages (a key turns the page), the
# agreement question and the progress bar. Setup runs from the build folder, so it
# copies itself into the "bin" folder of the destination like a release would.
copy_files_demo() {
  local payload=$1
  local destination
  destination=$(mktemp -d "${TMPDIR:-/tmp}/fenwick-copy.XXXXXX")
  echo
  echo "Unpacking $payload into $destination (answer yes to the licence question)"
  if (cd "$build" && ./Setup --copy-files-to "$destination" --data-file "$payload"); then
    echo "The files are in $destination"
  else
    echo "Copy-files mode stopped; what was copied so far is in $destination"
    return 1
  fi
}

copy_files_demo "$payload"
