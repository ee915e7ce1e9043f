#!/usr/bin/env bash
# Start-up benchmark: time from process start until the main window is built, shown and painted
# once (empty temp, 20 phone profiles, a config.ini), against a bare Qt widget program that shows
# a window with a few controls; both run offscreen the same number of times. Prints the medians
# and their ratio.
#   bench/app/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
runs="${2:-30}"
export QT_QPA_PLATFORM=offscreen
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
cp "$root/data/sample" "$root/data/iface.dat" "$folder/"
for i in $(seq 1 20); do
  printf '[Phone %d]\r\nWidth=%d\r\nHeight=%d\r\nLSoft=-6\r\nRSoft=-7\r\nMenu=-5\r\n\r\n' "$i" $((120 + i)) $((160 + i))
done > "$folder/profiles.ini"
printf '[Global]\r\nUpperCut=1\r\nBottCut=1\r\nBackground=15794175\r\nModel=5\r\nSysline=0\r\n[Font]\r\nName=Tahoma\r\nSize=8\r\n' > "$folder/config.ini"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
timeit() {
  for _ in $(seq 1 "$runs"); do
    local s e
    s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N)
    echo $(( (e - s) / 1000 ))
  done | median
}
"$build/bin/bench_startup_lumira" "$folder/" # warm the caches once
lumira=$(timeit "$build/bin/bench_startup_lumira" "$folder/")
bare=$(timeit "$build/bin/bench_startup_bare")
awk -v l="$lumira" -v b="$bare" 'BEGIN { printf "start-up (median of runs): lumira %.1f ms, bare Qt %.1f ms, ratio %.2f\n", l/1000, b/1000, l/b }'
