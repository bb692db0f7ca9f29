#!/usr/bin/env bash
# Installs the Debian packages for the parts of the project it is asked for:
#
#   scripts/setup.sh build     the build, its tests and benchmarks (make run, make test)
#   scripts/setup.sh browser   the browser test of the panel: Chromium, Node.js and npm
#   scripts/setup.sh windows   the Windows cross-build and its tests: MinGW-w64 and Wine
#   scripts/setup.sh fuzz      the preset reader's fuzzer: clang and its runtimes
#   scripts/setup.sh all       every part (what CI runs)
#
# Every other part builds on the build, so it takes the build's packages too. Idempotent:
# asks apt only for what is missing and runs `apt-get update` at most once.
set -euo pipefail

build=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libtiff-dev
  libboost-dev
)
browser=(chromium)
windows=(g++-mingw-w64-x86-64-posix wine64)
fuzz=(clang libclang-rt-14-dev)

usage() {
  echo "usage: scripts/setup.sh build|browser|windows|fuzz|all..." >&2
  exit 2
}
[ $# -gt 0 ] || usage

# Node.js and npm run the browser test; a machine may already carry them from another
# source than Debian's archive, and then Debian's packages would only conflict with it.
add_browser() {
  packages+=("${browser[@]}")
  command -v node >/dev/null 2>&1 || packages+=(nodejs)
  command -v npm >/dev/null 2>&1 || packages+=(npm)
}

packages=("${build[@]}")
for part in "$@"; do
  case "$part" in
    build) ;;
    browser) add_browser ;;
    windows) packages+=("${windows[@]}") ;;
    fuzz) packages+=("${fuzz[@]}") ;;
    all) add_browser; packages+=("${windows[@]}" "${fuzz[@]}") ;;
    *) usage ;;
  esac
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup ($*): all packages present"
  exit 0
fi

echo "setup ($*): installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
