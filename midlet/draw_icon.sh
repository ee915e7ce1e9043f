#!/usr/bin/env bash
# Draws the suite's icon, book.png: an open book on a light-blue square, 32 x 32, in the colours
# of the reader's system line. Run it again after changing the drawing; the result is committed.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 32x32 xc:'#CCE4FF' +antialias \
  -fill '#204080' -draw 'roundrectangle 2,6 29,27 3,3' \
  -fill '#FFFFFF' -draw 'polygon 4,8 15,10 15,25 4,23' \
  -fill '#FFFFFF' -draw 'polygon 16,10 27,8 27,23 16,25' \
  -stroke '#4080D0' -strokewidth 1 \
  -draw 'line 6,12 13,13' -draw 'line 6,15 13,16' -draw 'line 6,18 13,19' -draw 'line 6,21 11,21' \
  -draw 'line 18,13 25,12' -draw 'line 18,16 25,15' -draw 'line 18,19 25,18' -draw 'line 18,22 23,21' \
  -stroke none -fill '#E04040' -draw 'polygon 21,8 24,8 24,13 22.5,11.5 21,13' \
  -strip -define png:exclude-chunks=date,time PNG8:book.png
