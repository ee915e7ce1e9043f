#!/usr/bin/env bash
# Runs every fuzz harness of BUILD_DIR for SECONDS each on a copy of its seed corpus (the
# repository's seeds stay as they are). A crash, leak or sanitizer report fails the run and leaves
# the input that caused it in BUILD_DIR/fuzz/findings/NAME.
set -euo pipefail
build=${1:?build folder}
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
status=0
# One harness per seed folder; a harness that was not built is a failure, not a skip.
for seeds in "$here"/corpus/*/; do
  name=$(basename "$seeds")
  harness="$build/fuzz/fuzz_$name"
  if [ ! -x "$harness" ]; then
    echo "fuzz $name: no harness at $harness"; status=1; continue
  fi
  work="$build/fuzz/work/$name"
  findings="$build/fuzz/findings/$name"
  rm -rf "$work" && mkdir -p "$work" "$findings"
  cp "$here/corpus/$name"/* "$work"/
  echo "fuzz $name: ${seconds}s"
  if ! QT_QPA_PLATFORM=offscreen "$harness" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
        -artifact_prefix="$findings/" -print_final_stats=0 "$work" >"$build/fuzz/$name.log" 2>&1; then
    echo "fuzz $name FAILED:"; tail -n 40 "$build/fuzz/$name.log"; status=1
  fi
done
exit $status
