#!/usr/bin/env bash
# Fails, naming the file and the header, when a product source includes a header of a
# layer it must not depend on. The layers are the libraries of the top CMakeLists.txt;
# keep both tables alike.
# usage: check-includes.sh SOURCE_ROOT
set -u
cd "$1" || exit 2

# The layer a path belongs to (first match wins).
layer_of() {
  case "$1" in
    app/core/*) echo core ;;
    media/platform/*) echo platform ;;
    media/archive/*) echo archive ;;
    app/run/*|app/records/*|app/queries/*|configuration/*|media/install/*) echo engine ;;
    app/console/*|media/text/*) echo console ;;
    wizard/*|app/application/*|resources/*) echo wizard ;;
    app/entry/*|app/startup/*|app/main.cpp) echo setup ;;
    app/starter/*) echo starter ;;
    tools/*) echo tools ;;
    *) echo external ;;
  esac
}

# What each layer may include besides itself.
declare -A allowed=(
  [core]=""
  [platform]="core"
  [archive]="core"
  [engine]="core platform archive"
  [console]="core platform archive"
  [wizard]="core platform archive engine console"
  [setup]="core platform archive engine console wizard"
  [tools]="core platform archive"
  [starter]=""
)

failures=0
while IFS= read -r file; do
  from=$(layer_of "$file")
  while IFS= read -r header; do
    # A bare name is a neighbour in the same folder.
    [[ "$header" == */* ]] || header="$(dirname "$file")/$header"
    to=$(layer_of "$header")
    [ "$to" = external ] || [ "$to" = "$from" ] && continue
    if [[ " ${allowed[$from]} " != *" $to "* ]]; then
      echo "$file: includes $header ($from may not depend on $to)"
      failures=$((failures + 1))
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find app configuration media wizard resources tools -type f \( -name '*.cpp' -o -name '*.h' \) | sort)

[ "$failures" -eq 0 ] && echo "every include keeps to its layer"
[ "$failures" -eq 0 ]
