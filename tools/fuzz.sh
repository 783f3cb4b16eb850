#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time:
#   tools/fuzz.sh NAME [SECONDS]   (NAME: a file of tests/fuzz/ without .cpp)
# Builds the "fuzz" preset (clang, libFuzzer, ASan, UBSan) first. New inputs
# go to build/fuzz/corpus/NAME; crashers to build/fuzz/crash/NAME/ — copy
# each one into tests/fuzz/corpus/NAME/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:?fuzz target name}
seconds=${2:-60}
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
    { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev; break; }
done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "fuzz_$name"
mkdir -p "build/fuzz/corpus/$name" "build/fuzz/crash/$name"
seeds=()
[ -d "tests/fuzz/corpus/$name" ] && seeds=("tests/fuzz/corpus/$name")
"build/fuzz/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -rss_limit_mb=2048 \
  -artifact_prefix="build/fuzz/crash/$name/" "build/fuzz/corpus/$name" "${seeds[@]}"
