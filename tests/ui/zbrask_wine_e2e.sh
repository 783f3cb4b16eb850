#!/bin/sh
# The Windows program end to end under Wine: with exit on end set,
# "zbrask.exe /url" mirrors the bundled sample site from a local server,
# ends by itself and leaves a copy whose start page browses offline.
# usage: zbrask_wine_e2e.sh ZBRASK_EXE SOURCE_DIR WORK_DIR WINE_PREFIX
set -eu
exe=$1; src=$2; work=$3; prefix=$4
rm -rf "$work"; mkdir -p "$work"; cd "$work"
serve_seconds=180
. "$src/tests/ui/serve.sh"
serve_http "$src/samples/site"

# The program's settings file is its own path with ".INI".
cp "$exe" "$work/zbrask.exe"
cp "$(dirname "$exe")"/zb*.dll "$work/"
printf '[DLoad]\r\nExitOnEnd=1\r\n' >"$work/zbrask.INI"
timeout 120 "$src/tools/wine-run.sh" "$prefix" "$work/zbrask.exe" /url "http://127.0.0.1:$port/" \
  >run.txt 2>&1 || fail "exit $? $(cat run.txt)"
copy="$work/127.0.0.1"
[ -f "$copy/127.0.0.1.zbp" ] && [ -f "$copy/127.0.0.1.zbt" ] || fail "no project or tree file"
site="$copy/127.0.0.1.$port"
first=$(ls "$site"/index.htm "$site"/_default.htm 2>/dev/null | head -1)
[ -n "$first" ] || fail "no start page stored"
pages=$(find "$copy" -name '*.htm' | wc -l)
[ "$pages" -ge 3 ] || fail "only $pages pages stored"
# (archives are no file class a job takes by default: they stay absolute)
if grep "127.0.0.1:$port" "$first" | grep -qv '\.zip"'; then fail "$first still points at the server"; fi
for link in $(grep -o 'href="[^"#]*' "$first" | sed 's/^href="//' | grep -v '://'); do
    [ -e "$site/$link" ] || fail "$first: no local file for $link"
done
echo "OK: $pages pages"
