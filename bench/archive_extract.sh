#!/usr/bin/env bash
# Extraction speed and memory of pkgarchive against tar+gzip on a ~200 MB payload.
#
#   bench/archive_extract.sh [PKGARCHIVE]
#
# PKGARCHIVE defaults to $PKGARCHIVE, then build/tools/pkgarchive. Generates a payload
# of about 5,000 files (mostly small text files, a few large binaries of mixed
# compressibility) in a temporary folder, packs it with `pkgarchive create` (zlib,
# level 7) and with tar piped through `gzip -7`, then times `pkgarchive extract`
# against `tar -xzf` in the same run (best of 3 each, warm cache). Exits 1 when the
# time ratio exceeds 1.15 or the peak resident memory exceeds 64 MiB plus the
# largest member.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pkgarchive=${1:-${PKGARCHIVE:-$root/build/tools/pkgarchive}}
[ -x "$pkgarchive" ] || { echo "pkgarchive not found at $pkgarchive (build it or pass its path)" >&2; exit 1; }
runs=${RUNS:-3}

work=$(mktemp -d "${TMPDIR:-/tmp}/archive-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "Generating the payload in $work/src ..."
python3 - "$work/src" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(4052)
words = ("riscv vector register load store branch jump immediate offset linker section "
         "symbol relocation compiler assembler debug probe flash memory interrupt timer "
         "peripheral clock reset stack heap thread build target board sample source").split()
folders = ["bin", "gcc", "html", "include", "lib", "llvm", "samples", "source", "targets"]
total = 0
for i in range(4990):
    folder = os.path.join(root, folders[i % len(folders)], "part%02d" % (i % 37))
    os.makedirs(folder, exist_ok=True)
    size = int(rng.expovariate(1 / 16000)) + 200
    lines, length = [], 0
    while length < size:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + "\n"
        lines.append(line)
        length += len(line)
    text = "".join(lines).encode()
    with open(os.path.join(folder, "file%04d.txt" % i), "wb") as f:
        f.write(text)
    total += len(text)
low_entropy = bytes(b & 0x0f for b in range(256))
def big(name, size, kind):
    global total
    path = os.path.join(root, "lib", name)
    with open(path, "wb") as f:
        left = size
        while left > 0:
            n = min(left, 1 << 20)
            if kind == "random":
                block = os.urandom(n)
            elif kind == "mixed":
                # half noise, half low-entropy bytes: compresses to roughly 70 %
                block = os.urandom(n // 2) + os.urandom(n - n // 2).translate(low_entropy)
            else:
                block = (b"\x13\x05\x00\x00\x93\x05\x10\x00" * (n // 8 + 1))[:n]
            f.write(block)
            left -= n
    total += size
big("firmware-random-a.bin", 24 << 20, "random")
big("firmware-random-b.bin", 16 << 20, "random")
big("toolchain-mixed-a.bin", 20 << 20, "mixed")
big("toolchain-mixed-b.bin", 14 << 20, "mixed")
big("image-sparse-a.bin", 18 << 20, "sparse")
big("image-sparse-b.bin", 12 << 20, "sparse")
big("image-sparse-c.bin", 8 << 20, "sparse")
big("image-sparse-d.bin", 6 << 20, "sparse")
print("files: %d, bytes: %d" % (4998, total))
PY

largest=$(find "$work/src" -type f -printf '%s\n' | sort -n | tail -1)
files=$(find "$work/src" -type f | wc -l)
bytes=$(du -sb "$work/src" | cut -f1)

echo "Packing ..."
"$pkgarchive" create "$work/payload.pkg" "$work/src"
tar -cf - -C "$work/src" . | gzip -7 > "$work/payload.tar.gz"
rm -rf "$work/src"
cat "$work/payload.pkg" "$work/payload.tar.gz" > /dev/null   # warm the cache for both

# Prints "seconds maxrss_kib" for one run of the command.
measure() {
    python3 - "$@" <<'PY'
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], check=True)
elapsed = time.monotonic() - start
print("%.3f %d" % (elapsed, resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss))
PY
}

best_pkg=""; best_tar=""; peak_pkg=0
run_pkg() {
    rm -rf "$work/out-pkg"; mkdir -p "$work/out-pkg"; sync
    read -r t rss < <(measure "$pkgarchive" extract "$work/payload.pkg" "$work/out-pkg")
    [ "$rss" -gt "$peak_pkg" ] && peak_pkg=$rss
    if [ -z "$best_pkg" ] || awk "BEGIN{exit !($t < $best_pkg)}"; then best_pkg=$t; fi
    echo "  pkgarchive extract: ${t}s"
}
run_tar() {
    rm -rf "$work/out-tar"; mkdir -p "$work/out-tar"; sync
    read -r t _ < <(measure tar -xzf "$work/payload.tar.gz" -C "$work/out-tar")
    if [ -z "$best_tar" ] || awk "BEGIN{exit !($t < $best_tar)}"; then best_tar=$t; fi
    echo "  tar -xzf:           ${t}s"
}
# Each tool clears its own previous output just before it runs, and the order
# alternates, so neither pays for the other's deletions.
for run in $(seq "$runs"); do
    echo "run $run"
    if [ $((run % 2)) -eq 1 ]; then run_pkg; run_tar; else run_tar; run_pkg; fi
done
diff -r "$work/out-pkg" "$work/out-tar" > /dev/null || { echo "the two extractions differ" >&2; exit 1; }

ratio=$(awk "BEGIN{printf \"%.3f\", $best_pkg / $best_tar}")
bound_kib=$(( 64 * 1024 + largest / 1024 ))
echo
echo "payload:            $files files, $bytes bytes, largest member $largest bytes"
echo "archives:           pkgarchive $(stat -c %s "$work/payload.pkg") bytes, tar.gz $(stat -c %s "$work/payload.tar.gz") bytes"
echo "pkgarchive extract: ${best_pkg} s (best of $runs)"
echo "tar -xzf:           ${best_tar} s (best of $runs)"
echo "ratio:              $ratio (bound 1.15)"
echo "peak RSS:           $peak_pkg KiB (bound 64 MiB + largest member = $bound_kib KiB)"
status=0
awk "BEGIN{exit !($ratio <= 1.15)}" || { echo "time ratio above 1.15"; status=1; }
[ "$peak_pkg" -le "$bound_kib" ] || { echo "peak memory above the bound"; status=1; }
exit $status
