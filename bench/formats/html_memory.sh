#!/usr/bin/env bash
# Peak memory and time of laying out single HTML files of 10, 50 and 100 MiB (written here:
# chapters of paragraphs with inline markup, note references and the notes at the end), for one
# build or two side by side. HTML is read as a stream, so the peak should not grow with the
# file: the script says whether the 100 MiB file's peak lies within 64 MiB of the 10 MiB one's.
#   bench/formats/html_memory.sh [build folder] [earlier build folder]
# A build folder must hold bin/bench_book_text (cmake --build BUILD --target bench_book_text).
# RUNS=n runs of each (best time and lowest peak count, default 3); SIZES="10 100" for others;
# files go under $TMPDIR.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
after="${1:-$root/build}/bin/bench_book_text"
before="${2:+$2/bin/bench_book_text}"
runs="${RUNS:-3}"
sizes="${SIZES:-10 50 100}"
. "$root/bench/bench_lib.sh"
bench_needs "$after" "cmake --build build --target bench_book_text"
command -v python3 > /dev/null || { echo "python3 is missing" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for mib in $sizes; do
  python3 - "$work/book$mib.html" "$mib" <<'EOF'
import random, sys
random.seed(1)
words = ("съешь же ещё этих мягких французских булок да выпей чаю "
         "the quick brown fox jumps over the lazy dog").split()
def sentence(n):
    return " ".join(random.choice(words) for _ in range(n))
path, target = sys.argv[1], int(sys.argv[2]) << 20
with open(path, "w", encoding="utf-8") as f:
    f.write('<!DOCTYPE html>\n<html lang="ru"><head><meta charset="utf-8"><title>Book</title></head><body>\n')
    size = chapter = note = 0
    while size < target:
        chapter += 1
        part = "<h2>Глава %d</h2>\n" % chapter
        for i in range(40):
            text = sentence(random.randint(20, 80))
            if i % 10 == 3:
                note += 1
                text += ' <sup><a href="#n%d">%d</a></sup>' % (note, note)
            part += "<p>%s <i>%s</i>, <b>%s</b>.</p>\n" % (text, sentence(3), sentence(2))
        f.write(part)
        size += len(part.encode())
    f.write('<div class="notes">\n')
    for i in range(1, note + 1):
        f.write('<p id="n%d">%d. %s</p>\n' % (i, i, sentence(10)))
    f.write("</div></body></html>\n")
EOF
done

# Best wall seconds and lowest peak KiB of `tool` over the runs: "seconds kib".
measure() {
  local tool="$1" book="$2" best="" peak=""
  for _ in $(seq "$runs"); do
    /usr/bin/time -f "%e %M" -o "$work/time" "$tool" "$book" > /dev/null
    read -r seconds kib < "$work/time"
    best="$(python3 -c "print(min(float('$seconds'), float('${best:-1e9}')))")"
    peak="$(python3 -c "print(min(int('$kib'), int('${peak:-999999999}')))")"
  done
  echo "$best $peak"
}

declare -A peakAfter
printf '%-10s %-8s %10s %12s\n' build MiB seconds "peak MiB"
for mib in $sizes; do
  for side in after ${before:+before}; do
    tool="$after"; [ "$side" = before ] && tool="$before"
    read -r seconds kib < <(measure "$tool" "$work/book$mib.html")
    printf '%-10s %-8s %10.2f %12.1f\n' "$side" "$mib" "$seconds" "$(python3 -c "print($kib / 1024)")"
    [ "$side" = after ] && peakAfter[$mib]=$kib
  done
done

first="${sizes%% *}"
status=0
for mib in $sizes; do
  [ "$mib" = "$first" ] && continue
  grown=$(( (peakAfter[$mib] - peakAfter[$first]) / 1024 ))
  verdict=within; [ "$grown" -le 64 ] || { verdict=BEYOND; status=1; }
  echo "peak of ${mib} MiB against ${first} MiB: ${grown} MiB more (bound 64 MiB): $verdict"
done
exit $status
