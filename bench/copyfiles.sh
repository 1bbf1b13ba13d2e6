#!/usr/bin/env bash
# Speed of Setup's copy-files mode against tar+gzip, and the cost of its progress bar.
#
#   bench/copyfiles.sh [SETUP [PKGARCHIVE]]
#
# SETUP defaults to $SETUP, then build/Setup; PKGARCHIVE to $PKGARCHIVE, then
# build/tools/pkgarchive. Generates the same payload as bench/archive_extract.sh (its
# generator is taken from that script), packs it with `pkgarchive create` (zlib,
# level 7) and with tar piped through `gzip -7`, then times, best of 3 with a warm
# cache:
#   A  Setup --copy-files-to DIR --data-file PAYLOAD --accept-license --hide-progress
#   B  tar -xzf PAYLOAD.tar.gz -C DIR
#   C  as A, but with the progress bar shown, its output going to a file
# and prints the times with the ratios A/B (target at most 1.15) and C/A (target at
# most 1.05). Exits 1 when a target is missed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
setup=${1:-${SETUP:-$root/build/Setup}}
pkgarchive=${2:-${PKGARCHIVE:-$root/build/tools/pkgarchive}}
[ -x "$setup" ] || { echo "Setup not found at $setup (build it or pass its path)" >&2; exit 1; }
[ -x "$pkgarchive" ] || { echo "pkgarchive not found at $pkgarchive (build it or pass its path)" >&2; exit 1; }
setup=$(cd "$(dirname "$setup")" && pwd)/$(basename "$setup")
runs=${RUNS:-3}

work=$(mktemp -d "${TMPDIR:-/tmp}/copyfiles-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

# The payload generator is the Python program embedded in archive_extract.sh, so both
# benchmarks measure the same tree.
generator=$(sed -n "/^python3 - \"\$work\/src\" <<'PY'\$/,/^PY\$/p" "$root/bench/archive_extract.sh" | sed '1d;$d')
[ -n "$generator" ] || { echo "cannot find the payload generator in bench/archive_extract.sh" >&2; exit 1; }
echo "Generating the payload in $work/src ..."
python3 - "$work/src" <<<"$generator"

files=$(find "$work/src" -type f | wc -l)
bytes=$(du -sb "$work/src" | cut -f1)
echo "Packing ..."
"$pkgarchive" create "$work/payload.pkg" "$work/src"
tar -cf - -C "$work/src" . | gzip -7 > "$work/payload.tar.gz"
rm -rf "$work/src"
cat "$work/payload.pkg" "$work/payload.tar.gz" > /dev/null   # warm the cache for both

# Setup copies its own files from the working folder; an empty one keeps the
# comparison to the payload alone.
mkdir -p "$work/cwd"

# Prints the wall time and the processor time (user + system) of one run, in seconds.
measure() {
    python3 - "$@" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], check=True)
wall = time.monotonic() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.3f %.3f" % (wall, usage.ru_utime + usage.ru_stime))
PY
}

# The smaller of the best so far ($1, may be empty) and a new time ($2).
best() {
    if [ -z "$1" ] || awk "BEGIN{exit !($2 < $1)}"; then echo "$2"; else echo "$1"; fi
}

# Each measurement starts from the same, emptied output folder and a clean write-back
# queue, so none pays for removing or flushing another's files or for a fresher
# folder of its own.
fresh() {
    rm -rf "$1"
    sync
}

best_hidden=""; best_tar=""; best_shown=""; cpu_hidden=""; cpu_tar=""; cpu_shown=""
time_hidden() {
    fresh "$work/out"
    read -r t c < <(cd "$work/cwd" && measure "$setup" --copy-files-to "$work/out" \
                        --data-file "$work/payload.pkg" --accept-license --hide-progress)
    best_hidden=$(best "$best_hidden" "$t"); cpu_hidden=$(best "$cpu_hidden" "$c")
}
time_tar() {
    fresh "$work/out"
    mkdir -p "$work/out"
    read -r t c < <(measure tar -xzf "$work/payload.tar.gz" -C "$work/out")
    best_tar=$(best "$best_tar" "$t"); cpu_tar=$(best "$cpu_tar" "$c")
}
time_shown() {
    fresh "$work/out"
    read -r t c < <(cd "$work/cwd" && measure sh -c '"$0" --copy-files-to "$1" --data-file "$2" --accept-license > "$3"' \
                        "$setup" "$work/out" "$work/payload.pkg" "$work/bar.out")
    best_shown=$(best "$best_shown" "$t"); cpu_shown=$(best "$cpu_shown" "$c")
}
for run in $(seq "$runs"); do
    # The order turns round every run so that no variant always goes first.
    if [ $((run % 2)) -eq 1 ]; then time_hidden; time_tar; time_shown
    else time_shown; time_tar; time_hidden; fi
    echo "run $run: hidden ${best_hidden}s, tar ${best_tar}s, bar shown ${best_shown}s (best so far)"
done
rm -rf "$work/out"
(cd "$work/cwd" && "$setup" --copy-files-to "$work/check-setup" --data-file "$work/payload.pkg" --accept-license --hide-progress)
mkdir -p "$work/check-tar" && tar -xzf "$work/payload.tar.gz" -C "$work/check-tar"
diff -r "$work/check-setup" "$work/check-tar" > /dev/null || { echo "copy-files mode and tar produced different trees" >&2; exit 1; }
grep -q "Copying files completed" "$work/bar.out" || { echo "the bar did not complete" >&2; exit 1; }

vs_tar=$(awk "BEGIN{printf \"%.3f\", $best_hidden / $best_tar}")
bar_cost=$(awk "BEGIN{printf \"%.3f\", $best_shown / $best_hidden}")
echo
echo "payload:                 $files files, $bytes bytes"
echo "                         wall (best of $runs)   processor time (best of $runs)"
echo "Setup, bar hidden:       ${best_hidden} s             ${cpu_hidden} s"
echo "tar -xzf:                ${best_tar} s             ${cpu_tar} s"
echo "Setup, bar to a file:    ${best_shown} s             ${cpu_shown} s  ($(stat -c %s "$work/bar.out") bytes of bar output)"
echo "hidden / tar:            $vs_tar wall, $(awk "BEGIN{printf \"%.3f\", $cpu_hidden / $cpu_tar}") processor (target: wall at most 1.15)"
echo "bar shown / hidden:      $bar_cost wall, $(awk "BEGIN{printf \"%.3f\", $cpu_shown / $cpu_hidden}") processor (target: wall at most 1.05)"
status=0
awk "BEGIN{exit !($vs_tar <= 1.15)}" || { echo "copy-files mode is more than 1.15 times slower than tar"; status=1; }
awk "BEGIN{exit !($bar_cost <= 1.05)}" || { echo "the progress bar costs more than 5 %"; status=1; }
exit $status
