#!/bin/sh
# Screenshots of the preview for the sample text: a 128 x 160 and a 240 x 320 phone, system line
# at the top and at the bottom. Each run uses a program folder of its own under the output folder.
#   tests/preview/screenshots.sh <build folder> <output folder>
# Writes preview-<width>x<height>-<top|bottom>.png, the whole screen with the main window on it.
set -eu
build=$(cd "$1" && pwd)
out=$(mkdir -p "$2" && cd "$2" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)

shot() {  # model index, sysline index, name
    dir="$out/app-$3"
    rm -rf "$dir"
    mkdir -p "$dir"
    cp "$build/bin/lumira" "$dir/"
    cp "$src/data/sample" "$src/data/iface.dat" "$src/data/profiles.ini" "$dir/"
    printf '[Global]\r\nModel=%s\r\nSysline=%s\r\n' "$1" "$2" > "$dir/config.ini"
    xvfb-run -a -s "-screen 0 1024x768x24" sh -c "
        openbox >/dev/null 2>&1 &
        sleep 1
        '$dir/lumira' >/dev/null 2>&1 &
        sleep 3
        import -window root '$out/preview-$3.png'
        kill %2 2>/dev/null || true
    "
    rm -rf "$dir"
}

# In the shipped profile list, position 0 is a 128 x 160 phone and position 7 a 240 x 320 one.
shot 0 0 128x160-top
shot 0 1 128x160-bottom
shot 7 0 240x320-top
shot 7 1 240x320-bottom
ls -l "$out"
