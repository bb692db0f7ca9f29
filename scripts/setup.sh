#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test, benchmark and fuzz,
# to cross-build the Windows module and run its tests under Wine, and to serve the browser
# panel and drive it headless in Chromium.
# Idempotent: asks apt only for what is missing and runs `apt-get update` at most once.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libtiff-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix wine64
  libcpp-httplib-dev chromium
)
# Node.js and npm run the browser test; a machine may already carry them from another
# source than Debian's archive, and then Debian's packages would only conflict with it.
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#packages[@]} packages present"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
