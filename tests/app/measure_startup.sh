#!/usr/bin/env bash
# Start-up overhead and idle memory of the client: runs lark-bay a few times
# with a private APPDATA, reads the time from process start to the main window
# being up (LARKBAY_STARTUP_TIMING=1), subtracts the console's prescribed
# pauses (14 x 200 ms) and reads the idle main window's resident memory.
# Given the reference server, it runs it on a free loopback port and points
# the client at it, so every remote step does its real work (a first start:
# no caches); otherwise LARKBAY_API_BASE (or the build's default) is used.
#   tests/app/measure_startup.sh <path to lark-bay> [runs] [path to lark-bay-server]
set -euo pipefail
bin=${1:?usage: measure_startup.sh <lark-bay> [runs] [lark-bay-server]}
runs=${2:-5}
server=${3:-}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export LARKBAY_STARTUP_TIMING=1

if [ -n "$server" ]; then
  log=$(mktemp)
  "$server" --port 0 >"$log" 2>&1 &
  server_pid=$!
  trap 'kill "$server_pid" 2>/dev/null || true; rm -f "$log"' EXIT
  for _ in $(seq 100); do grep -q 'ready at' "$log" && break; sleep 0.1; done
  base=$(grep -o 'http://[^ ]*' "$log" | head -n 1)
  export LARKBAY_API_BASE=${base%/}
  echo "server at $LARKBAY_API_BASE"
fi

overheads=()
for i in $(seq "$runs"); do
  dir=$(mktemp -d)
  APPDATA=$dir "$bin" 2>"$dir/err" &
  pid=$!
  for _ in $(seq 150); do
    grep -q 'main window shown' "$dir/err" 2>/dev/null && break
    sleep 0.1
  done
  sleep 1  # idle
  ms=$(sed -n 's/.*main window shown \([0-9]*\) ms.*/\1/p' "$dir/err")
  rss=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  rm -rf "$dir"
  overheads+=($((ms - 2800)))
  echo "run $i: main window after ${ms} ms, overhead $((ms - 2800)) ms, idle RSS $((rss / 1024)) MB"
done
median=$(printf '%s\n' "${overheads[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "median overhead ${median} ms over ${runs} runs"
