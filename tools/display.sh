#!/usr/bin/env bash
# One virtual display for all the windowed tests of a run.
#   display.sh start DIR        starts Xvfb on a free display, noted in DIR
#   display.sh stop DIR PREFIX  ends the Wine server of PREFIX, then Xvfb
#   display.sh run DIR CMD...   runs CMD on that display
# Wine's server outlives a test program, and with it the desktop process,
# which stays bound to the display it met first: every windowed program of
# the prefix must see that same display. One display per test, gone when
# the test ends, leaves the next test's frames with X windows the desktop
# process can no longer reach (BadWindow, or waits of ten seconds).
set -u
cmd=$1; dir=$2; shift 2
case "$cmd" in
start)
  mkdir -p "$dir"
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    # Its own session, its output closed: ctest must not wait for it.
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n" >"$dir/display"; exit 0; }
      kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
  done
  echo "display.sh: no virtual display could be started" >&2
  exit 1 ;;
stop)
  prefix=$1
  [ -d "$prefix" ] && WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null
  [ -f "$dir/xvfb.pid" ] && kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
  rm -f "$dir/display" "$dir/xvfb.pid"
  exit 0 ;;
run)
  [ -f "$dir/display" ] || { echo "display.sh: no display started in $dir" >&2; exit 1; }
  DISPLAY=$(cat "$dir/display")
  export DISPLAY
  exec "$@" ;;
esac
echo "usage: display.sh start|stop|run DIR ..." >&2
exit 2
