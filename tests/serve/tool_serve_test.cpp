// `keelvane serve` as a user runs it: it prints its address, answers there, stops
// cleanly and quickly on Ctrl-C (SIGINT) and on SIGTERM whatever its clients do, at once
// on a second signal, and refuses a port that is taken.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "server_fixture.h"

namespace {

#ifdef KEELVANE_TOOL

struct Served {
  pid_t pid = -1;
  FILE* out = nullptr;
  std::string firstLine;
};

// Starts the tool's serve command with extra arguments; tmp, when given, as its TMPDIR.
Served Start(const std::vector<std::string>& extra, const std::string& tmp = "") {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::dup2(pipeFds[1], STDERR_FILENO);
    ::close(pipeFds[0]);
    if (!tmp.empty()) ::setenv("TMPDIR", tmp.c_str(), 1);
    std::vector<std::string> args = {KEELVANE_TOOL, "--plugin", KEELVANE_PLUGIN_DIR, "serve"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  Served s{pid, ::fdopen(pipeFds[0], "r"), ""};
  char line[512];
  if (std::fgets(line, sizeof line, s.out) != nullptr) s.firstLine = line;
  return s;
}

// The rest of the output and the exit status after signals, sent in order.
std::pair<std::string, int> StopWith(Served& s, const std::vector<int>& signals) {
  for (const int signal : signals) ::kill(s.pid, signal);
  std::string rest;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, s.out) != nullptr) rest += buffer;
  std::fclose(s.out);
  int status = 0;
  ::waitpid(s.pid, &status, 0);
  return {rest, WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)};
}

int PortOf(const std::string& line) {
  const std::size_t at = line.find("http://127.0.0.1:");
  if (at == std::string::npos) return 0;
  return std::stoi(line.substr(at + 17));
}

// A client that has sent half a request head and waits.
int HalfRequest(int port) {
  const int fd = kvtool::Connect(port);
  ::send(fd, "GET / HT", 8, MSG_NOSIGNAL);
  return fd;
}

TEST(ToolServe, PrintsItsAddressAnswersThereAndStopsOnSignalsWhateverItsClientsDo) {
  namespace fs = std::filesystem;
  const fs::path tmp = fs::temp_directory_path() / ("keelvane-serve-test-" + std::to_string(::getpid()));
  const struct {
    std::vector<int> signals;
    int status;
  } cases[] = {{{SIGINT}, 0}, {{SIGTERM}, 0}, {{SIGINT, SIGINT}, -1}};
  for (const auto& c : cases) {
    fs::create_directories(tmp);
    Served s = Start({"--port", "0"}, tmp.string());
    const int port = PortOf(s.firstLine);
    ASSERT_GT(port, 0) << s.firstLine;
    auto res = kvtool::Client(port, {{"X-Keelvane-Panel", "1"}}).Get("/api/state");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_FALSE(fs::is_empty(tmp));  // its private folder
    const int slow = HalfRequest(port);
    const auto signalled = std::chrono::steady_clock::now();
    auto [rest, status] = StopWith(s, c.signals);
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(2));
    // A second signal may come after the stop is done, or end the process first.
    if (c.status >= 0) EXPECT_EQ(status, c.status) << rest;
    else EXPECT_TRUE(status == 0 || status == 128 + SIGINT) << status << rest;
    EXPECT_NE(rest.find("keelvane serve: stopped"), std::string::npos) << rest;
    EXPECT_TRUE(fs::is_empty(tmp)) << "the private folder is left behind";
    ::close(slow);
    fs::remove_all(tmp);
  }
}

TEST(ToolServe, ASecondServeOnTheSamePortFails) {
  Served first = Start({"--port", "0"});
  const int port = PortOf(first.firstLine);
  ASSERT_GT(port, 0) << first.firstLine;
  Served second = Start({"--port", std::to_string(port)});
  if (PortOf(second.firstLine) > 0) ::kill(second.pid, SIGTERM);  // it listens too: fail, not hang
  auto [secondOut, secondStatus] = StopWith(second, {});
  EXPECT_EQ(secondStatus, 1) << second.firstLine << secondOut;
  EXPECT_NE((second.firstLine + secondOut).find(std::to_string(port)), std::string::npos);
  StopWith(first, {SIGTERM});
}

// The output (stderr too) and exit status of the tool run with arguments.
std::pair<std::string, int> RunTool(const std::string& arguments) {
  FILE* p = ::popen((std::string(KEELVANE_TOOL) + " " + arguments + " 2>&1").c_str(), "r");
  std::string out;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, p) != nullptr) out += buffer;
  const int status = ::pclose(p);
  return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(ToolServe, BadPortOrPluginFolderFailsWithAMessage) {
  const auto [portOut, portStatus] = RunTool("serve --port 70000");
  EXPECT_EQ(portStatus, 2) << portOut;
  EXPECT_NE(portOut.find("--port"), std::string::npos) << portOut;

  const auto [pluginOut, pluginStatus] = RunTool("--plugin /nonexistent serve --port 0");
  EXPECT_EQ(pluginStatus, 1) << pluginOut;
  EXPECT_NE(pluginOut.find("no module"), std::string::npos) << pluginOut;
}

#endif

}  // namespace
