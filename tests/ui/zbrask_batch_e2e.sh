#!/bin/sh
# The terminal program interrupted and continued in a batch: two jobs are
# each stopped by SIGINT while a download hangs (exit status 2, project,
# tree file and partial data kept); then the stored batch of
# missing.zbp, A.zbp and B.zbp ("zbrask /auto") skips the entry that does
# not exist, runs both projects, fetches only
# what was missing, asks for the rest of each partial file with Range, and
# ends with status 1 for the missing entry.
# usage: zbrask_batch_e2e.sh ZBRASK SOURCE_DIR WORK_DIR
set -eu
zbrask=$1; src=$2; work=$3
rm -rf "$work"; mkdir -p "$work"; cd "$work"
. "$src/tests/ui/serve.sh"
# Its own copy of the program: the settings file lies beside it.
cp "$zbrask" "$(dirname "$zbrask")"/*.lng "$work/"
zbrask=$work/zbrask

mkdir -p root
for s in a b; do
    mkdir -p root/$s "$work/$s"
    printf '<html><head><title>%s</title></head><body><a href="page.html">page</a> <a href="big.txt">big</a></body></html>\n' $s >root/$s/index.html
    printf '<html><head><title>%s page</title></head><body><a href="index.html">back</a></body></html>\n' $s >root/$s/page.html
    python3 -c "import sys; sys.stdout.write(''.join('line %06d of $s\n' % i for i in range(20000)))" >root/$s/big.txt
done
printf '{"/a/big.txt": {"file": "a/big.txt", "stall": 40000}, "/b/big.txt": {"file": "b/big.txt", "stall": 40000}}' >stall.json
serve_http root stall.json

for s in a b; do
    (cd "$work/$s" && exec "$zbrask" /url "http://127.0.0.1:$port/$s/index.html" 2>run.txt) &
    job=$!
    for i in $(seq 100); do grep -q "\"/$s/big.txt\"" "$log" 2>/dev/null && break; sleep 0.1; done
    sleep 1  # the part before the stall arrives
    kill -INT $job
    code=0; wait $job || code=$?
    [ $code -eq 2 ] || fail "$s: interrupted run ended with $code: $(cat $s/run.txt)"
    [ -f "$s/127.0.0.1/127.0.0.1.zbp" ] && [ -f "$s/127.0.0.1/127.0.0.1.zbt" ] || fail "$s: no project or tree file"
    grep -q "zbrask /f" $s/run.txt || fail "$s: no hint how to continue"
done
stop_http

serve_port=$port serve_http root
code=0
# (A list on the command line must name existing files: a missing one
# there is refused before anything runs.)
printf '[MissionList]\r\ncount=3\r\n0=%s\r\n1=%s\r\n2=%s\r\n' "$work/missing.zbp" \
    "$work/a/127.0.0.1/127.0.0.1.zbp" "$work/b/127.0.0.1/127.0.0.1.zbp" >>"$work/zbrask.INI"
timeout 60 "$zbrask" /auto 2>batch.txt || code=$?
[ $code -eq 1 ] || fail "batch: exit $code $(cat batch.txt)"
grep -q "The project file \"$work/missing.zbp\" cannot be found." batch.txt || fail "the missing entry was not reported"
# The second job's end is the same message again, which the message pane
# prints once; the files below show that both jobs ended.
[ "$(grep -c 'The download is complete.' batch.txt)" -eq 1 ] || fail "the end not said once: $(cat batch.txt)"
for s in a b; do
    grep "\"/$s/big.txt\"" "$log" | grep -q '"Range", "bytes=[1-9]' || fail "$s: big.txt asked for again without Range"
    ! grep -q "\"/$s/index.html\"" "$log" || fail "$s: a stored page was fetched again"
    stored=$(find "$s/127.0.0.1" -name 'big.txt*' | head -1)
    cmp -s "$stored" root/$s/big.txt || fail "$s: the continued file differs from the server's"
done
echo "OK: both projects continued"
