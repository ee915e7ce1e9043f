#!/bin/sh
# Screenshots of the text row's encoding button under a real window manager (Xvfb + openbox):
# a UTF-8 text read in "Авто", the same with the encoding menu open, and a KOI8-R text read as
# CP866 by choice.
#   tests/app/encoding_screenshots.sh [build folder] [output folder]
# Writes encoding-auto.png, encoding-menu.png and encoding-chosen.png into the output folder.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
build=${1:-$source_dir/build}
out=${2:-$PWD/screenshots}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ -z "${LUMIRA_SHOT_INNER:-}" ]; then
    export LUMIRA_SHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build" "$out"
fi

openbox >/dev/null 2>&1 &
wm=$!
sleep 1

work=$(mktemp -d)
trap 'kill $wm 2>/dev/null || true; rm -rf "$work"' EXIT

# The sample text (cp1251) in UTF-8 and in KOI8-R (which has no guillemets).
iconv -f cp1251 -t utf-8 "$source_dir/data/sample" > "$work/Пример в UTF-8.txt"
iconv -f cp1251 -t koi8-r//TRANSLIT "$source_dir/data/sample" > "$work/Пример в KOI8-R.txt"

# shot NAME TEXT ENCODING [menu]
shot() {
    dir="$work/app-$1"
    mkdir -p "$dir"
    cp "$source_dir/data/sample" "$source_dir/data/iface.dat" "$source_dir/data/profiles.ini" "$dir/"
    "$build/tests/app_encoding_show" "$dir/" "$2" "$3" ${4:-} &
    app=$!
    sleep 4
    import -window root "$out/encoding-$1.png"
    kill $app 2>/dev/null || true
    wait $app 2>/dev/null || true
}

shot auto "$work/Пример в UTF-8.txt" auto
shot menu "$work/Пример в UTF-8.txt" auto menu
shot chosen "$work/Пример в KOI8-R.txt" cp866
echo "screenshots in $out"
