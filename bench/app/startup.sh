#!/usr/bin/env bash
# Start-up benchmark: time from process start until the main window is built, shown and painted
# once (empty temp, 20 phone profiles, a config.ini), against two Qt widget programs shown and
# painted the same way: a bare window with a few controls, and the main window's own controls with
# nothing of the program behind them (what Qt alone needs for such a window). The three are run
# in turn, RUNS times each, so that the machine's drift reaches all of them alike; prints the
# medians and their ratios.
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
elapsed_us() {
  local s e
  s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N)
  echo $(( (e - s) / 1000 ))
}
"$build/bin/bench_startup_lumira" "$folder/" >/dev/null 2>&1 # warm the caches once
"$build/bin/bench_startup_controls" >/dev/null 2>&1
: >"$folder/lumira.us"; : >"$folder/bare.us"; : >"$folder/controls.us"
for _ in $(seq 1 "$runs"); do
  elapsed_us "$build/bin/bench_startup_lumira" "$folder/" >>"$folder/lumira.us"
  elapsed_us "$build/bin/bench_startup_bare" >>"$folder/bare.us"
  elapsed_us "$build/bin/bench_startup_controls" >>"$folder/controls.us"
done
lumira=$(median <"$folder/lumira.us")
bare=$(median <"$folder/bare.us")
controls=$(median <"$folder/controls.us")
awk -v l="$lumira" -v b="$bare" -v c="$controls" 'BEGIN {
  printf "start-up (median of runs): lumira %.1f ms, bare Qt %.1f ms, same controls in bare Qt %.1f ms\n", l/1000, b/1000, c/1000
  printf "ratio to the bare window: lumira %.2f, same controls %.2f; lumira to the same controls %.2f\n", l/b, c/b, l/c }'
