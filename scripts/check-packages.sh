#!/usr/bin/env bash
# Unpacks the release packages in dist/ (make package) as a user would and checks what
# they hold: the macOS bundle passes its inspection, and the Windows folder passes its
# inspection and `keelvane check --level 2` with the Windows tool (build-mingw/, brought
# up to date) under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

one_zip() {
  local found=(dist/keelvane-*-"$1".zip)
  if [ ${#found[@]} -ne 1 ] || [ ! -f "${found[0]}" ]; then
    echo "check-packages: expected one dist/keelvane-<version>-$1.zip (run make package), found: ${found[*]}" >&2
    exit 2
  fi
  echo "${found[0]}"
}
windows_zip=$(one_zip windows-x64)
macos_zip=$(one_zip macos-arm64)

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/keelvane-packages.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$windows_zip" -d "$unpacked/windows"
unzip -q "$macos_zip" -d "$unpacked/macos"

cmake -DMODULE="$unpacked/macos/keelvane/KeelvaneR2025.xlib" -DPLATFORM=macos -P cmake/examine_module.cmake
cmake -DMODULE="$unpacked/windows/keelvane/keelvane.xdl64" -DPLATFORM=windows -P cmake/examine_module.cmake

cmake --build --preset mingw --target keelvane -j 2
source scripts/wine-env.sh
trap 'stop_wine; rm -rf "$unpacked"' EXIT
wine64 build-mingw/bin/keelvane.exe --plugin "Z:$unpacked/windows/keelvane" check --level 2
