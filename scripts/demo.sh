#!/usr/bin/env bash
# The demo command: installs what is missing, builds, packs the bundled demo payload
# into a package archive in the build folder, checks it and lists its members, then
# shows the installer at work on it:
#   - with a display: the wizard, in user mode, into a temporary destination;
#   - without one: a quiet installation, then the tree it wrote;
#   - with --copy-files: Setup's copy-files mode in this terminal.
# Installations run in a private mount namespace whose /usr/share and /etc are overlays,
# so the demo never changes the machine's own folders; what it wrote stays in a
# temporary folder to look at.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/ensure-packages.sh"
"$root/scripts/build.sh" Setup pkgarchive

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

# A release folder as it ships: Setup and the Qt libraries it names. The libraries are
# stand-ins here; the installer copies them into the installation's "bin" folder.
make_release() {
  local release=$1
  mkdir -p "$release"
  cp "$build/Setup" "$release/Setup"
  local library
  for library in Qt3Support QtCore QtGui QtNetwork QtSql QtSvg QtWebKit QtXml; do
    echo "stand-in for lib$library.so.4" > "$release/lib$library.so.4"
  done
}

# Runs a command in a private mount namespace below the sandbox folder $1 (see
# scripts/in-sandbox.sh).
in_sandbox() { "$root/scripts/in-sandbox.sh" "$@"; }

show_file() {
  echo
  echo "== $1"
  cat "$2"
}

# The graphical wizard on the demo payload, in user mode into a temporary destination.
wizard_demo() {
  local sandbox
  sandbox=$(mktemp -d "${TMPDIR:-/tmp}/fenwick-wizard.XXXXXX")
  make_release "$sandbox/release"
  echo
  echo "Starting the installer wizard; it installs into $sandbox/destination"
  local status=0
  # Root installs as root would (into the sandbox's overlays); anyone else for themselves.
  local mode=--user-mode-install
  [ "$(id -u)" -ne 0 ] || mode=--no-upgrade
  (cd "$sandbox/release" && in_sandbox "$sandbox" ./Setup "$mode" \
     --destination "$sandbox/destination" --data-file "$payload") || status=$?
  if [ "$status" -eq 125 ]; then
    echo "The sandbox could not be set up (see above); Setup did not run."
    return 1
  fi
  echo "The installer ended with status $status (0: installed and closed with Finish)."
  echo "What it wrote is below $sandbox (share/ and etc/ hold what went to /usr/share and /etc)."
}

# A quiet installation without a display, then the tree it wrote.
quiet_demo() {
  local sandbox
  sandbox=$(mktemp -d "${TMPDIR:-/tmp}/fenwick-quiet.XXXXXX")
  make_release "$sandbox/release"
  echo
  echo "No display: installing the demo payload quietly (Setup --quiet --accept-license)"
  local status=0
  (cd "$sandbox/release" && unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM &&
     in_sandbox "$sandbox" ./Setup --quiet --accept-license --data-file "$payload") || status=$?
  if [ "$status" -eq 125 ]; then
    echo "The sandbox could not be set up (see above); Setup did not run."
    return 1
  fi
  echo "Setup ended with status $status"
  [ "$status" -eq 0 ] || return "$status"

  local destination="$sandbox/share/corvane_fenwick_studio_for_risc-v_4.52a"
  echo
  echo "== Destination /usr/share/corvane_fenwick_studio_for_risc-v_4.52a"
  (cd "$destination" && find . -type f | sort)
  show_file "IConf.xml" "$destination/bin/IConf.xml"
  local entry
  for entry in "$sandbox"/share/applications/*.desktop; do
    show_file "Desktop entry /usr/share/applications/$(basename "$entry")" "$entry"
  done
  echo
  echo "== MIME packages and icons below /usr/share"
  (cd "$sandbox/share" && find mime/packages icons -type f ! -name icon-theme.cache | sort)
  echo "(and $(cd "$sandbox/share" && find mime icons -type f ! -path 'mime/packages/*' \( -path 'mime/*' -o -name icon-theme.cache \) | wc -l) files of the MIME database and icon cache the refresh tools wrote anew)"
  show_file "MIME package application-x-corvane-fwproject.xml" \
    "$sandbox/share/mime/packages/application-x-corvane-fwproject.xml"
  echo
  echo "== Below /etc"
  (cd "$sandbox/etc" && find . -type f | sort)
  local settings
  for settings in "$sandbox"/etc/xdg/*/*.conf; do
    show_file "Settings file /etc/${settings#"$sandbox/etc/"}" "$settings"
  done
  echo
  echo "Everything above lies in $sandbox; the machine's own folders were not changed."
}

if [ "${1:-}" = "--copy-files" ]; then
  copy_files_demo "$payload"
elif [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  wizard_demo
else
  quiet_demo
fi
