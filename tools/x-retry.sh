#!/usr/bin/env bash
# Runs a windowed test once more when, and only when, it died of an X
# protocol error. Without a window manager, Wine's X driver now and then
# unmaps a window the X server has already let go (BadWindow on
# X_UnmapWindow) and the X library ends the process; that is not the
# test's fault. Any other failure, an assertion included, stands.
set -u
log=$(mktemp)
trap 'rm -f "$log"' EXIT
for attempt in 1 2; do
  "$@" 2>"$log"
  rc=$?
  cat "$log" >&2
  [ $rc -eq 0 ] && exit 0
  grep -q "X Error of failed request" "$log" || exit $rc
  echo "x-retry: died of an X protocol error (attempt $attempt)" >&2
done
exit $rc
