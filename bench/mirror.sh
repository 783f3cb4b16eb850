#!/usr/bin/env bash
# The terminal program mirroring a generated site from the local test
# server: 2,000 pages of about 10 KB with 10 links each and 500 pictures of
# about 20 KB, 5 downloads at a time, at 0 ms and at 20 ms of server delay
# per request; then five downloads that wait on a server answering after
# 10 s. Prints wall time, files per second, CPU seconds and peak memory,
# beside two yardsticks on the same site in the same minute when they are
# installed: Wget2 mirroring it (wget2 -r -l 0 -k -p, 5 threads) and curl
# fetching its files into files (5 at a time, no parsing, no rewriting).
#   bench/mirror.sh [PAGES] [PICTURES]
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
zbrask=${ZBRASK:-$top/build/native/bin/zbrask}  # another build to compare: ZBRASK=path
pages=${1:-2000}
pictures=${2:-500}
dir=$(mktemp -d)
. tools/local-server.sh
trap 'stop_server; rm -rf "$dir"' EXIT
python3 bench/make_site.py "$dir/site" "$pages" "$pictures"

project() {  # project FOLDER URL: a job without limits, 5 downloads at a time
  mkdir -p "$1"
  cat >"$1/bench.zbp" <<EOT
[URLs]
count=1
0=$2
[output]
path=$1
[levels]
internal=1000
external=0
[Filter]
AllowPicture=1
[Options]
MaxNumFiles=0
MaxSizeFiles=100000
MaxNumThread=5
timeMaxWait=0
Stubs=0
EOT
}

run() {  # run LABEL FOLDER
  /usr/bin/time -f "%e %U %S %M" -o "$dir/time" "$zbrask" /f "$2/bench.zbp" >/dev/null 2>"$dir/log" || true
  read -r wall user sys rss <"$dir/time"
  files=$(find "$2" -type f ! -name 'bench.*' ! -name start.htm | wc -l)
  awk -v l="$1" -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" -v f="$files" 'BEGIN {
    printf "%-22s %5d files in %6.2f s: %7.1f files/s, CPU %5.2f s (%.2f ms per file), peak %.1f MB\n",
      l, f, w, f / w, u + s, 1000 * (u + s) / f, r / 1024 }'
}

timed() {  # timed LABEL FOLDER COMMAND...: the same line for a yardstick
  local label=$1 out=$2; shift 2
  /usr/bin/time -f "%e %U %S %M" -o "$dir/time" "$@" >/dev/null 2>"$dir/log" || true
  read -r wall user sys rss <"$dir/time"
  files=$(find "$out" -type f | wc -l)
  awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" -v r="$rss" -v f="$files" 'BEGIN {
    printf "%-22s %5d files in %6.2f s: %7.1f files/s, CPU %5.2f s (%.2f ms per file), peak %.1f MB\n",
      l, f, w, f / w, u + s, 1000 * (u + s) / f, r / 1024 }'
}

for delay in 0 20; do
  start_server "$dir" --root "$dir/site" --max-seconds 3600 --delay-ms "$delay"
  base="http://127.0.0.1:$server_port"
  project "$dir/out$delay" "$base/index.html"
  run "zbrask, ${delay} ms delay" "$dir/out$delay"
  if command -v wget2 >/dev/null; then
    mkdir -p "$dir/wget2-$delay"
    timed "wget2, ${delay} ms delay" "$dir/wget2-$delay" wget2 -q -r -l 0 -k -p --max-threads=5 \
      --no-robots -P "$dir/wget2-$delay" "$base/index.html"
  fi
  mkdir -p "$dir/curl-$delay"
  (cd "$dir/site" && find . -type f | sed 's|^\./||' | while read -r f; do
     printf 'url = "%s/%s"\noutput = "%s"\n' "$base" "$f" "$dir/curl-$delay/$f"; done) >"$dir/curl.cfg"
  timed "curl, ${delay} ms delay" "$dir/curl-$delay" curl -s --create-dirs --parallel --parallel-max 5 -K "$dir/curl.cfg"
done

# Five downloads waiting on answers that take 10 s: the CPU they cost.
mkdir -p "$dir/slow"
printf '<a href="a%d.html">x</a>\n' 1 2 3 4 5 >"$dir/slow/index.html"
for i in 1 2 3 4 5; do echo "<p>$i</p>" >"$dir/slow/a$i.html"; done
start_server "$dir" --root "$dir/slow" --max-seconds 600 --delay-ms 10000
project "$dir/outslow" "http://127.0.0.1:$server_port/index.html"
/usr/bin/time -f "%e %U %S %M" -o "$dir/time" "$zbrask" /f "$dir/outslow/bench.zbp" >/dev/null 2>&1 || true
read -r wall user sys rss <"$dir/time"
awk -v w="$wall" -v u="$user" -v s="$sys" 'BEGIN {
  printf "waiting on 10 s answers: %.1f s wall, CPU %.2f s = %.2f%% of one core\n", w, u + s, 100 * (u + s) / w }'
