#!/usr/bin/env bash
# Times Create (the whole package build) on all cores and on one against Info-ZIP "zip -9 -r"
# over the same work tree, for generated texts of 1, 16 and 64 MiB, on a RAM disk (/dev/shm) and
# on the ordinary disk (the build folder), and reports the builder's peak memory. Two kinds of
# text: words of the sample drawn at random, and prose made of the system's Russian message
# catalogues (/usr/share/locale/ru/LC_MESSAGES/*.mo, skipped when there are none). First it
# compares the two Deflate engines at the archive's level on each kind's 64 MiB pieces.
#   bench/book/run_bench.sh [build folder]     (default: build-book beside this repository)
# "cpu/cores/zip" is the ratio an idle machine would give if all of Create's CPU time were
# spread evenly over its cores (zip -9 runs on one): on a busy machine it is steadier than the
# wall ratio.
# RUNS=n sets the runs per size (best one counts); DISKS="/dev/shm /some/folder" overrides where
# the work trees go; KINDS="words prose" chooses the texts and SIZES="1 16 64" their sizes in MiB
# (the engines are compared on the largest).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:-$root/build-book}" && pwd)"
tool="$build/bin/bench_book_build"
runs="${RUNS:-3}"
[ -x "$tool" ] || { echo "build bench_book_build first: cmake --build $build --target bench_book_build" >&2; exit 1; }
command -v zip >/dev/null || { echo "Info-ZIP zip is missing" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is missing (package time)" >&2; exit 1; }

scratch="$(mktemp -d -p /dev/shm)"
trap 'rm -rf "$scratch" ${disk_scratch:-}' EXIT

# The template: the program's own when it has been built, else a small stand-in.
template="$build/bin/velmar.dat"
if [ ! -f "$template" ]; then
  mkdir -p "$scratch/tpl/META-INF" "$scratch/tpl/text"
  printf 'Manifest-Version: 1.0\r\nMIDlet-Vendor: Bench\r\nMicroEdition-Profile: MIDP-2.0\r\nMicroEdition-Configuration: CLDC-1.0\r\n' \
    > "$scratch/tpl/META-INF/MANIFEST.MF"
  head -c 30000 /dev/urandom > "$scratch/tpl/BookReader.class"
  head -c 2000 /dev/urandom > "$scratch/tpl/book.png"
  (cd "$scratch/tpl" && zip -q -r "$scratch/velmar.dat" META-INF book.png BookReader.class text)
  template="$scratch/velmar.dat"
fi

# Words of the shipped sample text, drawn at random: cp1251 prose that compresses like a book.
gen_text() {  # size_mib file
  python3 - "$1" "$2" "$root/data/sample" <<'PY'
import random, sys
size = int(sys.argv[1]) << 20
words = open(sys.argv[3], 'rb').read().split()
rnd = random.Random(1)
out = bytearray()
line = 0
while len(out) < size:
    w = rnd.choice(words)
    out += w
    line += len(w) + 1
    if line > 70 and rnd.random() < 0.2:
        out += b'\r\n'
        line = 0
    else:
        out += b' '
open(sys.argv[2], 'wb').write(out[:size])
PY
}

# The translations of the system's Russian message catalogues, one after another, in cp1251 with
# CR LF breaks, repeated up to the size: real sentences, as a book has them.
prose_sources() { compgen -G '/usr/share/locale/ru/LC_MESSAGES/*.mo' > /dev/null; }
gen_prose() {  # size_mib file
  python3 - "$1" "$2" <<'PY'
import gettext, glob, sys
size = int(sys.argv[1]) << 20
parts = []
for name in sorted(glob.glob('/usr/share/locale/ru/LC_MESSAGES/*.mo')):
    try:
        with open(name, 'rb') as f:
            catalog = gettext.GNUTranslations(f)._catalog
    except Exception:
        continue
    for key, value in catalog.items():
        if key and isinstance(value, str) and value.strip():
            parts.append(value.replace('\r', '').replace('\n', '\r\n'))
text = '\r\n'.join(parts).encode('cp1251', errors='replace') + b'\r\n'
out = bytearray()
while len(out) < size:
    out += text
open(sys.argv[2], 'wb').write(out[:size])
PY
}

# zip -9 archives the tree Create works in, with the text's pieces in text/ as a book holds them
# (Create itself need not leave them there).
cut_pieces() {  # text work-folder
  python3 - "$1" "$2/text" <<'PY'
import os, sys
data = open(sys.argv[1], 'rb').read()
os.makedirs(sys.argv[2], exist_ok=True)
for i in range(0, len(data), 32767):
    open(os.path.join(sys.argv[2], 'chunk.%d' % (i // 32767)), 'wb').write(data[i:i + 32767])
PY
}

best() { sort -n | head -1; }
# "elapsed cpu" of one command from GNU time's report (cpu = user + system).
measure() {  # report-file command...
  local report="$1"; shift
  /usr/bin/time -f '@@ %e %U %S %M' -o "$report" "$@" > /dev/null
  awk '/^@@/ {printf "%s %.2f %s\n", $2, $3 + $4, $5}' "$report"
}

texts="$scratch/texts"
mkdir -p "$texts"
kinds=()
for kind in ${KINDS:-words prose}; do
  if [ "$kind" = prose ] && ! prose_sources; then
    echo "no Russian message catalogues in /usr/share/locale/ru/LC_MESSAGES: the prose text is skipped"
    continue
  fi
  for mib in ${SIZES:-1 16 64}; do "gen_$( [ "$kind" = prose ] && echo prose || echo text)" "$mib" "$texts/$kind-$mib.txt"; done
  kinds+=("$kind")
done
largest="$(printf '%s\n' ${SIZES:-1 16 64} | sort -n | tail -1)"
echo "Deflate engines at the archive's level on the $largest MiB texts' 32767-byte pieces, one thread (best of 3):"
for kind in "${kinds[@]}"; do
  echo "$kind:"
  "$tool" --engines "$texts/$kind-$largest.txt"
done
echo

for disk in ${DISKS:-/dev/shm $build}; do
  where="$(mktemp -d -p "$disk" bench-book-XXXXXX)"
  disk_scratch="$where"
  echo "work trees and packages in $disk ($(df --output=fstype "$disk" | tail -1)), $(nproc) cores:"
  for kind in "${kinds[@]}"; do
    echo "$kind:"
    printf '%-8s %17s %17s %17s %12s %12s %12s %10s\n' "text" "Create: wall/cpu" "1 thread: wall" "zip -9: wall/cpu" \
      "ratio wall" "1 thr / zip" "cpu/cores/zip" "peak RSS"
    for mib in ${SIZES:-1 16 64}; do
      text="$texts/$kind-$mib.txt"
      work="$where/temp-$mib"
      mkdir -p "$work/fonts"
      head -c 514 /dev/urandom > "$work/fonts/default.props"
      head -c 20000 /dev/urandom > "$work/fonts/default.png"

      cw=() cc=() ow=() zw=() zc=() rss=0
      for ((i = 0; i < runs; i++)); do
        rm -f "$where/book.jar" "$where/book.jad" "$where/zip.jar"
        sync
        read -r w c r < <(measure "$where/time.txt" "$tool" "$text" "$template" "$work" "$where/book.jar")
        cw+=("$w") cc+=("$c")
        [ "$r" -gt "$rss" ] && rss="$r"
        sync
        read -r w c r < <(measure "$where/time.txt" "$tool" --threads 1 "$text" "$template" "$work" "$where/book.jar")
        ow+=("$w")
        [ -f "$work/text/chunk.0" ] || cut_pieces "$text" "$work"
        sync
        read -r w c r < <(cd "$work" && measure "$where/time.txt" zip -q -9 -r "$where/zip.jar" .)
        zw+=("$w") zc+=("$c")
      done
      c_w="$(printf '%s\n' "${cw[@]}" | best)" c_c="$(printf '%s\n' "${cc[@]}" | best)"
      o_w="$(printf '%s\n' "${ow[@]}" | best)"
      z_w="$(printf '%s\n' "${zw[@]}" | best)" z_c="$(printf '%s\n' "${zc[@]}" | best)"
      printf '%-8s %8.2f/%6.2f s %14.2f s %8.2f/%6.2f s %12.2f %12.2f %12.2f %7s KiB\n' "${mib} MiB" "$c_w" "$c_c" "$o_w" \
        "$z_w" "$z_c" "$(awk -v a="$c_w" -v b="$z_w" 'BEGIN {print a / b}')" "$(awk -v a="$o_w" -v b="$z_w" 'BEGIN {print a / b}')" \
        "$(awk -v a="$c_c" -v b="$z_c" -v n="$(nproc)" 'BEGIN {print a / n / b}')" "$rss"
      echo "         package sizes: ours $(stat -c %s "$where/book.jar") bytes, zip -9 $(stat -c %s "$where/zip.jar") bytes"
    done
  done
  rm -rf "$where"
  echo
done
