# Sourced by the scripts that run Windows programs: puts Wine on the PATH and starts it in
# a throw-away prefix with a persistent server (ctest would otherwise wait on the server
# that the first test starts, which keeps that test's output open). The prefix and the
# server go when the sourcing script exits.
wine_dir=/usr/lib/wine
for tool in wine64 wineserver; do
  if ! command -v "$tool" >/dev/null && [ ! -x "$wine_dir/$tool" ]; then
    echo "$(basename "$0"): $tool not found (run scripts/setup.sh windows)" >&2
    exit 2
  fi
done
export PATH="$PATH:$wine_dir"

wine_scratch=$(mktemp -d "${TMPDIR:-/tmp}/keelvane-wine.XXXXXX")
export WINEPREFIX="$wine_scratch/prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY

stop_wine() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$wine_scratch"
}
trap stop_wine EXIT

mkdir -p "$WINEPREFIX"
wineserver -p
wine64 wineboot --init >/dev/null 2>&1
