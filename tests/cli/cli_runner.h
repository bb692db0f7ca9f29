// Runs the built keelvane binary as a user does, in a subprocess with its own stdin,
// stdout and stderr, and gives back what it printed and its exit status.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "local_files.h"
#include "tool_error.h"

extern char** environ;

namespace kvcli {

struct Result {
  int status = -1;
  std::string out;
  std::string err;
};

// The file's bytes; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  return kvhost::ReadWholeFile(path).value_or("");
}
inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
  kvhost::WriteWholeFile(path, text);
}

// A fresh folder, removed with the object.
class TempDir : public kvhost::ScratchFolder {
 public:
  TempDir() : ScratchFolder("cli") {}

  // Names of the entries in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Path())) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

// Runs keelvane with args; input is its stdin. The environment is the test's own without
// KEELVANE_PLUGIN, with the entries of extraEnv ("NAME=value") added or in place of the
// test's own.
inline Result Keelvane(const std::vector<std::string>& args, const std::string& input = "",
                  const std::vector<std::string>& extraEnv = {}) {
  TempDir io;
  WriteFile(io / "stdin", input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, (io / "stdin").c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, (io / "stdout").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, (io / "stderr").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::vector<std::string> argStore{KEELVANE_TOOL};
  argStore.insert(argStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  std::vector<std::string> envStore;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('=') + 1);
    const bool replaced = std::any_of(extraEnv.begin(), extraEnv.end(),
                                      [&](const std::string& x) { return x.rfind(name, 0) == 0; });
    if (name != "KEELVANE_PLUGIN=" && !replaced) envStore.push_back(entry);
  }
  envStore.insert(envStore.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (std::string& e : envStore) envp.push_back(e.data());
  envp.push_back(nullptr);

  Result result;
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, KEELVANE_TOOL, &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    ADD_FAILURE() << "cannot start " << KEELVANE_TOOL;
    return result;
  }
  int wstatus = 0;
  ::waitpid(pid, &wstatus, 0);
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  result.out = ReadFile(io / "stdout");
  result.err = ReadFile(io / "stderr");
  return result;
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::string LastLine(const std::string& text) {
  const auto lines = Lines(text);
  return lines.empty() ? "" : lines.back();
}

// Each line of text as one JSON document.
inline std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> docs;
  for (const std::string& line : Lines(text)) docs.push_back(nlohmann::json::parse(line));
  return docs;
}

}  // namespace kvcli
