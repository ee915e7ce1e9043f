#!/usr/bin/env bash
# Runs every fuzz harness of BUILD_DIR for SECONDS each on a copy of its seed corpus (the
# repository's seeds stay as they are), as many at once as there are cores. A crash, leak or
# sanitizer report fails the run and leaves the input that caused it in BUILD_DIR/fuzz/findings/NAME.
set -euo pipefail
build=${1:?build folder}
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
jobs=$(nproc)

# One harness on its seeds; its verdict goes to BUILD_DIR/fuzz/NAME.status.
fuzz_one() {
  local name=$1
  local harness="$build/fuzz/fuzz_$name" work="$build/fuzz/work/$name" findings="$build/fuzz/findings/$name"
  if [ ! -x "$harness" ]; then
    echo "no harness at $harness" >"$build/fuzz/$name.log"; echo 1 >"$build/fuzz/$name.status"; return
  fi
  rm -rf "$work" && mkdir -p "$work" "$findings"
  cp "$here/corpus/$name"/* "$work"/
  # Leaks in third-party libraries are told apart as in the sanitized suite.
  if LSAN_OPTIONS="suppressions=$here/../tests/lsan.supp" QT_QPA_PLATFORM=offscreen "$harness" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=0 "$work" >"$build/fuzz/$name.log" 2>&1; then
    echo 0 >"$build/fuzz/$name.status"
  else
    echo 1 >"$build/fuzz/$name.status"
  fi
}

mkdir -p "$build/fuzz"
names=()
# One harness per seed folder; a harness that was not built is a failure, not a skip.
for seeds in "$here"/corpus/*/; do
  name=$(basename "$seeds")
  names+=("$name")
  rm -f "$build/fuzz/$name.status"
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  echo "fuzz $name: ${seconds}s"
  fuzz_one "$name" &
done
wait

status=0
for name in "${names[@]}"; do
  if [ "$(cat "$build/fuzz/$name.status" 2>/dev/null)" != 0 ]; then
    echo "fuzz $name FAILED:"; tail -n 40 "$build/fuzz/$name.log"; status=1
  fi
done
exit $status
