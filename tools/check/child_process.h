// A check's child process: started from this program's own executable with its stdout and
// stderr in files, waited for with a time limit, and killed when it overruns. The one
// platform-dependent piece of `keelvane check` (POSIX spawn and waitpid; CreateProcess
// and WaitForSingleObject on Windows).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kvcheck {

// How a child ended.
struct ChildEnd {
  bool exited = false;  // returned from main or called exit
  int code = 0;         // its exit code when exited
  int signal = 0;       // the signal (POSIX) or exception code (Windows) that ended it
  bool timedOut = false;  // killed by us at its time limit

  // "exit status 3", "signal 11 (SIGSEGV)", "exception 0xC0000005", "killed after 60 s".
  std::string Describe() const;
};

class ChildProcess {
 public:
  // Starts program with args (args[0] is the program's name as it sees it); stdout and
  // stderr go to the files, stdin is empty. Null with *error when it cannot start.
  static std::unique_ptr<ChildProcess> Start(const std::string& program,
                                             const std::vector<std::string>& args,
                                             const std::filesystem::path& out,
                                             const std::filesystem::path& err,
                                             std::string* error);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Waits up to milliseconds; true once the child has ended (see End()).
  bool Wait(int milliseconds);
  // Ends the child at once and waits for it; End() then says timedOut.
  void Kill();
  const ChildEnd& End() const { return end_; }

 private:
  ChildProcess() = default;
  std::intptr_t handle_ = 0;  // pid on POSIX, process HANDLE on Windows
  bool ended_ = false;
  ChildEnd end_;
};

// Whether stdout is a terminal (for the progress bar).
bool StdoutIsTerminal();
// The process's resident memory in bytes; 0 when the system does not say.
std::int64_t ResidentBytes();
// The program's name as the user called it (its first command-line word), for a line
// that repeats the command; "keelvane" when the system does not say.
std::string ProgramAsCalled();
// How many times slower than native this process runs the module: 1 natively, more under
// user-mode emulation (qemu for the arm64 build, KEELVANE_EMULATED) or Wine.
double EmulationSlowdown();

}  // namespace kvcheck
