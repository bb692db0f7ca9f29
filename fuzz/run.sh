#!/bin/sh
# Fuzzes the preset reader for SECONDS (default 60): configures the clang build of the
# CMake preset "fuzz" (build-fuzz/), builds the fuzz target and runs it on a copy of
# fuzz/corpus. Exits non-zero
# when the fuzzer finds a crash, a leak or a failed check; the input that caused it is left
# in build-fuzz/artifacts/.
#
#   fuzz/run.sh        # one minute
#   fuzz/run.sh 600    # ten minutes
set -eu

seconds="${1:-60}"
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

cmake --preset fuzz
cmake --build --preset fuzz -j 2

corpus="$(mktemp -d)"
trap 'rm -rf "$corpus"' EXIT
cp fuzz/corpus/* "$corpus"/
mkdir -p build-fuzz/artifacts

status=0
# Per-input leak checks stay off: the host keeps a log of every file error it reported,
# which grows by design. The target itself checks after each input that every host object
# it allocated was released.
./build-fuzz/bin/preset_fuzzer -max_total_time="$seconds" -detect_leaks=0 -dict=fuzz/preset.dict \
  -artifact_prefix=build-fuzz/artifacts/ "$corpus" || status=$?
if [ "$status" -ne 0 ]; then
  echo "preset fuzzing FAILED (status $status); see build-fuzz/artifacts/" >&2
else
  echo "preset fuzzing passed: ${seconds}s without a finding"
fi
exit "$status"
