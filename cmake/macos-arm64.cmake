# The macOS deliverable, KeelvaneR2025.xlib for arm64, built on a Mac with Apple's
# toolchain (Xcode or its Command Line Tools). Nothing else can build it: the module is
# a Mach-O bundle linked against Apple's runtime.
if(NOT CMAKE_HOST_SYSTEM_NAME STREQUAL "Darwin")
  message(FATAL_ERROR
    "The macos preset builds KeelvaneR2025.xlib with Apple's toolchain and works on a Mac "
    "only; this machine runs ${CMAKE_HOST_SYSTEM_NAME}. Here, use the default preset (the "
    "Linux build and its tests) or the mingw preset (keelvane.xdl64 for Windows).")
endif()

set(CMAKE_C_COMPILER /usr/bin/clang)
set(CMAKE_CXX_COMPILER /usr/bin/clang++)
set(CMAKE_OSX_ARCHITECTURES arm64)
# The oldest macOS the bundle loads on.
set(CMAKE_OSX_DEPLOYMENT_TARGET 12.0)
