#!/usr/bin/env bash
# How fast, and in how much memory, the payload reaches the disk: pkgarchive, Setup's
# copy-files mode and a quiet installation, against tar on the same tree.
#
#   bench/extract.sh [BUILD_FOLDER]        (default: the build folder of this source tree)
#
# Generates a payload of about 210 MB in about 5,000 files laid out as the product's
# items expect, packs it as a plain tar, tar.gz, tar.bz2 and as zlib and bzip2 package
# archives, then times every contender RUNS times (default 5) with a warm page cache,
# in an order that turns round every run, and prints the median wall and processor
# times, the peak resident memory and the ratios with their goals. Exits 0 whether or
# not the goals are met; 1 only when a command fails or a contender wrote a wrong tree.
# TMPDIR chooses where the scratch data (about 3 GB) go. The sandboxed quiet
# installation needs root (mount namespaces); without it that part is skipped.
set -euo pipefail
umask 022 # the installer's own: a looser umask would make tar's modes differ from its

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
setup=$build/Setup
pkgarchive=$build/tools/pkgarchive
runs=${RUNS:-5}
for program in "$setup" "$pkgarchive"; do
    [ -x "$program" ] || { echo "$program not found (build Setup and pkgarchive, or pass the build folder)" >&2; exit 1; }
done
[ "$runs" -ge 1 ] 2>/dev/null || { echo "RUNS must be a positive number" >&2; exit 1; }
# The interpreter itself, not a version manager's shim: the sandbox moves HOME.
python=$(python3 -c 'import sys; print(sys.executable)')

