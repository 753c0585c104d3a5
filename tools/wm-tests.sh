#!/usr/bin/env bash
# Runs the window manager test program (argument 1, further arguments passed on) on a private
# X server with openbox, and stops both afterwards. Exits 77, which CTest counts as skipped,
# where Xvfb or openbox is not installed (tools/deps.sh installs them).
set -uo pipefail
program=${1:?usage: wm-tests.sh <test program> [arguments]}
shift

for tool in Xvfb openbox xdotool xprop; do
  if ! command -v "$tool" >/dev/null; then
    echo "$tool is not installed: the window manager tests are skipped (tools/deps.sh installs it)"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tavlo-wm-XXXXXX")
xvfb=""
wm=""
stop() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  for pid in $wm $xvfb; do
    # A server that ignores TERM gets KILL after five seconds.
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
  done
  wait 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT

# Nothing of the user's own: runtime, configuration, cache and data folders are private.
mkdir -p "$work/runtime" "$work/config" "$work/cache" "$work/data"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
export XDG_DATA_HOME=$work/data

# Xvfb picks a free display itself and writes its number once it accepts connections. A small
# screen, as on a netbook, so the main window has to be shrunk to fit.
Xvfb -displayfd 3 -ac -nolisten tcp -screen 0 1024x600x24 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; kill -0 "$xvfb" 2>/dev/null || break; sleep 0.1; done
display=$(head -n 1 "$work/display" 2>/dev/null)
if [ -z "$display" ]; then
  echo "Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi
export DISPLAY=:$display

openbox --sm-disable --startup "touch $work/openbox-ready" >"$work/openbox.log" 2>&1 &
wm=$!
for _ in $(seq 100); do [ -e "$work/openbox-ready" ] && break; kill -0 "$wm" 2>/dev/null || break; sleep 0.1; done
if [ ! -e "$work/openbox-ready" ]; then
  echo "openbox did not start:" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi

# The program fails, rather than skips, when it finds no window manager here.
QT_QPA_PLATFORM=xcb TAVLO_WINDOW_MANAGER=openbox timeout -k 10 240 "$program" "$@"
status=$?
[ $status -eq 124 ] && echo "the window manager tests did not finish in time" >&2
exit $status
