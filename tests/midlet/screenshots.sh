#!/usr/bin/env bash
# Pictures of the reader on the stand-in phone: runs the reader tests, which paint a page of the
# sample book (176 x 220, system line at the top), the open menu and the "go to" box, and lists
# the PNG files. Usage: tests/midlet/screenshots.sh [build folder]
set -euo pipefail
build="${1:-$(dirname "$0")/../../build}"
ctest --test-dir "$build" -R midlet_reader_behaviour --output-on-failure
ls -1 "$build"/tests/midlet/reader/screens/*.png
