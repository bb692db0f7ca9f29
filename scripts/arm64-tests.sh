#!/usr/bin/env bash
# Cross-builds the project for aarch64 Linux (CMake preset "arm64", build-arm64/) and runs
# its suites under qemu-aarch64 through ctest, then `keelvane check --level 2` on both
# flavours' plug-in folders there: the arm64 instructions the macOS deliverable runs.
# Extra arguments go to the configure step, e.g. -DKEELVANE_WERROR=ON.
set -euo pipefail
cd "$(dirname "$0")/.."
for tool in aarch64-linux-gnu-g++ qemu-aarch64; do
  if ! command -v "$tool" >/dev/null; then
    echo "arm64-tests: $tool not found (run scripts/setup.sh arm64)" >&2
    exit 2
  fi
done

cmake --preset arm64 "$@"
cmake --build --preset arm64 -j 2
ctest --preset arm64 -j 2

for flavour in win mac; do
  scripts/run-arm64.sh build-arm64/bin/keelvane --plugin "build-arm64/plugins/$flavour/keelvane" check --level 2
done
