#!/usr/bin/env bash
# Cross-builds the Windows deliverable (keelvane.xdl64), the stand-in host and the test
# suites with MinGW-w64 (CMake preset "mingw", build-mingw/), then runs the suites under
# Wine through ctest, and runs `keelvane check --level 2` on the Windows module with the
# Windows tool. Extra arguments go to the configure step, e.g. -DKEELVANE_WERROR=ON.
#
# Wine runs in a throw-away prefix with a persistent server: ctest would otherwise wait
# on the server that the first test starts, which keeps that test's output open.
set -euo pipefail
cd "$(dirname "$0")/.."

wine_dir=/usr/lib/wine
for tool in wine64 wineserver; do
  if ! command -v "$tool" >/dev/null && [ ! -x "$wine_dir/$tool" ]; then
    echo "wine-tests: $tool not found (run scripts/setup.sh windows)" >&2
    exit 2
  fi
done
export PATH="$PATH:$wine_dir"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/keelvane-wine.XXXXXX")
export WINEPREFIX="$scratch/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY

stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$scratch"
}
trap stop_wine EXIT

mkdir -p "$WINEPREFIX"
wineserver -p
wine64 wineboot --init >/dev/null 2>&1

# The build lists each suite's tests by running it, so Wine must be ready before it.
cmake --preset mingw "$@"
cmake --build --preset mingw -j 2
ctest --preset mingw -j 2

# The deliverable itself, keelvane.xdl64, validated by the Windows tool under Wine.
wine64 build-mingw/bin/keelvane.exe --plugin "Z:$PWD/build-mingw/plugins/win/keelvane" check --level 2
