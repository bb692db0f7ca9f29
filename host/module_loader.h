// The one platform-dependent piece of the host: opening a shared library, finding an
// exported symbol, closing it again, and where the running program lives.
#pragma once

#include <string>

namespace kvhost {

// Opens the library at path; null with *error set when it cannot be loaded.
void* OpenLibrary(const std::string& path, std::string* error);
// Address of the exported symbol, or null.
void* FindSymbol(void* library, const char* name);
void CloseLibrary(void* library);
// The running program's own file (UTF-8); empty when the system does not say.
std::string ExecutablePath();

}  // namespace kvhost
