#!/usr/bin/env bash
# Screenshot of the profile editor with three profiles, over the main window, under Xvfb with
# openbox as window manager.
#   tests/profiles/screenshots.sh [build folder] [output.png]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$PWD/profiles_form.png}"

cmake --build "$build" --target profiles_form_show -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/data/sample" "$root/data/iface.dat" "$work/"
printf '%s\r\n' \
  '[Nokia Series 40 (128x160)]' 'Width=128' 'Height=160' 'LSoft=-6' 'RSoft=-7' 'Menu=-5' \
  'OnUp=2' 'OnDown=5' 'OnLeft=0' 'OnRight=3' '' \
  '[Sony Ericsson K750i (176x220)]' 'Width=176' 'Height=220' 'LSoft=-6' 'RSoft=-7' 'Menu=-5' \
  'OnUp=1' 'OnDown=4' 'OnLeft=0' 'OnRight=3' '' \
  '[Siemens C65 (132x176)]' 'Width=132' 'Height=176' 'LSoft=-1' 'RSoft=-4' 'Menu=-26' \
  'OnUp=2' 'OnDown=5' 'OnLeft=0' 'OnRight=3' > "$work/profiles.ini"

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
  "$1" "$2" >/dev/null 2>&1 &
  app=$!
  sleep 3
  import -window root "$3"
  kill "$app" "$wm" 2>/dev/null || true
  wait 2>/dev/null || true
' _ "$build/tests/profiles_form_show" "$work/" "$out"
echo "$out"
