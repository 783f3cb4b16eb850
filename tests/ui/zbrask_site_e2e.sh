#!/bin/sh
# A generated site of some three hundred pages and forty pictures mirrored
# by the program from a project file: two levels deep, one folder
# excluded, archives not taken, stubs on. Every page stored is then
# checked link by link, and the server's log request by request.
# usage: zbrask_site_e2e.sh PROGRAM SOURCE_DIR WORK_DIR [WINE_PREFIX]
# With WINE_PREFIX, PROGRAM is zbrask.exe and runs under Wine: there "/f"
# only opens a project, so the project runs as the stored batch, "/auto",
# with exit on end of batch set.
set -eu
program=$1; src=$2; work=$3; prefix=${4:-}
rm -rf "$work"; mkdir -p "$work"; cd "$work"
. "$src/tests/ui/serve.sh"
serve_seconds=300
mkdir root
serve_http root
# The server is up before the site exists: it serves from the folder as it
# finds it at each request, and the project needs the port.
if [ -n "$prefix" ]; then
    winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
    python3 "$src/tests/ui/generated_site.py" make root "$port" site.zbp "$(winpath "$work/copy")"
    cp "$program" "$work/zbrask.exe"
    cp "$(dirname "$program")"/zb*.dll "$work/"
    printf '[DLoad]\r\nExitOnEnd=0\r\nExitOnEndBatch=1\r\n[Batch]\r\nUseStartTime=0\r\n[MissionList]\r\ncount=1\r\n0=%s\r\n' \
        "$(winpath "$work/site.zbp")" >"$work/zbrask.INI"
    timeout 240 "$src/tools/wine-run.sh" "$prefix" "$work/zbrask.exe" /auto \
        >run.txt 2>&1 || fail "exit $? $(tail -5 run.txt)"
else
    python3 "$src/tests/ui/generated_site.py" make root "$port" site.zbp "$work/copy"
    timeout 240 "$program" /f "$work/site.zbp" 2>run.txt || fail "exit $? $(tail -5 run.txt)"
    grep -q "The download is complete." run.txt || fail "no completion message: $(tail -3 run.txt)"
fi
python3 "$src/tests/ui/generated_site.py" check copy "$log" "$port"
