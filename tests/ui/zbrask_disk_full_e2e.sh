#!/bin/sh
# The terminal program on a full disk: a job whose copy goes to a small
# tmpfs stops with the disk-full message and exit status 3, and leaves no
# temporary file but the partial one kept for a resume. Exit 77 (skipped)
# when no tmpfs can be mounted (it needs root).
# usage: zbrask_disk_full_e2e.sh ZBRASK SOURCE_DIR WORK_DIR
set -eu
zbrask=$1; src=$2; work=$3
umount "$work/disk" 2>/dev/null || true
rm -rf "$work"; mkdir -p "$work/disk" "$work/root"; cd "$work"
. "$src/tests/ui/serve.sh"
if ! mount -t tmpfs -o size=256k tmpfs "$work/disk" 2>/dev/null; then
    echo "cannot mount a tmpfs (needs root): skipped"; exit 77
fi
trap 'cd /; umount "$work/disk" 2>/dev/null || true' EXIT
printf '<html><body><a href="big.txt">big</a></body></html>\n' >root/index.html
python3 -c "import sys; sys.stdout.write('x' * 1048576)" >root/big.txt
serve_http root
code=0
(cd disk && timeout 60 "$zbrask" /url "http://127.0.0.1:$port/index.html") 2>run.txt || code=$?
[ $code -eq 3 ] || fail "exit $code: $(cat run.txt)"
grep -q "The disk is full. The download has been stopped." run.txt || fail "no disk-full message: $(cat run.txt)"
temps=$(find disk -name '~DL~*' | wc -l)
[ "$temps" -le 1 ] || fail "$temps temporary files left: $(find disk)"
echo "OK: stopped on the full disk"
