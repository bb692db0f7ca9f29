// `keelvane check`: runs every registered check against the module of a plug-in folder,
// each in a child process of this program (the hidden `--child NAME` mode), and reports
// a line per check and one final line. Exit status 0 only when every check passed.
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <random>
#include <sstream>

#include "check.h"
#include "check_support.h"
#include "child_process.h"
#include "commands.h"
#include "json_text.h"
#include "local_files.h"
#include "module_loader.h"
#include "plugin_session.h"
#include "tool_error.h"

namespace kvtool {
namespace fs = std::filesystem;
using kvcheck::CheckInfo;
using kvcheck::CheckResult;

namespace {

struct CheckOptions {
  int level = 2;
  std::optional<std::uint64_t> seed;
  std::vector<std::string> only;
  bool json = false;
  std::string child;  // hidden: run this one check here and write its result to stdout
  std::string scratch;  // hidden: the child's folder for scratch files (the run's own)
  int timeLimit = 0;  // hidden: seconds a check may run; 0: by level
};

struct Finding {
  std::string name;
  CheckResult result;
  double seconds = 0.0;
  std::string reproduce;
};

std::uint64_t CheckSeed(std::uint64_t seed, const std::string& name) {
  std::uint64_t h = seed ^ 0x9E3779B97F4A7C15ull;
  for (unsigned char c : name) h = (h ^ c) * 0x100000001B3ull;
  return h;
}

Json ResultJson(const CheckResult& r) {
  return Json{{"cases", r.cases}, {"faults_injected", r.faultsInjected}, {"passed", r.passed},
              {"seen", r.seen}, {"expected", r.expected}};
}

// The child's side: one check, its progress and then its result as lines on stdout.
int RunChild(const CheckOptions& options, const fs::path& plugin) {
  const CheckInfo* info = kvcheck::FindCheck(options.child);
  if (info == nullptr) throw ToolError(kStatusBadInput, "no check '" + options.child + "'");
  kvcheck::CheckContext context;
  context.plugin = plugin;
  context.scratch = options.scratch;
  context.level = options.level;
  context.seed = options.seed.value_or(0);
  context.random.seed(CheckSeed(context.seed, info->name));
  auto last = std::chrono::steady_clock::now() - std::chrono::seconds(1);
  std::string lastNow;
  context.progress = [&](std::int64_t done, std::int64_t total, const std::string& now) {
    const auto t = std::chrono::steady_clock::now();
    if (now == lastNow && t - last < std::chrono::milliseconds(50)) return;
    last = t;
    lastNow = now;
    std::printf("progress %lld %lld %s\n", static_cast<long long>(done),
                static_cast<long long>(total), now.c_str());
    std::fflush(stdout);
  };
  CheckResult result;
  try {
    info->run(context, result);
  } catch (const std::exception& e) {
    result.Fail(std::string("an error: ") + e.what(), "the check to run to its end");
  }
  std::printf("result %s\n", JsonText(ResultJson(result)).c_str());
  std::fflush(stdout);
  return kvcheck::kChildDone;
}

// The last few lines of a child's stderr, for a failure message.
std::string Tail(const std::string& text, std::size_t lines) {
  std::vector<std::string> all;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) all.push_back(line);
  }
  std::string out;
  for (std::size_t i = all.size() > lines ? all.size() - lines : 0; i < all.size(); ++i) {
    out += (out.empty() ? "" : " | ") + all[i];
  }
  return out;
}

// What a child has written so far, read on from where the last reading stopped (a
// thorough check writes a line per case, and the parent looks ten times a second).
struct ChildReport {
  fs::path path;
  std::size_t offset = 0;  // bytes of the whole lines read so far
  std::int64_t done = 0, total = 0;
  std::string now;
  std::optional<Json> result;

  void ReadOn() {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string line;
    while (std::getline(in, line) && !in.eof()) {  // only whole lines
      offset += line.size() + 1;
      Take(line);
    }
  }

