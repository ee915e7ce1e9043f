#!/usr/bin/env bash
# The reader's time per page turn on the desktop stand-in phone: books of a long Russian and
# English text made with the vowel rule and with dictionary hyphenation, paged from start to end
# on 128x160 and 240x320, best of PASSES (default 11) interleaved passes.
#   bench/book/reader_page_time.sh [build folder]     (default: build beside this repository)
# BEFORE=path/to/velmar.dat adds books of another reader template (vowel rule) to compare with,
# for example one built from an earlier commit:
#   git archive REV | tar -x -C /tmp/old && cmake -S /tmp/old -B /tmp/old/build -G Ninja &&
#   cmake --build /tmp/old/build --target lumira_template        (-> /tmp/old/build/bin/velmar.dat)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
classes="$build/tests/midlet/java-classes"
tool="$build/tests/midlet_book_tool"
[ -d "$classes" ] && [ -x "$tool" ] || {
  echo "build the reader tests first: cmake --build $build --target midlet_reader_tests" >&2
  exit 1
}
work="$(mktemp -d -p /dev/shm reader-page-time-XXXXXX)"
trap 'rm -rf "$work"' EXIT
before=()
[ -n "${BEFORE:-}" ] && before=(--before "$(cd "$(dirname "$BEFORE")" && pwd)/$(basename "$BEFORE")")
echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
QT_QPA_PLATFORM=offscreen java -Dpasses="${PASSES:-11}" -Djava.awt.headless=true -cp "$classes" ReaderTests timing \
  --mapping "$build/midlet/reader-mapping.txt" --template "$build/bin/velmar.dat" --tool "$tool" \
  --sample "$root/data/sample" --work "$work" "${before[@]}" 2>&1 | grep -v '^QStandardPaths'
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
