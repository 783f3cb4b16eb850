#!/usr/bin/env bash
# Stores a 1 GB body from the local test server with curl -o and with
# bench_worker, native and (when built) the x86_64 Windows program under
# Wine, in the same run: bench/worker.sh [rounds]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
dir=$(mktemp -d)
. tools/local-server.sh
trap 'stop_server; rm -rf "$dir"' EXIT
mkdir -p "$dir/root"
echo '{"/big.bin": {"body": {"repeat": "0123456789abcdef", "size": 1073741824}, "headers": [["Content-Type", "application/octet-stream"]]}}' >"$dir/script.json"
start_server "$dir" --root "$dir/root" --script "$dir/script.json" --max-seconds 900
url="http://127.0.0.1:$server_port/big.bin"
for _ in $(seq "$rounds"); do
  curl -s -o "$dir/curl.out" -w 'curl -o: %{size_download} bytes in %{time_total} s: %{speed_download} B/s\n' "$url" |
    awk '{ printf "%s %s %s %s %s %s %.1f MB/s\n", $1, $2, $3, $4, $5, $6, $8 / 1e6 }'
  rm -f "$dir/curl.out"
  build/native/bench/bench_worker "$url"
done
if [ -x build/mingw64/bench/bench_worker.exe ]; then
  for _ in $(seq "$rounds"); do
    echo -n "wine "
    tools/wine-run.sh "$PWD/build/mingw64/wineprefix" build/mingw64/bench/bench_worker.exe "$url"
  done
fi