  void Take(const std::string& line) {
    if (line.rfind("progress ", 0) == 0) {
      std::istringstream fields(line.substr(9));
      fields >> done >> total;
      std::getline(fields >> std::ws, now);
    } else if (line.rfind("result ", 0) == 0) {
      result = Json::parse(line.substr(7), nullptr, false);
      if (result->is_discarded()) result.reset();
    }
  }
};

void DrawProgress(const std::string& name, const ChildReport& report) {
  constexpr int kWidth = 30;
  const double part = report.total > 0 ? static_cast<double>(report.done) / report.total : 0.0;
  const int filled = static_cast<int>(std::min(1.0, part) * kWidth);
  std::cout << "\r" << std::left << std::setw(12) << name << " [" << std::string(filled, '#')
            << std::string(kWidth - filled, ' ') << "] " << report.done << "/" << report.total
            << "\x1b[K" << std::flush;
}

// Seconds a check may run before it counts as hung.
int TimeLimitSeconds(int level) { return 60 + 60 * level; }

Finding RunInChild(const CheckInfo& info, const CheckOptions& options, const fs::path& plugin,
                   const kvhost::ScratchFolder& scratch, bool bar) {
  Finding finding;
  finding.name = info.name;
  const std::string exe = kvhost::ExecutablePath();
  const std::vector<std::string> args{exe, "--plugin", plugin.string(), "check", "--level",
                                      std::to_string(options.level), "--seed",
                                      std::to_string(*options.seed), "--child", info.name,
                                      "--scratch", scratch.Path().string()};
  const fs::path out = scratch / (info.name + ".out");
  const fs::path err = scratch / (info.name + ".err");
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  auto child = kvcheck::ChildProcess::Start(exe, args, out, err, &error);
  if (child == nullptr) throw ToolError(kStatusFailed, error);
  const auto limit = std::chrono::seconds(options.timeLimit > 0 ? options.timeLimit : TimeLimitSeconds(options.level));
  ChildReport report;
  report.path = out;
  while (!child->Wait(100)) {
    report.ReadOn();
    if (bar) DrawProgress(info.name, report);
    if (std::chrono::steady_clock::now() - start > limit) child->Kill();
  }
  finding.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (bar) std::cout << "\r\x1b[K" << std::flush;
  report.ReadOn();
  const kvcheck::ChildEnd& end = child->End();
  const std::string stderrTail = Tail(kvhost::ReadWholeFile(err).value_or(""), 3);
  if (report.result) {
    const Json& r = *report.result;
    finding.result.cases = r.value("cases", std::int64_t{0});
    finding.result.faultsInjected = r.value("faults_injected", std::int64_t{0});
    if (!r.value("passed", false)) {
      finding.result.Fail(r.value("seen", std::string()), r.value("expected", std::string()));
    }
  } else {
    finding.result.cases = report.done;
  }
  const bool clean = end.exited && end.code == kvcheck::kChildDone;
  if (!clean || !report.result) {
    std::string seen = "the check's process ended: " + end.Describe();
    if (!report.now.empty()) seen += " during " + report.now;
    if (!stderrTail.empty()) seen += "; stderr: " + stderrTail;
    if (finding.result.passed) {
      finding.result.Fail(seen, "the check to end with its result and exit status 0");
    } else {
      finding.result.seen += "; then " + seen;
    }
  }
  std::ostringstream repro;
  repro << "keelvane --plugin " << plugin.string() << " check --level " << options.level
        << " --seed " << *options.seed << " --only " << info.name;
  finding.reproduce = repro.str();
  return finding;
}

