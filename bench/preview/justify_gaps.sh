#!/usr/bin/env bash
# How much justification stretches the lines of books: for each book and screen, the mean and the
# largest number of blanks added to a justified line, with dictionary hyphenation and with the
# simple rule, from the pages lumira-cli lays out (--dump-pages).
#   bench/preview/justify_gaps.sh [build folder] BOOK...
# SCREENS="128x160 240x320" chooses the screens; the font is lumira-cli's default.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
shift || true
cli="$build/bin/lumira-cli"
[ -x "$cli" ] || { echo "build lumira-cli first: cmake --build $build --target lumira-cli" >&2; exit 1; }
[ $# -gt 0 ] || { echo "name at least one book" >&2; exit 1; }

app="$(mktemp -d)"
trap 'rm -rf "$app"' EXIT
cp "$build/bin/iface.dat" "$build/bin/velmar.dat" "$app/"
for screen in ${SCREENS:-128x160 240x320}; do
  printf '[S%s]\r\nWidth=%s\r\nHeight=%s\r\n' "$screen" "${screen%x*}" "${screen#*x}"
done > "$app/profiles.ini"

# A line was justified when it does not end a paragraph (the layout keeps the paragraph's line
# break there as a trailing blank) and is no title's (a title mark, then lines up to the one that
# ends it); what justification added is every blank beyond one between words.
stretch() {
  python3 -c '
import sys
text = sys.stdin.buffer.read().decode("utf-8")
added, title = [], False
for line in text.replace("\f\n", "").split("\n"):
    ends = line.endswith(" ")
    if line.startswith("\x01"):
        title = True
    if title or not line.strip(" \x02") or ends:
        title = title and not ends
        continue
    words = "".join(c for c in line if c >= " " and c != "\u00ad").strip(" ")
    gaps = len(words.split())
    if gaps > 1:
        added.append(words.count(" ") - (gaps - 1))
print("%6d %7.2f %5d" % (len(added), sum(added) / max(1, len(added)), max(added, default=0)))
'
}

printf '%-28s %-8s %-11s %6s %7s %5s\n' book screen hyphenation lines mean most
for book in "$@"; do
  for screen in ${SCREENS:-128x160 240x320}; do
    for rule in simple dictionary; do
      printf '%-28s %-8s %-11s %s\n' "$(basename "$book" | cut -c1-28)" "$screen" "$rule" \
        "$("$cli" --app-dir "$app" --profile "S$screen" --hyphenation "$rule" --dump-pages "$book" 2>/dev/null | stretch)"
    done
  done
done
