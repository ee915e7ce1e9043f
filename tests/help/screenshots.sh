#!/usr/bin/env bash
# Screenshots of the help window over the main window under Xvfb with openbox as window manager:
# as opened (help-top.png), scrolled to the release notes (help-notes.png) and after a check that
# found a newer version on a local server (help-newer.png).
#   tests/help/screenshots.sh [build folder] [output folder]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$PWD/screenshots}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

cmake --build "$build" --target help_form_show -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/data/sample" "$root/data/iface.dat" "$root/data/profiles.ini" "$work/"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  for mode in top notes newer; do
    "$1" "$2" "$mode" >/dev/null 2>&1 &
    app=$!
    sleep 3
    import -window root "$3/help-$mode.png"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  done
  kill "$wm" 2>/dev/null || true
' _ "$build/tests/help_form_show" "$work/" "$out"
ls "$out"/help-*.png
