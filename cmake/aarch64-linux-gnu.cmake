# Cross-build for aarch64 Linux with Debian's GCC, run under qemu-aarch64 (user mode), so
# that the suites run the arm64 instructions the macOS deliverable runs.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(KEELVANE_ARM64_TRIPLE aarch64-linux-gnu)
set(CMAKE_C_COMPILER ${KEELVANE_ARM64_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KEELVANE_ARM64_TRIPLE}-g++)

# The target's libraries and headers: Debian's cross sysroot (libc6-dev-arm64-cross), with
# the C library and the compiler's runtime alone. GoogleTest is built from source, the
# header-only libraries come from the build machine, and the host reads the icon with
# its own TIFF reader, as in the Windows build.
set(CMAKE_FIND_ROOT_PATH /usr/${KEELVANE_ARM64_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# qemu-aarch64 runs the test programs, and the programs they start, through
# scripts/run-arm64.sh.
set(KEELVANE_ARM64 ON)
get_filename_component(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/run-arm64.sh ABSOLUTE)

# Header-only libraries come from the build machine (cmake/cross/Find*.cmake).
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/cross)
