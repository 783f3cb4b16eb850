#!/usr/bin/env bash
# Reads a 1 GB body from the local test server with curl and through
# bench_urlstream, native and (when built) the x86_64 Windows program
# under Wine, in the same run: bench/urlstream.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
dir=$(mktemp -d)
. tools/local-server.sh
trap 'stop_server; rm -rf "$dir"' EXIT
mkdir -p "$dir/root"
echo '{"/big": {"body": {"repeat": "0123456789abcdef", "size": 1073741824}, "headers": [["Content-Type", "application/octet-stream"]]}}' >"$dir/script.json"
start_server "$dir" --root "$dir/root" --script "$dir/script.json" --max-seconds 900
url="http://127.0.0.1:$server_port/big"
for _ in $(seq "$rounds"); do
  curl -s -o /dev/null -w 'curl: %{size_download} bytes in %{time_total} s: %{speed_download} B/s\n' "$url" |
    awk '{ printf "%s %s %s %s %s %.1f MB/s\n", $1, $2, $3, $4, $5, $7 / 1e6 }'
  build/native/bench/bench_urlstream "$url"
done
if [ -x build/mingw64/bench/bench_urlstream.exe ]; then
  for _ in $(seq "$rounds"); do
    echo -n "wine "
    tools/wine-run.sh "$PWD/build/mingw64/wineprefix" build/mingw64/bench/bench_urlstream.exe "$url"
  done
fi
