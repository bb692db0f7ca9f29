// Shared-library loading for Windows hosts (LoadLibraryW); POSIX hosts use
// module_loader_posix.cpp. Paths arrive as UTF-8 with either separator.
#include "module_loader.h"

#include <windows.h>

#include <cstdint>

namespace kvhost {
namespace {

std::wstring WidePath(const std::string& path) {
  std::wstring wide;
  const int length = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  if (length > 0) {
    wide.resize(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), length);
  }
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
      reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
  if (text != nullptr) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ')) {
    message.pop_back();
  }
  return message.empty() ? "cannot be loaded" : message;
}

}  // namespace

void* OpenLibrary(const std::string& path, std::string* error) {
  // A headless host must not stop at a system message box about a broken file.
  DWORD previousMode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  HMODULE library = path.empty() ? nullptr : LoadLibraryExW(WidePath(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  const DWORD code = path.empty() ? ERROR_MOD_NOT_FOUND : GetLastError();
  SetThreadErrorMode(previousMode, nullptr);
  if (library == nullptr && error != nullptr) *error = SystemMessage(code);
  return library;
}

void* FindSymbol(void* library, const char* name) {
  FARPROC address = GetProcAddress(static_cast<HMODULE>(library), name);
  return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(address));
}

void CloseLibrary(void* library) {
  if (library != nullptr) FreeLibrary(static_cast<HMODULE>(library));
}

std::string ExecutablePath() {
  wchar_t wide[32768];
  const DWORD length = GetModuleFileNameW(nullptr, wide, static_cast<DWORD>(sizeof(wide) / sizeof(wide[0])));
  if (length == 0) return std::string();
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string path(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
  if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), path.data(), bytes, nullptr, nullptr);
  return path;
}

}  // namespace kvhost
