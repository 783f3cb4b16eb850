#!/bin/sh
# The terminal program on a full disk: a job whose copy goes to a small
# tmpfs stops all its downloads with the disk-full message and exit status
# 3: the files still queued are never asked for, and no temporary file is
# left but the partial ones kept for a resume. Exit 77 (skipped) when no
# tmpfs can be mounted (it needs root).
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
# Eight files of 1 MB each for a disk of 256 KB: those running when the
# disk fills are stopped, the rest never start.
for i in 1 2 3 4 5 6 7 8; do
    links="${links:-}<a href=\"big$i.txt\">big $i</a> "
    python3 -c "import sys; sys.stdout.write('$i' * 1048576)" >root/big$i.txt
done
printf '<html><body>%s</body></html>\n' "$links" >root/index.html
serve_http root
code=0
(cd disk && timeout 60 "$zbrask" /url "http://127.0.0.1:$port/index.html") 2>run.txt || code=$?
[ $code -eq 3 ] || fail "exit $code: $(cat run.txt)"
grep -q "The disk is full. The download has been stopped." run.txt || fail "no disk-full message: $(cat run.txt)"
asked=$(grep -c '"/big' "$log" || true)
[ "$asked" -ge 1 ] && [ "$asked" -lt 8 ] || fail "$asked of 8 files asked for: the job did not stop"
temps=$(find disk -name '~DL~*' | wc -l)
[ "$temps" -le "$asked" ] || fail "$temps temporary files left for $asked downloads: $(find disk)"
echo "OK: stopped on the full disk after $asked of 8 downloads"
