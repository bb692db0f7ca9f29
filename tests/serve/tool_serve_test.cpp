// `keelvane serve` as a user runs it: it prints its address, answers there, and stops
// cleanly on Ctrl-C (SIGINT) and on SIGTERM.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include <httplib.h>

namespace {

#ifdef KEELVANE_TOOL

struct Served {
  pid_t pid = -1;
  FILE* out = nullptr;
  std::string firstLine;
};

Served Start(const std::vector<std::string>& extra) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return {};
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], STDOUT_FILENO);
    ::dup2(pipeFds[1], STDERR_FILENO);
    ::close(pipeFds[0]);
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

// The rest of the output and the exit status after signal.
std::pair<std::string, int> StopWith(Served& s, int signal) {
  ::kill(s.pid, signal);
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

TEST(ToolServe, PrintsItsAddressAnswersThereAndStopsOnSignals) {
  for (const int signal : {SIGINT, SIGTERM}) {
    Served s = Start({"--port", "0"});
    const int port = PortOf(s.firstLine);
    ASSERT_GT(port, 0) << s.firstLine;
    httplib::Client client("127.0.0.1", port);
    auto res = client.Get("/api/state");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    auto [rest, status] = StopWith(s, signal);
    EXPECT_EQ(status, 0) << rest;
    EXPECT_NE(rest.find("keelvane serve: stopped"), std::string::npos) << rest;
  }
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
