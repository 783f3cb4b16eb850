#!/usr/bin/env bash
# The main job on the bundled sample site: installs what is missing, builds
# the terminal program, serves samples/site on 127.0.0.1 for the length of
# the run, mirrors it with "zbrask /url" into build/sample-mirror/, and
# prints where the copy and its start page are.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
bash tools/install-deps.sh
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$top}"
cmake --preset native >/dev/null
cmake --build --preset native --target zbrask
out=$top/build/sample-mirror
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
. tools/local-server.sh
trap 'stop_server; rm -rf "$work"' EXIT
start_server "$work" --root samples/site --max-seconds 600
cd "$out"
# zbrask prints where the copy, its start page and its project are.
status=0
"$top/build/native/bin/zbrask" /url "http://127.0.0.1:$server_port/" || status=$?
exit $status
