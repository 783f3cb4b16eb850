#!/bin/sh
# The Windows program's batch under Wine: "zbrask.exe /auto" with two
# projects in the stored batch and exit on end of batch set runs both
# jobs one after the other (the second entry without its extension, which
# is added), stores both sites and ends by itself.
# usage: zbrask_wine_batch_e2e.sh ZBRASK_EXE SOURCE_DIR WORK_DIR WINE_PREFIX
set -eu
exe=$1; src=$2; work=$3; prefix=$4
rm -rf "$work"; mkdir -p "$work"; cd "$work"
. "$src/tests/ui/serve.sh"
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }

mkdir -p root
for s in a b; do
    mkdir -p root/$s
    printf '<html><head><title>%s</title></head><body><a href="page.html">page</a></body></html>\n' $s >root/$s/index.html
    printf '<html><head><title>%s page</title></head><body><a href="index.html">back</a></body></html>\n' $s >root/$s/page.html
done
serve_http root
# Two projects as a user would have saved them: the output folder and the
# start URL; everything else takes its default.
for s in a b; do
    printf '[output]\r\npath=%s\r\n[URLs]\r\ncount=1\r\n0=http://127.0.0.1:%s/%s/index.html\r\n' \
        "$(winpath "$work/copy-$s")" "$port" $s >$s.zbp
done
cp "$exe" "$work/zbrask.exe"
cp "$(dirname "$exe")"/zb*.dll "$work/"
printf '[DLoad]\r\nExitOnEnd=0\r\nExitOnEndBatch=1\r\n[Batch]\r\nUseStartTime=0\r\n[MissionList]\r\ncount=2\r\n0=%s\r\n1=%s\r\n' \
    "$(winpath "$work/a.zbp")" "$(winpath "$work/b")" >"$work/zbrask.INI"
timeout 120 "$src/tools/wine-run.sh" "$prefix" "$work/zbrask.exe" /auto \
  >run.txt 2>&1 || fail "exit $? $(cat run.txt)"
for s in a b; do
    grep -q "\"/$s/page.html\"" "$log" || fail "$s: the batch did not run its job"
    site=$(find "copy-$s" -type d -name "127.0.0.1.$port" | head -1)
    [ -n "$site" ] && [ -f "$site/$s/page.html" ] || fail "$s: no stored page: $(find "copy-$s" | head)"
done
echo "OK: both projects of the batch ran"
