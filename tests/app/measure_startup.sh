#!/usr/bin/env bash
# Start-up overhead and idle memory of the client: runs lark-bay a few times
# with a private APPDATA, reads the time from process start to the main window
# being up (LARKBAY_STARTUP_TIMING=1), subtracts the console's prescribed
# pauses (14 x 200 ms) and reads the idle main window's resident memory.
#   tests/app/measure_startup.sh <path to lark-bay> [runs]
set -euo pipefail
bin=${1:?usage: measure_startup.sh <lark-bay> [runs]}
runs=${2:-5}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export LARKBAY_STARTUP_TIMING=1
for i in $(seq "$runs"); do
  dir=$(mktemp -d)
  APPDATA=$dir "$bin" 2>"$dir/err" &
  pid=$!
  for _ in $(seq 100); do
    grep -q 'main window shown' "$dir/err" 2>/dev/null && break
    sleep 0.1
  done
  sleep 1  # idle
  ms=$(sed -n 's/.*main window shown \([0-9]*\) ms.*/\1/p' "$dir/err")
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  rm -rf "$dir"
  echo "run $i: main window after ${ms} ms, overhead $((ms - 2800)) ms, idle RSS $((rss / 1024)) MB"
done
