#!/usr/bin/env bash
# The whole test suite: installs what is missing, then builds and tests
# natively (Release, Debug under AddressSanitizer + UBSan, and the engine's
# threaded tests under ThreadSanitizer), builds the
# x86_64 Windows programs and runs their tests under Wine, and builds the
# shipped i686 Windows programs. Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# Paths relative to the checkout, so that another checkout of the same
# sources finds the compiler cache filled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

presets=(native native-asan native-tsan mingw64 mingw32)
[ $# -gt 0 ] && presets=("$@")

for p in "${presets[@]}"; do
  echo "=== $p"
  cmake --preset "$p" -DZB_WERROR=ON >/dev/null
  cmake --build --preset "$p"
  case "$p" in
    mingw32) ;;  # 32-bit code cannot run on this kernel: built, not run
    *) ctest --preset "$p" ;;
  esac
done
for prefix in build/mingw64/wineprefix build/mingw64/wineprefix-gui; do
  if [ -d "$prefix" ]; then
    WINEPREFIX="$PWD/$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
  fi
done
echo "=== all passed: ${presets[*]}"
