#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <thread>

#include "child_process.h"

extern char** environ;

namespace kvcheck {

std::string ChildEnd::Describe() const {
  if (timedOut) return "killed at its time limit";
  if (exited) return "exit status " + std::to_string(code);
  const char* name = sigabbrev_np(signal);
  return "signal " + std::to_string(signal) + (name != nullptr ? std::string(" (SIG") + name + ")" : "");
}

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::string& program,
                                                  const std::vector<std::string>& args,
                                                  const std::filesystem::path& out,
                                                  const std::filesystem::path& err,
                                                  std::string* error) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> store(args);
  std::vector<char*> argv;
  for (std::string& a : store) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int failed = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) {
    *error = "cannot start " + program + ": " + std::strerror(failed);
    return nullptr;
  }
  std::unique_ptr<ChildProcess> child(new ChildProcess);
  child->handle_ = pid;
  return child;
}

ChildProcess::~ChildProcess() {
  if (!ended_) Kill();
}

bool ChildProcess::Wait(int milliseconds) {
  const auto pid = static_cast<pid_t>(handle_);
  for (int waited = 0;; waited += 5) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      ended_ = true;
      end_.exited = WIFEXITED(status);
      end_.code = end_.exited ? WEXITSTATUS(status) : 0;
      end_.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
      return true;
    }
    if (r < 0) {  // not our child any more: nothing to wait for
      ended_ = true;
      end_.exited = true;
      end_.code = -1;
      return true;
    }
    if (waited >= milliseconds) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

void ChildProcess::Kill() {
  if (ended_) return;
  ::kill(static_cast<pid_t>(handle_), SIGKILL);
  int status = 0;
  ::waitpid(static_cast<pid_t>(handle_), &status, 0);
  ended_ = true;
  end_ = ChildEnd{};
  end_.timedOut = true;
}

bool StdoutIsTerminal() { return ::isatty(1) == 1; }

std::int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t size = 0;
  std::int64_t resident = 0;
  if (!(statm >> size >> resident)) return 0;
  return resident * static_cast<std::int64_t>(::sysconf(_SC_PAGESIZE));
}

double EmulationSlowdown() {
#if defined(KEELVANE_EMULATED)
  return 20.0;  // qemu user-mode translates every instruction
#else
  return 1.0;
#endif
}

std::string ProgramAsCalled() {
  std::ifstream cmdline("/proc/self/cmdline", std::ios::binary);
  std::string first;
  if (cmdline && std::getline(cmdline, first, '\0') && !first.empty()) return first;
  return "keelvane";
}

}  // namespace kvcheck
