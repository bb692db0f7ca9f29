# Cross-build for Windows x64 with MinGW-w64 (posix thread model), run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KEELVANE_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KEELVANE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEELVANE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${KEELVANE_MINGW_TRIPLE}-windres)
set(CMAKE_OBJDUMP ${KEELVANE_MINGW_TRIPLE}-objdump)
set(CMAKE_STRIP ${KEELVANE_MINGW_TRIPLE}-strip)

set(CMAKE_FIND_ROOT_PATH /usr/${KEELVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime everywhere: otherwise every program and the module need
# libstdc++-6.dll, libgcc_s_seh-1.dll and libwinpthread-1.dll beside them. No link time in
# the module's header, so that the same sources link to the same bytes.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_SHARED_LINKER_FLAGS_INIT -static)
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

# Wine runs the test programs. Debian's wine64 package keeps it out of the PATH.
find_program(KEELVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(KEELVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KEELVANE_WINE})
endif()

# Header-only libraries come from the build machine (cmake/cross/Find*.cmake).
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/cross)
