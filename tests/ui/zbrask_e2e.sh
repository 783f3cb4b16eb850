#!/bin/sh
# The terminal program end to end: mirror the bundled sample site from a
# local server, check the stored copy, then continue the saved project.
# usage: zbrask_e2e.sh ZBRASK SOURCE_DIR WORK_DIR
set -eu
zbrask=$1; src=$2; work=$3
rm -rf "$work"; mkdir -p "$work"; cd "$work"
serve_seconds=120
. "$src/tests/ui/serve.sh"
serve_http "$src/samples/site"

timeout 60 "$zbrask" /url "http://127.0.0.1:$port/" 2>run1.txt || fail "first run: exit $? $(cat run1.txt)"
grep -q "The download is complete." run1.txt || fail "no completion message"
copy="$work/127.0.0.1"
[ -f "$copy/start.htm" ] || fail "no start.htm"
[ -f "$copy/127.0.0.1.zbp" ] && [ -f "$copy/127.0.0.1.zbt" ] || fail "no project or tree file"
pages=$(find "$copy" -name '*.htm' ! -name start.htm | wc -l)
[ "$pages" -ge 3 ] || fail "only $pages pages stored"
# The start page's links all lie within the depth: each leads to a local
# file (deeper pages keep absolute links to what was not fetched).
site="$copy/127.0.0.1.$port"
first=$(ls "$site"/index.htm "$site"/_default.htm 2>/dev/null | head -1)
[ -n "$first" ] || fail "no start page stored"
# (archives are no file class a job takes by default: they stay absolute)
if grep "127.0.0.1:$port" "$first" | grep -qv '\.zip"'; then fail "$first still points at the server"; fi
for link in $(grep -o 'href="[^"#]*' "$first" | sed 's/^href="//' | grep -v '://'); do
    [ -e "$site/$link" ] || fail "$first: no local file for $link"
done
grep -q "zbrask /f" run1.txt || fail "no hint how to continue"

timeout 60 "$zbrask" /f "$copy/127.0.0.1.zbp" 2>run2.txt || fail "continue: exit $? $(cat run2.txt)"

# A start URL the server does not have: exit status 1, and the file named
# with the server's own answer.
mkdir missing
code=0
(cd missing && timeout 60 "$zbrask" /url "http://127.0.0.1:$port/nothing.html") 2>run3.txt || code=$?
[ $code -eq 1 ] || fail "a missing start URL ended with $code: $(cat run3.txt)"
grep -q "Not stored: http://127.0.0.1:$port/nothing.html (the server answered 404 Not Found)" run3.txt || fail "the missing file was not named: $(cat run3.txt)"
echo "OK: $pages pages"
