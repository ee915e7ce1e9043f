#!/usr/bin/env bash
# Draws the program's desktop icon, the stack of pages of the main window's banner, as a
# scalable SVG and as PNGs for the hicolor theme. Run it again after changing the drawing; the
# results are committed.
set -euo pipefail
cd "$(dirname "$0")"
id=org.lumira.generator

# One drawing in a 32 x 32 space: three sheets, each shifted up and to the right of the one
# below it, and lines of text on the top one.
sheets=("3.5,8.5 22.5,30.5 #D8D8D8" "6.5,5.5 25.5,27.5 #ECECEC" "9.5,2.5 28.5,24.5 #FFFFFF")
lines=()
for row in 0 1 2 3 4 5; do
  y=$(echo "2.5 + 4.5 + $row * 3" | bc)
  left=$([ $row -eq 0 ] || [ $row -eq 3 ] && echo 15.5 || echo 12.5)
  right=$([ $row -eq 5 ] && echo 19.5 || echo 25.5)
  lines+=("$left,$y $right,$y")
done

{
  echo '<svg xmlns="http://www.w3.org/2000/svg" width="32" height="32" viewBox="0 0 32 32">'
  for s in "${sheets[@]}"; do
    read -r a b fill <<<"$s"
    x=${a%,*}; y=${a#*,}; x2=${b%,*}; y2=${b#*,}
    echo "  <rect x=\"$x\" y=\"$y\" width=\"$(echo "$x2 - $x" | bc)\" height=\"$(echo "$y2 - $y" | bc)\" fill=\"$fill\" stroke=\"#505058\" stroke-width=\"1\"/>"
  done
  for l in "${lines[@]}"; do
    read -r a b <<<"$l"
    echo "  <line x1=\"${a%,*}\" y1=\"${a#*,}\" x2=\"${b%,*}\" y2=\"${b#*,}\" stroke=\"#1F5FC8\" stroke-width=\"1.4\"/>"
  done
  echo '</svg>'
} > $id.svg

for size in 16 32 48 64 128 256; do
  scale=$(echo "scale=4; $size / 32" | bc)
  draw="scale $scale,$scale stroke-width 1 stroke #505058"
  for s in "${sheets[@]}"; do
    read -r a b fill <<<"$s"
    draw+=" fill $fill rectangle $a $b"
  done
  draw+=" stroke #1F5FC8 stroke-width 1.4 fill none"
  for l in "${lines[@]}"; do draw+=" line $l"; done
  convert -size ${size}x${size} xc:none -draw "$draw" -strip -define png:exclude-chunks=date,time \
    PNG32:$id-$size.png
done
