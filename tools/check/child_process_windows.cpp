#include <windows.h>
#include <io.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>

#include "child_process.h"

namespace kvcheck {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

// One argument quoted the way the C runtime splits a command line again.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  std::size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out.push_back(c);
  }
  out.append(slashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

HANDLE OpenForChild(const std::filesystem::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  return CreateFileW(path.empty() ? L"NUL" : path.wstring().c_str(),
                     write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

}  // namespace

std::string ChildEnd::Describe() const {
  if (timedOut) return "killed at its time limit";
  if (exited) return "exit status " + std::to_string(code);
  char text[32];
  std::snprintf(text, sizeof text, "exception 0x%08X", static_cast<unsigned>(signal));
  return text;
}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& program,
                                                  const std::vector<std::string>& args,
                                                  const std::filesystem::path& out,
                                                  const std::filesystem::path& err,
                                                  std::string* error) {
  std::wstring line;
  for (const std::string& a : args) {
    if (!line.empty()) line.push_back(L' ');
    line += Quote(Wide(a));
  }
  HANDLE in = OpenForChild({}, false);
  HANDLE outFile = OpenForChild(out, true);
  HANDLE errFile = OpenForChild(err, true);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in;
  startup.hStdOutput = outFile;
  startup.hStdError = errFile;
  PROCESS_INFORMATION info{};
  const BOOL started = CreateProcessW(Wide(program).c_str(), line.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  for (HANDLE h : {in, outFile, errFile}) {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  if (!started) {
    *error = "cannot start " + program + ": error " + std::to_string(GetLastError());
    return nullptr;
  }
  CloseHandle(info.hThread);
  std::unique_ptr<ChildProcess> child(new ChildProcess);
  child->handle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
  return child;
}

ChildProcess::~ChildProcess() {
  if (!ended_) Kill();
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool ChildProcess::Wait(int milliseconds) {
  HANDLE process = reinterpret_cast<HANDLE>(handle_);
  if (WaitForSingleObject(process, static_cast<DWORD>(milliseconds)) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(process, &code);
  ended_ = true;
  // Exit codes from 0xC0000000 up are the exceptions that ended the process.
  end_.exited = code < 0xC0000000u;
  end_.code = end_.exited ? static_cast<int>(code) : 0;
  end_.signal = end_.exited ? 0 : static_cast<int>(code);
  return true;
}

void ChildProcess::Kill() {
  if (ended_) return;
  HANDLE process = reinterpret_cast<HANDLE>(handle_);
  TerminateProcess(process, 1);
  WaitForSingleObject(process, INFINITE);
  ended_ = true;
  end_ = ChildEnd{};
  end_.timedOut = true;
}

bool StdoutIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

std::int64_t ResidentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
  return static_cast<std::int64_t>(counters.WorkingSetSize);
}

double EmulationSlowdown() {
  // Wine's ntdll exports its version; Windows' own does not.
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  const bool wine = ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
  return wine ? 4.0 : 1.0;
}

std::string ProgramAsCalled() {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string first = "keelvane";
  if (words != nullptr && count > 0) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, words[0], -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
      first.assign(static_cast<std::size_t>(n - 1), '\0');
      WideCharToMultiByte(CP_UTF8, 0, words[0], -1, first.data(), n, nullptr, nullptr);
    }
  }
  if (words != nullptr) LocalFree(words);
  return first;
}

}  // namespace kvcheck
