// The one platform-dependent piece of the host: opening a shared library, finding an
// exported symbol, closing it again.
#pragma once

#include <string>

namespace kvhost {

// Opens the library at path; null with *error set when it cannot be loaded.
void* OpenLibrary(const std::string& path, std::string* error);
// Address of the exported symbol, or null.
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);

}  // namespace kvhost
