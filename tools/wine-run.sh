#!/usr/bin/env bash
# Runs a Windows test program under Wine's 64-bit loader with a prefix of
# its own (first argument). The prefix is made once, under a lock, and one
# wineserver stays up for a while so that each test starts fast.
set -u
prefix=$1; shift
export WINEPREFIX=$prefix WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
loader=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver
mkdir -p "$prefix"  # the server must be able to enter it
{
  flock 9
  # The server and the helper processes it starts must not hold the
  # caller's output or the lock open: ctest and the next test would wait.
  # A new server, or a prefix not made yet: bring up the prefix and its
  # background services here, with our output closed, before the test
  # program starts.
  if "$server" -p120 </dev/null >/dev/null 2>&1 9>&- || [ ! -f "$prefix/system.reg" ]; then
    "$loader" wineboot --init </dev/null >/dev/null 2>&1 9>&-
  fi
} 9>"$prefix.lock"
exec "$loader" "$@"