work=$(mktemp -d "${TMPDIR:-/tmp}/extract-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/out" "$work/times" "$work/logs" "$work/cwd"
dest=$work/dest # every contender writes here, so all pay for the same path lookups

# --- the payload ---------------------------------------------------------------------

# 4,990 text files of about 16 KB on average spread over the product's nine top folders,
# plus eight binaries of 6 to 24 MiB in lib: random (incompressible), half random and
# highly repetitive, so that both the cost per file and the raw stream speed show.
generate_payload() {
    "$python" - "$1" <<'PY'
import os, random, sys
root = sys.argv[1]
rng = random.Random(4052)
words = ("riscv vector register load store branch jump immediate offset linker section "
         "symbol relocation compiler assembler debug probe flash memory interrupt timer "
         "peripheral clock reset stack heap thread build target board sample source").split()
folders = ["bin", "gcc", "html", "include", "lib", "llvm", "samples", "source", "targets"]
for i in range(4990):
    folder = os.path.join(root, folders[i % len(folders)], "part%02d" % (i % 37))
    os.makedirs(folder, exist_ok=True)
    size = int(rng.expovariate(1 / 16000)) + 200
    lines, length = [], 0
    while length < size:
        line = " ".join(rng.choice(words) for _ in range(rng.randint(4, 14))) + "\n"
        lines.append(line)
        length += len(line)
    with open(os.path.join(folder, "file%04d.txt" % i), "wb") as f:
        f.write("".join(lines).encode())
low_entropy = bytes(b & 0x0f for b in range(256))
def big(name, size, kind):
    with open(os.path.join(root, "lib", name), "wb") as f:
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
big("firmware-random-a.bin", 24 << 20, "random")
big("firmware-random-b.bin", 16 << 20, "random")
big("toolchain-mixed-a.bin", 20 << 20, "mixed")
big("toolchain-mixed-b.bin", 14 << 20, "mixed")
big("image-sparse-a.bin", 18 << 20, "sparse")
big("image-sparse-b.bin", 12 << 20, "sparse")
big("image-sparse-c.bin", 8 << 20, "sparse")
big("image-sparse-d.bin", 6 << 20, "sparse")
PY
    # The installation's menu entry, MIME types and device rules use these files.
    cp -p "$root"/demo/payload/bin/* "$1/bin/"
}

# Both compressors at level 7, pkgarchive's default, so the formats are compared and
# not the levels.
pack_payload() {
    local src=$1
    "$pkgarchive" create "$work/payload.pkg" "$src"
    "$pkgarchive" create "$work/payload-bz2.pkg" "$src" --bzip2
    tar -cf "$work/payload.tar" -C "$src" .
    gzip -7 -c "$work/payload.tar" > "$work/payload.tar.gz"
    bzip2 -7 -c "$work/payload.tar" > "$work/payload.tar.bz2"
    "$pkgarchive" create "$work/demo.pkg" "$root/demo/payload"
}

# A release folder as it ships: Setup and the eight Qt libraries it copies into the
# installation (stand-ins here).
make_release() {
    mkdir -p "$work/release"
    cp "$setup" "$work/release/Setup"
    local library
    for library in Qt3Support QtCore QtGui QtNetwork QtSql QtSvg QtWebKit QtXml; do
        echo "stand-in for lib$library.so.4" > "$work/release/lib$library.so.4"
    done
}

# --- running and timing --------------------------------------------------------------

# Runs a command and writes "wall processor peak own_peak" (seconds, KiB) to a file.
# wait4 gives the largest resident set of the command or of any child it waited for
# (gzip under tar, update-mime-database under the installer); the program's own peak
# is its VmHWM, read every 10 ms while it runs, since a zombie no longer has one. The
# reading happens in a thread so that wait4 sees the exit at once.
cat > "$work/measure.py" <<'PY'
import os, sys, threading, time
result, argv = sys.argv[1], sys.argv[2:]
own = 0
done = threading.Event()
def sample(pid):
    global own
    while not done.wait(0.01):
        try:
            with open("/proc/%d/status" % pid) as status:
                for line in status:
                    if line.startswith("VmHWM:"):
                        own = max(own, int(line.split()[1]))
        except OSError:
            pass
start = time.monotonic()
pid = os.posix_spawnp(argv[0], argv, os.environ)
sampler = threading.Thread(target=sample, args=(pid,))
sampler.start()
_, status, usage = os.wait4(pid, 0)
wall = time.monotonic() - start
done.set()
sampler.join()
with open(result, "w") as f:
    f.write("%.3f %.3f %d %d\n" % (wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, own or usage.ru_maxrss))
sys.exit(os.waitstatus_to_exitcode(status))
PY
measure() { "$python" "$work/measure.py" "$work/result" "$@"; }

# A fresh folder for one sandboxed run: the upper and work folders of the overlays over
# /usr/share and /etc, and the home, temporary, settings and runtime folders.
new_sandbox() {
    rm -rf "$work/sandbox"
    mkdir -p "$work/sandbox"/{share,share.w,etc,etc.w,xdg,home,tmp,run}
    chmod 0700 "$work/sandbox/run"
}

# Runs a command in the sandbox (scripts/in-sandbox.sh) without a display and with its
# own runtime folder, so an installation changes nothing of the machine's. The mounts
# happen before the command is timed.
in_sandbox() {
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u SUDO_UID -u SUDO_GID \
        XDG_RUNTIME_DIR="$work/sandbox/run" "$root/scripts/in-sandbox.sh" "$work/sandbox" "$@"
}
measure_in_sandbox() { (cd "$work/release" && in_sandbox "$python" "$work/measure.py" "$work/result" "$@"); }

# One timed run of contender $1: the destination and the sandbox start empty and the
# write-back queue clean, so no contender pays for removing or flushing another's
# files. Afterwards the tree is moved aside (a rename) to be compared once all runs
# are done.
timed() {
    local name=$1
    rm -rf "$dest" "$work/out/$name"
    mkdir -p "$dest"
    new_sandbox
    sync
    if ! "run_$name" "$dest" > "$work/logs/$name.log" 2>&1; then
        echo "${label[$name]} failed:" >&2
        tail -20 "$work/logs/$name.log" >&2
        exit 1
    fi
    cat "$work/result" >> "$work/times/$name"
    mv "$dest" "$work/out/$name"
}

# --- the contenders ------------------------------------------------------------------
# Each takes the destination folder. label: what the table prints; no_tree: writes no
# copy of the payload tree, so there is nothing to compare.

declare -A label no_tree

# The limit of writing this tree at all: no decompression, one process.
label[tar]="tar -xf (uncompressed)"
run_tar() { measure tar -xf "$work/payload.tar" -C "$1"; }

# What users compare against. tar pipes through a separate gzip process, so
# decompression and writing overlap on two cores.
label[tar_gz]="tar -xzf (gzip -7)"
run_tar_gz() { measure tar -xzf "$work/payload.tar.gz" -C "$1"; }

# The same for bzip2, whose decompression is slow enough to dominate.
label[tar_bz2]="tar -xjf (bzip2 -7)"
run_tar_bz2() { measure tar -xjf "$work/payload.tar.bz2" -C "$1"; }

# The archive reader alone, without the installer around it.
label[pkg_zlib]="pkgarchive extract (zlib)"
run_pkg_zlib() { measure "$pkgarchive" extract "$work/payload.pkg" "$1"; }
label[pkg_bzip2]="pkgarchive extract (bzip2)"
run_pkg_bzip2() { measure "$pkgarchive" extract "$work/payload-bz2.pkg" "$1"; }

# One read of the whole stream and nothing written: what the installer's checksum pass
# costs before it writes its first file.
label[verify_zlib]="pkgarchive verify (zlib), no writes"
no_tree[verify_zlib]=1
run_verify_zlib() { measure "$pkgarchive" verify "$work/payload.pkg"; }
label[verify_bzip2]="pkgarchive verify (bzip2), no writes"
no_tree[verify_bzip2]=1
run_verify_bzip2() { measure "$pkgarchive" verify "$work/payload-bz2.pkg"; }

# Copy-files mode as a release engineer runs it. Setup copies its own files from the
# working folder too; an empty one keeps the comparison to the payload alone.
copy_files() {
    local archive=$1
    shift
    (cd "$work/cwd" && measure "$setup" --copy-files-to "$@" --data-file "$archive" --accept-license)
}
label[copy_zlib]="Setup --copy-files-to (zlib)"
run_copy_zlib() { copy_files "$work/payload.pkg" "$1" --hide-progress; }
label[copy_bzip2]="Setup --copy-files-to (bzip2)"
run_copy_bzip2() { copy_files "$work/payload-bz2.pkg" "$1" --hide-progress; }

# The progress bar writes and flushes a line per file; into a file, so that the
# terminal's own speed does not count.
label[copy_bar]="Setup --copy-files-to, bar shown (zlib)"
run_copy_bar() { copy_files "$work/payload.pkg" "$1" > "$work/bar.out"; }

# A whole quiet installation from a release folder: the checksum pass, every item,
# the installer's own files, menu entry, MIME types, rules and the refresh of the
# desktop caches, in the sandbox so that it changes nothing of the machine's.
label[install]="Setup --quiet, sandboxed (zlib)"
run_install() {
    measure_in_sandbox "$work/release/Setup" --quiet --accept-license --data-file "$work/payload.pkg" \
                       --destination "$1"
}

# The same destination in the same kind of sandbox, so that the two differ only in
# what runs: writing alone, and what users compare against.
label[sandbox_tar]="tar -xf, sandboxed"
run_sandbox_tar() { measure_in_sandbox tar -xf "$work/payload.tar" -C "$1"; }
label[sandbox_tar_gz]="tar -xzf, sandboxed"
run_sandbox_tar_gz() { measure_in_sandbox tar -xzf "$work/payload.tar.gz" -C "$1"; }

# The same installation of the few files of the demo payload: what an installation
# costs whatever the payload (chiefly the refresh of the desktop caches).
label[install_demo]="Setup --quiet, sandboxed, demo payload"
no_tree[install_demo]=1
run_install_demo() {
    measure_in_sandbox "$work/release/Setup" --quiet --accept-license --data-file "$work/demo.pkg" \
                       --destination "$1"
}

# A hundred thousand small files (MANY_FILES): the cost per member, and the memory a
# large table of contents takes.
many=${MANY_FILES:-100000}
label[many_tar_gz]="tar -xzf, $many small files"
no_tree[many_tar_gz]=1
run_many_tar_gz() { measure tar -xzf "$work/many.tar.gz" -C "$1"; }
label[many_pkg]="pkgarchive extract, $many small files"
no_tree[many_pkg]=1
run_many_pkg() { measure "$pkgarchive" extract "$work/many.pkg" "$1"; }
label[many_copy]="Setup --copy-files-to, $many small files"
no_tree[many_copy]=1
run_many_copy() { copy_files "$work/many.pkg" "$1" --hide-progress; }

contenders=(tar tar_gz tar_bz2 pkg_zlib pkg_bzip2 verify_zlib verify_bzip2 copy_zlib copy_bzip2 copy_bar
            many_tar_gz many_pkg many_copy)
sandboxed=(install sandbox_tar sandbox_tar_gz install_demo)

# --- the figures ---------------------------------------------------------------------

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) printf "%.3f", v[(NR + 1) / 2];
                                          else printf "%.3f", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
column() { cut -d' ' -f"$2" "$work/times/$1"; }
wall() { column "$1" 1 | median; }
cpu() { column "$1" 2 | median; }
peak_kib() { column "$1" 3 | sort -n | tail -1; }
own_kib() { column "$1" 4 | sort -n | tail -1; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

goals=0
met=0
# judge HOLDS: counts a goal, and sets verdict to PASS or MISS (no subshell, so that
# the counts survive).
judge() {
    goals=$((goals + 1))
    if [ "$1" = 1 ]; then met=$((met + 1)); verdict=PASS; else verdict=MISS; fi
}

# ratio NUMERATOR DENOMINATOR [GOAL]: the ratio of the median wall times, and whether
# it is within the goal when one is given.
ratio() {
    local r
    r=$(awk -v a="$(wall "$1")" -v b="$(wall "$2")" 'BEGIN { printf "%.3f", a / b }')
    if [ -n "${3:-}" ]; then
        judge "$(awk -v r="$r" -v g="$3" 'BEGIN { print (r <= g) }')"
        printf '  %-40s / %-28s %6s  <= %-4s  %s\n' "${label[$1]}" "${label[$2]}" "$r" "$3" "$verdict"
    else
        printf '  %-40s / %-28s %6s\n' "${label[$1]}" "${label[$2]}" "$r"
    fi
}
# The program's own peak against 64 MiB; helpers it starts are not its memory.
memory_goal() {
    local kib
    kib=$(own_kib "$1")
    judge "$([ "$kib" -lt $((64 * 1024)) ] && echo 1 || echo 0)"
    printf '  %-40s %8s MiB  < 64 MiB  %s\n' "${label[$1]}" "$(mib "$kib")" "$verdict"
}

# Files' contents, and their modes, sizes and times, against the plain tar's tree. The
# installer adds its own files (the uninstall program, the Qt libraries, its record) to
# bin; those are listed, not counted as differences.
file_list() { (cd "$1" && find . -type f -exec stat -c '%n %a %s %Y' {} + | sort); }
check_tree() {
    local name=$1 reference=$work/out/tar tree=$work/out/$1
    local differences own
    differences=$(diff -r "$reference" "$tree" | grep -v "^Only in $tree/bin: " || true)
    if [ -z "$differences" ]; then
        differences=$(file_list "$tree" | awk 'NR == FNR { listed[$1]; next } $1 in listed' "$work/reference.list" - |
                      diff "$work/reference.list" - || true)
    fi
    if [ -n "$differences" ]; then
        echo "${label[$name]} wrote a different tree:" >&2
        echo "$differences" | head -10 >&2
        exit 1
    fi
    own=$(diff -r "$reference" "$tree" | sed -n "s|^Only in $tree/bin: ||p" | tr '\n' ' ' || true)
    echo "  ${label[$name]}: same tree${own:+; its own files in bin: $own}"
}

# --- the run -------------------------------------------------------------------------

sandbox=yes
if [ "$(id -u)" -ne 0 ]; then
    sandbox="the sandbox needs root (mount namespaces and overlays)"
else
    new_sandbox
    in_sandbox true 2> "$work/logs/sandbox.log" ||
        sandbox="the sandbox's overlays cannot be mounted: $(head -1 "$work/logs/sandbox.log")"
fi
if [ "$sandbox" = yes ]; then
    contenders+=("${sandboxed[@]}")
    make_release
fi

echo "Generating the payload in $work/src ..."
generate_payload "$work/src"
files=$(find "$work/src" -type f | wc -l)
bytes=$(du -sb "$work/src" | cut -f1)
echo "Packing it ..."
pack_payload "$work/src"
rm -rf "$work/src"
echo "Generating and packing $many small files ..."
"$python" - "$work/many" "$many" <<'PY'
import os, sys
folder, count = sys.argv[1], int(sys.argv[2])
for i in range(count):
    sub = os.path.join(folder, "d%03d" % (i % 500))
    os.makedirs(sub, exist_ok=True)
    with open(os.path.join(sub, "file-%06d.txt" % i), "w") as f:
        f.write("line %d\n" % i * (1 + i % 7))
PY
"$pkgarchive" create "$work/many.pkg" "$work/many" > /dev/null
tar -czf "$work/many.tar.gz" -C "$work/many" .
rm -rf "$work/many"
# A warm page cache: every contender reads its archive and program from memory.
cat "$work"/payload* "$work"/many.* "$work/demo.pkg" "$setup" "$pkgarchive" > /dev/null

echo "Timing ${#contenders[@]} contenders, $runs runs each (wall seconds) ..."
for run in $(seq "$runs"); do
    order=("${contenders[@]}")
    # The order turns round every run, so that no contender always runs first or
    # after the same neighbour.
    if [ $((run % 2)) -eq 0 ]; then
        order=()
        for ((i = ${#contenders[@]} - 1; i >= 0; i--)); do order+=("${contenders[i]}"); done
    fi
    line="run $run/$runs:"
    for name in "${order[@]}"; do
        timed "$name"
        line+=" $name $(cut -d' ' -f1 "$work/result")"
    done
    echo "$line"
done

echo
echo "Comparing the trees with tar -xf's ..."
file_list "$work/out/tar" > "$work/reference.list"
for name in "${contenders[@]}"; do
    [ "$name" = tar ] || [ -n "${no_tree[$name]:-}" ] || check_tree "$name"
done
grep -q "Copying files completed" "$work/bar.out" || { echo "the progress bar did not complete" >&2; exit 1; }

echo
echo "payload: $files files, $bytes bytes, largest $(find "$work/out/tar" -type f -printf '%s\n' | sort -n | tail -1) bytes"
for archive in payload.tar payload.tar.gz payload.tar.bz2 payload.pkg payload-bz2.pkg; do
    printf '  %-16s %11d bytes\n' "$archive" "$(stat -c %s "$work/$archive")"
done
echo
echo "median of $runs runs; peak: largest resident set of the run, helpers included;"
echo "own: of the program alone (sampled every 10 ms)"
printf '  %-40s %7s %7s %10s %10s\n' "" "wall s" "cpu s" "peak MiB" "own MiB"
for name in "${contenders[@]}"; do
    printf '  %-40s %7s %7s %10s %10s\n' "${label[$name]}" "$(wall "$name")" "$(cpu "$name")" \
        "$(mib "$(peak_kib "$name")")" "$(mib "$(own_kib "$name")")"
done
[ "$sandbox" = yes ] || echo "  (no quiet installation: $sandbox)"

echo
echo "ratios of the median wall times"
ratio pkg_zlib tar 1.15
ratio copy_zlib tar 1.15
[ "$sandbox" != yes ] || ratio install sandbox_tar 1.15
ratio pkg_bzip2 tar_bz2 1.0
ratio copy_bzip2 tar_bz2 1.0
ratio copy_bar copy_zlib 1.05
ratio pkg_zlib tar_gz
ratio copy_zlib tar_gz
if [ "$sandbox" = yes ]; then
    ratio install tar_gz
    ratio install sandbox_tar_gz
fi
ratio tar_gz tar
ratio tar_bz2 tar
ratio many_pkg many_tar_gz
ratio many_copy many_tar_gz

echo
echo "peak resident memory of the program itself"
for name in pkg_zlib pkg_bzip2 copy_zlib copy_bzip2 many_pkg many_copy; do memory_goal "$name"; done
[ "$sandbox" != yes ] || memory_goal install

echo
echo "goals met: $met of $goals"
exit 0