void PrintFinding(const Finding& f) {
  std::cout << std::left << std::setw(12) << f.name << (f.result.passed ? "pass" : "FAIL")
            << "  " << std::right << std::setw(7) << f.result.cases << " cases";
  if (f.result.faultsInjected > 0) std::cout << "  " << f.result.faultsInjected << " faults injected";
  std::cout << "  " << std::fixed << std::setprecision(2) << f.seconds << " s\n";
  if (f.result.passed) return;
  std::cout << "  seen:      " << f.result.seen << "\n"
            << "  expected:  " << f.result.expected << "\n"
            << "  reproduce: " << f.reproduce << "\n";
}

int RunChecks(const CheckOptions& given, const fs::path& plugin) {
  CheckOptions options = given;
  if (!options.seed) options.seed = std::random_device{}() | (std::uint64_t{std::random_device{}()} << 32);
  std::vector<CheckInfo> checks;
  for (const CheckInfo& c : kvcheck::RegisteredChecks()) {
    if (options.only.empty() ||
        std::find(options.only.begin(), options.only.end(), c.name) != options.only.end()) {
      checks.push_back(c);
    }
  }
  for (const std::string& name : options.only) {
    if (kvcheck::FindCheck(name) == nullptr) throw ToolError(kStatusBadInput, "no check '" + name + "'");
  }
  ModuleFileOf(plugin);  // a folder without a module is refused before any check runs
  const kvhost::ScratchFolder scratch("check");

  const bool bar = !options.json && kvcheck::StdoutIsTerminal();
  if (!options.json) {
    std::cout << "keelvane check: " << plugin.string() << ", level " << options.level
              << ", seed " << *options.seed << "\n";
  }
  std::vector<Finding> findings;
  int failed = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const CheckInfo& info : checks) {
    findings.push_back(RunInChild(info, options, plugin, scratch, bar));
    if (!findings.back().result.passed) ++failed;
    if (!options.json) PrintFinding(findings.back());
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int passed = static_cast<int>(findings.size()) - failed;
  if (options.json) {
    Json all = Json::array();
    for (const Finding& f : findings) {
      Json j{{"name", f.name}};
      j.update(ResultJson(f.result));
      j["seconds"] = f.seconds;
      if (!f.result.passed) j["reproduce"] = f.reproduce;
      all.push_back(j);
    }
    std::cout << JsonText(Json{{"plugin", plugin.string()}, {"level", options.level},
                               {"seed", *options.seed}, {"checks", all}, {"passed", passed},
                               {"failed", failed}, {"seconds", seconds}})
              << "\n";
  } else {
    std::cout << passed << " passed, " << failed << " failed\n";
  }
  return failed == 0 ? kStatusOk : kStatusFailed;
}

}  // namespace

void AddCheckCommand(CLI::App& app, std::vector<Command>& commands) {
  auto options = std::make_shared<CheckOptions>();
  std::string names;
  for (const CheckInfo& c : kvcheck::RegisteredChecks()) names += "\n  " + c.name + ": " + c.summary;
  CLI::App* sub = app.add_subcommand(
      "check", "validates the module of the plug-in folder as a packager would: each check in "
               "a process of its own, one line per check, then 'N passed, N failed'; exit "
               "status 0 only when all pass. The checks:" + names);
  sub->add_option("--level", options->level, "1 a quick smoke run .. 5 thorough (default 2)")
      ->check(CLI::Range(1, 5));
  sub->add_option("--seed", options->seed, "seed of every random choice (default: a random one, printed)");
  sub->add_option("--only", options->only, "run only this check (repeatable)");
  sub->add_flag("--json", options->json, "one JSON object with every check's figures");
  sub->add_option("--child", options->child)->group("");  // the check's own process
  sub->add_option("--scratch", options->scratch)->group("");
  sub->add_option("--time-limit", options->timeLimit)->group("");  // for the tests of a hang
  commands.push_back({"check", sub, [options](const ToolOptions& tool) {
                        const fs::path plugin = fs::absolute(ChoosePluginFolder(tool.plugin));
                        if (!options->child.empty()) return RunChild(*options, plugin);
                        return RunChecks(*options, plugin);
                      }});
}

}  // namespace kvtool
