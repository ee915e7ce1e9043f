#!/usr/bin/env bash
# Screenshots of Create under Xvfb with openbox: the save dialog, and the refusal shown when the
# program folder has no phones.
#   tests/book/screenshots.sh [build folder] [output folder]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$PWD}"

cmake --build "$build" --target book_create_show lumira_template -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/bare"
cp "$root/data/sample" "$root/data/iface.dat" "$root/data/profiles.ini" "$build/bin/velmar.dat" "$work/app/"
cp "$root/data/sample" "$root/data/iface.dat" "$work/bare/"
cp "$root/data/sample" "$work/book.txt"

shoot() {  # program-folder picture
  xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    openbox >/dev/null 2>&1 &
    wm=$!
    sleep 1
    "$1" "$2" "$3" >/dev/null 2>&1 &
    app=$!
    sleep 4
    import -window root "$4"
    kill "$app" "$wm" 2>/dev/null || true
    wait 2>/dev/null || true
  ' _ "$build/tests/book_create_show" "$1/" "$work/book.txt" "$2"
  echo "$2"
}
shoot "$work/app" "$out/create_save_dialog.png"
shoot "$work/bare" "$out/create_no_phone.png"
