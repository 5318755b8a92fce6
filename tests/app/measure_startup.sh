#!/usr/bin/env bash
# Start-up overhead and idle memory of the client: runs lark-bay a few times
# with a private APPDATA and desktop, reads the time from process start to the
# main window being up (LARKBAY_STARTUP_TIMING=1), subtracts the prescribed
# waits, and reads the proportional set size of all the program's processes
# (the browser engine's helpers included) once the recommended page has
# loaded and plays.
#   tests/app/measure_startup.sh <lark-bay> [runs] [lark-bay-server] [engine|legacy]
# With the reference server it runs it on a free loopback port, offering the
# engine pack of the build (LARKBAY_ENGINE_PACK_DIR, default the build's
# engine/pack) and the media of LARKBAY_MEDIA (default the demo's), so every
# remote step does its real work (a first start: no caches); otherwise
# LARKBAY_API_BASE (or the build's default) is used.
#   engine  the engine is installed in Engine/ (the default)
#   legacy  no engine; the pack's download was handed over before, so the
#           start shows only the ten-second notice (counted as a wait)
set -euo pipefail
bin=${1:?usage: measure_startup.sh <lark-bay> [runs] [lark-bay-server] [engine|legacy]}
runs=${2:-5}
server=${3:-}
mode=${4:-engine}
case "$mode" in engine|legacy) ;; *) echo "mode: engine or legacy" >&2; exit 2 ;; esac
# A display (xvfb-run -a …) measures what a user's desktop costs; without one
# the offscreen platform draws nothing and costs less. Every line names which.
if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ]; then export QT_QPA_PLATFORM=offscreen; fi
platform=${QT_QPA_PLATFORM:-xcb on ${DISPLAY}}
export QTWEBENGINE_DISABLE_SANDBOX=${QTWEBENGINE_DISABLE_SANDBOX:-1}
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-qt.webenginecontext.info=false}
export LARKBAY_STARTUP_TIMING=1
here=$(cd "$(dirname "$0")/../.." && pwd)
pack_dir=${LARKBAY_ENGINE_PACK_DIR:-$(cd "$(dirname "$bin")/../.." && pwd)/engine/pack}
[ -f "$pack_dir/Enginepack" ] || { echo "no engine pack in $pack_dir" >&2; exit 1; }
pack_md5=$(md5sum <"$pack_dir/Enginepack" | cut -d' ' -f1)

work=$(mktemp -d)
server_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
if [ -n "$server" ]; then
  mkdir -p "$work/downloads"
  cp "$pack_dir/Enginepack" "$pack_dir/cef.pak.md5" "$work/downloads/"
  "$server" --port 0 --downloads "$work/downloads" \
    --media "${LARKBAY_MEDIA:-$here/tools/server/data/media}" >"$work/server.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do grep -q 'ready at' "$work/server.log" && break; sleep 0.1; done
  base=$(grep -o 'http://[^ ]*' "$work/server.log" | head -n 1)
  export LARKBAY_API_BASE=${base%/}
  echo "server at $LARKBAY_API_BASE"
fi

# The process and all its descendants.
family() {
  local pid=$1 child
  echo "$pid"
  for child in $(pgrep -P "$pid" || true); do family "$child"; done
}
pss_kb() {
  local total=0 pid kb
  for pid in $(family "$1"); do
    kb=$(awk '/^Pss:/ {print $2}' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
    total=$((total + ${kb:-0}))
  done
  echo "$total"
}

waits=2800  # the console's 14 pauses of 200 ms
[ "$mode" = legacy ] && waits=$((waits + 10000))
overheads=()
for i in $(seq "$runs"); do
  dir=$work/run$i
  mkdir -p "$dir/Lark-Bay" "$dir/Desktop"
  if [ "$mode" = engine ]; then
    cp -r "$pack_dir/engine" "$dir/Lark-Bay/Engine"
  else
    printf '[Lark-Bay]\r\nHandedOverEngine=%s\r\n' "$pack_md5" >"$dir/Lark-Bay/Config.ini"
  fi
  APPDATA=$dir XDG_DESKTOP_DIR=$dir/Desktop setsid "$bin" 2>"$dir/err" &
  pid=$!
  for _ in $(seq 300); do
    grep -q 'main window shown' "$dir/err" 2>/dev/null && break
    sleep 0.1
  done
  sleep 5  # the recommended page loads and plays
  ms=$(sed -n 's/.*main window shown \([0-9]*\) ms.*/\1/p' "$dir/err")
  pss=$(pss_kb "$pid")
  processes=$(family "$pid" | wc -l)
  kill -- -"$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  [ -n "$ms" ] || { echo "run $i: the main window did not come up" >&2; cat "$dir/err" >&2; exit 1; }
  overheads+=($((ms - waits)))
  echo "run $i ($mode, $platform): main window after ${ms} ms, overhead $((ms - waits)) ms," \
       "idle PSS $((pss / 1024)) MB over $processes processes"
done
median=$(printf '%s\n' "${overheads[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
echo "median overhead ${median} ms over ${runs} runs ($mode, $platform)"
