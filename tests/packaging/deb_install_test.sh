#!/usr/bin/env bash
# The .deb of this build as a user gets it: lintian reports no error, apt
# installs it with its Debian dependencies, the desktop entry and the
# metainfo validate, the installed program starts against the reference
# server and installs its engine from the package's own pack (no download,
# the pack stays), and apt removes it again.
#   deb_install_test.sh <build-dir> <lark-bay-server>
# Needs root (it installs into /usr); skipped (77) otherwise, and when a
# lark-bay package is already installed on this machine.
set -euo pipefail
build=$(cd "$1" && pwd)
server=$2
[ "$(id -u)" = 0 ] || { echo "skipped: installing needs root"; exit 77; }
if dpkg-query -W -f='${Status}' lark-bay 2>/dev/null | grep -q "install ok installed"; then
  echo "skipped: a lark-bay package is installed here already; left alone"
  exit 77
fi

work=$(mktemp -d)
installed=0
server_pid=
program_pid=
cleanup() {
  [ -n "$program_pid" ] && kill -- -"$program_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  [ "$installed" = 1 ] && DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq lark-bay >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" >cpack.log 2>&1) ||
  { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/lark-bay_*.deb)
echo "built $(basename "$deb")"
lintian_rc=0
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || lintian_rc=$?
grep -v 'root privileges' "$work/lintian.log" || true
[ "$lintian_rc" = 0 ] || fail "lintian reports errors"

DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 ||
  { cat "$work/apt.log"; fail "apt-get install"; }
installed=1
for file in /usr/bin/lark-bay /usr/bin/lark-bay-cli /usr/lib/lark-bay/Update.exe \
    /usr/lib/lark-bay/Engine.exe /usr/lib/lark-bay/Enginepack /usr/lib/lark-bay/Update.exe.sig \
    /usr/lib/lark-bay/Enginepack.sig /usr/share/applications/lark-bay.desktop \
    /usr/share/icons/hicolor/48x48/apps/lark-bay.png /usr/share/metainfo/org.larkbay.LarkBay.metainfo.xml; do
  [ -e "$file" ] || fail "not installed: $file"
done
desktop-file-validate /usr/share/applications/lark-bay.desktop || fail "desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/org.larkbay.LarkBay.metainfo.xml >/dev/null ||
  fail "metainfo"

# The server offers the package's own pack and updater, so their digests are
# the announced ones.
mkdir -p "$work/downloads" "$work/appdata" "$work/desktop"
cp /usr/lib/lark-bay/Enginepack /usr/lib/lark-bay/Enginepack.sig /usr/lib/lark-bay/cef.pak.md5 \
  /usr/lib/lark-bay/Update.exe /usr/lib/lark-bay/Update.exe.sig "$work/downloads/"
"$server" --port 0 --downloads "$work/downloads" >"$work/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do grep -q 'ready at' "$work/server.log" && break; sleep 0.1; done
base=$(grep -o 'http://[^ ]*' "$work/server.log" | head -n 1)
[ -n "$base" ] || fail "the server did not start"

APPDATA=$work/appdata XDG_DESKTOP_DIR=$work/desktop LARKBAY_API_BASE=${base%/} \
  QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 LARKBAY_STARTUP_TIMING=1 \
  setsid /usr/bin/lark-bay 2>"$work/err" &
program_pid=$!
for _ in $(seq 600); do grep -q 'main window shown' "$work/err" && break; sleep 0.1; done
grep -q 'main window shown' "$work/err" || { cat "$work/err"; fail "the installed program did not come up"; }
[ -f "$work/appdata/Lark-Bay/Engine/libaquarius.so" ] || fail "the engine was not installed from the package's pack"
[ -f /usr/lib/lark-bay/Enginepack ] || fail "the package's pack was deleted"
[ -x "$work/appdata/Lark-Bay/Update.exe" ] || fail "the updater is missing"
grep -q 'Enginepack 200\|Update.exe 200' "$work/server.log" && fail "downloaded what the package carries"
kill -- -"$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=

DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq lark-bay >/dev/null 2>&1 || fail "apt-get remove"
installed=0
[ ! -e /usr/bin/lark-bay ] || fail "still installed after removal"
echo "the package installs, starts and goes again"
