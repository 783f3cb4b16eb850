#!/bin/sh
# Runs a test program with a small tmpfs mounted at DIR and named (as a
# Windows path on drive Z:) in ZB_FULL_DISK; unmounted afterwards.
# Exit 77 (skipped) when it cannot be mounted, e.g. without root.
# usage: full_disk.sh DIR COMMAND...
set -u
dir=$1; shift
mkdir -p "$dir"
umount "$dir" 2>/dev/null
if ! mount -t tmpfs -o size=256k tmpfs "$dir" 2>/dev/null; then
    echo "cannot mount a tmpfs at $dir (needs root): skipped"
    exit 77
fi
ZB_FULL_DISK=$(printf 'Z:%s' "$dir" | tr / '\\') "$@"
code=$?
umount "$dir" || code=1
exit $code
