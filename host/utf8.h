// The one UTF-8 check of the host, for strings made through the St table, strings read
// from files and resource files.
#pragma once

#include <string_view>

namespace kvhost {

// True when bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

}  // namespace kvhost
