// The constants that differ between the module's two platform builds. The Windows build
// is the default; KEELVANE_FLAVOUR_MACOS selects the macOS build.
#pragma once

#include "ge_types.h"

#if defined(KEELVANE_FLAVOUR_MACOS)
// Lowest host API version the module accepts.
constexpr Int32 MIN_HOST_API_VERSION = KV_MIN_API_VERSION_MACOS;
// What the module record carries in its framework-version fields at load.
constexpr std::uint64_t kFrameworkVersionAtLoad = 0;
#else
constexpr Int32 MIN_HOST_API_VERSION = KV_MIN_API_VERSION_WINDOWS;
constexpr std::uint64_t kFrameworkVersionAtLoad = 2025000;
#endif
