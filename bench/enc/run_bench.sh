#!/usr/bin/env bash
# Create of a text in UTF-8 against Create of the same text in cp1251: the whole package build
# with the conversion through a working copy, and the peak memory of each. The UTF-8 text is
# 64 MiB (SIZE_MIB=n for another size); its cp1251 form is what the book holds either way.
#   bench/enc/run_bench.sh [build folder]     (default: build-enc beside this repository)
# RUNS=n sets the runs of each (best one counts); the files go under $TMPDIR, so TMPDIR=/dev/shm
# leaves the disk out.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build-enc}"
tool="$build/bin/bench_book_build"
runs="${RUNS:-3}"
mib="${SIZE_MIB:-64}"
. "$root/bench/bench_lib.sh"
bench_needs "$tool" "cmake -DLUMIRA_BUILD_BENCH=ON ...; cmake --build $build --target bench_book_build"

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# The template: the program's own when it has been built, else a small stand-in.
bench_template "$build" "$scratch"

# Words of the shipped sample text drawn at random, written in UTF-8 up to the size asked for
# (ending on a whole character), and the same text in cp1251.
python3 - "$mib" "$scratch/utf8.txt" "$scratch/cp1251.txt" "$root/data/sample" <<'PY'
import random, sys
size = int(sys.argv[1]) << 20
words = open(sys.argv[4], 'rb').read().decode('cp1251').split()
rnd = random.Random(1)
parts, length, line = [], 0, 0
while length < size:
    w = rnd.choice(words)
    sep = ' '
    line += len(w) + 1
    if line > 70 and rnd.random() < 0.2:
        sep, line = '\r\n', 0
    piece = w + sep
    parts.append(piece)
    length += len(piece.encode('utf-8'))
text = ''.join(parts).encode('utf-8')[:size].decode('utf-8', 'ignore')
open(sys.argv[2], 'wb').write(text.encode('utf-8'))
open(sys.argv[3], 'wb').write(text.encode('cp1251'))
PY

best() { sort -n | head -1; }
# "elapsed cpu peak-rss" of one run (cpu = user + system).
# one LABEL TEXT [ENCODING]: a Create, its figures appended to $scratch/LABEL.runs.
one() {
  local label="$1" text="$2" enc="${3:-}"
  local work="$scratch/work-$label"
  bench_work "$work"
  rm -f "$scratch/$label.jar" "$scratch/$label.jad"
  sync
  local w c r v="-"
  read -r w c r < <(measure "$scratch/time.txt" "$tool" "$text" "$template" "$work" "$scratch/$label.jar" $enc)
  [ -n "$enc" ] && v="$(awk '{print $2}' "$scratch/time.txt.out")"
  echo "$w $c $r $v" >> "$scratch/$label.runs"
}

# The two Creates take turns, so that a slower spell of the machine falls on both alike.
for ((i = 0; i < runs; i++)); do
  one cp1251 "$scratch/cp1251.txt"
  one utf8 "$scratch/utf8.txt" auto
done

report() {  # label text
  local label="$1" text="$2"
  # Best wall, best cpu, highest peak, best conversion.
  sort -n -k1,1 "$scratch/$label.runs" | head -1 | awk '{print $1}' > "$scratch/$label.wall"
  sort -n -k2,2 "$scratch/$label.runs" | head -1 | awk '{print $2}' > "$scratch/$label.cpu"
  printf '%-28s %8.2f s %8.2f s %12s %12s\n' "$label ($(($(stat -c %s "$text") >> 20)) MiB)" \
    "$(cat "$scratch/$label.wall")" "$(cat "$scratch/$label.cpu")" \
    "$(sort -n -k4,4 "$scratch/$label.runs" | head -1 | awk '{print $4}')" \
    "$(sort -n -k3,3 "$scratch/$label.runs" | tail -1 | awk '{print $3}')"
}

printf '%-28s %10s %10s %12s %12s\n' "Create of" "wall" "cpu" "conversion" "peak KiB"
report cp1251 "$scratch/cp1251.txt"
report utf8 "$scratch/utf8.txt"
if ! cmp -s <(unzip -p "$scratch/cp1251.jar" 'text/*') <(unzip -p "$scratch/utf8.jar" 'text/*'); then
  echo "the two books hold different texts" >&2
  exit 1
fi
awk -v a="$(cat "$scratch/cp1251.wall")" -v b="$(cat "$scratch/utf8.wall")" \
    -v c="$(cat "$scratch/cp1251.cpu")" -v d="$(cat "$scratch/utf8.cpu")" \
    'BEGIN {printf "UTF-8 over cp1251: wall %+.1f%%, cpu %+.1f%%\n", (b / a - 1) * 100, (d / c - 1) * 100}'
