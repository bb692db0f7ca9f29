#!/usr/bin/env bash
# run-arm64.sh PROGRAM [ARG...]: runs an aarch64 Linux program under qemu-aarch64 with
# Debian's aarch64 sysroot; the arm64 build's tests run through it (its
# CMAKE_CROSSCOMPILING_EMULATOR).
#
# Programs that start others (keelvane check runs each check in a child of itself, the
# tool's tests start the tool) need the kernel to hand those aarch64 programs to qemu too.
# Where the kernel allows it (Linux 6.7 and later), the program runs in a user and mount
# namespace of its own with a private binfmt_misc that does so; the machine's own binfmt
# settings are left alone. Elsewhere it runs under qemu alone, and a child fails to start.
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: scripts/run-arm64.sh PROGRAM [ARG...]" >&2; exit 2; }

qemu=$(command -v qemu-aarch64 || command -v qemu-aarch64-static || true)
if [ -z "$qemu" ]; then
  echo "run-arm64: no qemu-aarch64 (run scripts/setup.sh arm64)" >&2
  exit 2
fi
export QEMU_LD_PREFIX=/usr/aarch64-linux-gnu

# The ELF header of an aarch64 program, and which of its bits to compare.
magic='\x7fELF\x02\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\xb7\x00'
mask='\xff\xff\xff\xff\xff\xff\xff\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
if [ -z "${KEELVANE_ARM64_NAMESPACE:-}" ] && [ -z "${KEELVANE_ARM64_PLAIN:-}" ]; then
  # Inside: mount a private binfmt_misc, register qemu for aarch64 programs ('F': the
  # kernel keeps qemu open, so it is found from any folder), then run the program there.
  inner='mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null &&
         printf ":keelvane-aarch64:M::%s:%s:%s:F" "$1" "$2" "$3" > /proc/sys/fs/binfmt_misc/register &&
         shift 3 && exec "$@"'
  if KEELVANE_ARM64_NAMESPACE=1 unshare --user --map-root-user --mount \
       sh -c "$inner" sh "$magic" "$mask" "$qemu" true 2>/dev/null; then
    exec env KEELVANE_ARM64_NAMESPACE=1 unshare --user --map-root-user --mount \
      sh -c "$inner" sh "$magic" "$mask" "$qemu" "$qemu" "$@"
  fi
  export KEELVANE_ARM64_PLAIN=1
fi
exec "$qemu" "$@"
