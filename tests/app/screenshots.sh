#!/bin/sh
# Screenshots of the main window under a real window manager (Xvfb + openbox): with no profile,
# with a 240x320 profile and with a 128x128 profile.
#   tests/app/screenshots.sh [build folder] [output folder]
# Writes main-none.png, main-240x320.png, main-128x128.png into the output folder;
# chooser-font.png, chooser-color.png, chooser-open.png when the build has app_dialogs_show; and
# the text row's encoding button when the build has app_encoding_show: encoding-auto.png (a UTF-8
# text read in "Авто"), encoding-menu.png (the same with the encoding menu open) and
# encoding-chosen.png (a KOI8-R text read as CP866 by choice).
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

# shot NAME PROFILES_INI: runs the program from a folder of its own and photographs the screen.
shot() {
    name=$1
    dir="$work/$name"
    mkdir -p "$dir"
    cp "$build/bin/lumira" "$dir/"
    cp "$source_dir/data/sample" "$source_dir/data/iface.dat" "$dir/"
    if [ -n "$2" ]; then
        printf '%b' "$2" > "$dir/profiles.ini"
        printf '[Global]\r\nModel=0\r\n' > "$dir/config.ini"
    fi
    "$dir/lumira" &
    app=$!
    sleep 3
    import -window root "$out/main-$name.png"
    # The window's outer size: its client area and the frame the window manager put around it.
    size=$(xwininfo -name "Lumira generator" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}')
    frame=$(xprop -name "Lumira generator" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    echo "$size $frame" | awk -v n="$name" '{print n ": client " $1 "x" $2 ", outer " $1 + $3 + $4 "x" $2 + $5 + $6}'

    kill $app 2>/dev/null || true
    wait $app 2>/dev/null || true
}

shot none ""
shot 240x320 "[Phone 240x320]\r\nWidth=240\r\nHeight=320\r\n"
shot 128x128 "[Phone 128x128]\r\nWidth=128\r\nHeight=128\r\n"
# chooser KIND: the main window with one of its choosers open over it.
chooser() {
    dir="$work/chooser-$1"
    mkdir -p "$dir"
    cp "$source_dir/data/sample" "$source_dir/data/iface.dat" "$source_dir/data/profiles.ini" "$dir/"
    "$build/tests/app_dialogs_show" "$dir/" "$1" &
    app=$!
    sleep 4
    import -window root "$out/chooser-$1.png"
    kill $app 2>/dev/null || true
    wait $app 2>/dev/null || true
}

if [ -x "$build/tests/app_dialogs_show" ]; then
    for kind in font color open; do chooser $kind; done
fi

# encoding NAME TEXT ENCODING [menu]: the window showing TEXT read in ENCODING.
encoding() {
    dir="$work/encoding-$1"
    mkdir -p "$dir"
    cp "$source_dir/data/sample" "$source_dir/data/iface.dat" "$source_dir/data/profiles.ini" "$dir/"
    "$build/tests/app_encoding_show" "$dir/" "$2" "$3" ${4:-} &
    app=$!
    sleep 4
    import -window root "$out/encoding-$1.png"
    kill $app 2>/dev/null || true
    wait $app 2>/dev/null || true
}

if [ -x "$build/tests/app_encoding_show" ]; then
    # The sample text (cp1251) in UTF-8 and in KOI8-R (which has no guillemets).
    iconv -f cp1251 -t utf-8 "$source_dir/data/sample" > "$work/Пример в UTF-8.txt"
    iconv -f cp1251 -t koi8-r//TRANSLIT "$source_dir/data/sample" > "$work/Пример в KOI8-R.txt"
    encoding auto "$work/Пример в UTF-8.txt" auto
    encoding menu "$work/Пример в UTF-8.txt" auto menu
    encoding chosen "$work/Пример в KOI8-R.txt" cp866
fi
echo "screenshots in $out"
