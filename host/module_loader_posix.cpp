// Shared-library loading for POSIX hosts (dlopen); the Windows build uses module_loader_windows.cpp.
#include "module_loader.h"

#include <filesystem>

#include <dlfcn.h>

namespace kvhost {

void* OpenLibrary(const std::string& path, std::string* error) {
  void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr && error != nullptr) {
    const char* reason = dlerror();
    *error = reason != nullptr ? reason : "cannot be loaded";
  }
  return library;
}

void* FindSymbol(void* library, const char* name) { return dlsym(library, name); }

void CloseLibrary(void* library) {
  if (library != nullptr) dlclose(library);
}

std::string ExecutablePath() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.string();
}

}  // namespace kvhost
