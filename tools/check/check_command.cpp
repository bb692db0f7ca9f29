// `keelvane check`: runs every registered check against the module of a plug-in folder,
// each in a child process of this program (the hidden `--child NAME` mode), and reports
// a line per check as it ends and one final line. Exit status 0 only when every check
// passed.
#include <atomic>
#include <charconv>
#include <csignal>
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
#include "output_file.h"
#include "plugin_session.h"
#include "tool_error.h"

namespace kvtool {
namespace fs = std::filesystem;
using kvcheck::CheckInfo;
using kvcheck::CheckResult;

namespace {

// The child that only loads the module, so that a module that cannot load is reported
// once, with the loader's reason, instead of by every check.
constexpr const char* kLoadProbe = "load-probe";

struct CheckOptions {
  int level = 2;
  std::string seedText;  // --seed as typed; empty: a random seed
  std::uint64_t seed = 0;
  std::vector<std::string> only;
  std::vector<std::string> exclude;
  bool list = false;
  bool json = false;
  std::string junit;
  int timeLimit = 0;  // seconds a check may run; 0: by level
  std::string flavour;  // win or mac; empty: the folder's own
  std::vector<std::string> plugins;  // --plugin after the command's name (repeatable)
  fs::path other;       // the second plug-in folder, for the exchange check; empty: none
  kvcheck::Budgets budgets;
  std::string child;    // hidden: run this one check here and write its result to stdout
  std::string scratch;  // hidden: the child's folder for scratch files
};

struct Finding {
  std::string name;
  CheckResult result;
  double seconds = 0.0;
  std::string reproduce;
  fs::path kept;  // the check's scratch folder, kept for inspection after a failure
  bool hung = false;
};

std::uint64_t CheckSeed(std::uint64_t seed, const std::string& name) {
  std::uint64_t h = seed ^ 0x9E3779B97F4A7C15ull;
  for (unsigned char c : name) h = (h ^ c) * 0x100000001B3ull;
  return h;
}

std::uint64_t ParseSeed(const std::string& text) {
  std::uint64_t seed = 0;
  const char* end = text.data() + text.size();
  const auto [at, error] = std::from_chars(text.data(), end, seed);
  if (text.empty() || error != std::errc() || at != end) {
    Refuse("--seed '" + text + "' is not a whole number from 0 to 18446744073709551615");
  }
  return seed;
}

std::string CheckNames() {
  std::string names;
  for (const CheckInfo& c : kvcheck::RegisteredChecks()) names += (names.empty() ? "" : ", ") + c.name;
  return names;
}

void RefuseUnknownChecks(const std::vector<std::string>& names, const std::string& option) {
  for (const std::string& name : names) {
    if (kvcheck::FindCheck(name) == nullptr) {
      Refuse(option + ": no check '" + name + "'; the checks are " + CheckNames());
    }
  }
}

// One word as a POSIX shell reads it back: plain when it holds only safe characters,
// else in single quotes.
std::string ShellWord(const std::string& word) {
  const bool plain = !word.empty() && word.find_first_not_of(
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_@%+=:,./-") == std::string::npos;
  if (plain) return word;
  std::string out = "'";
  for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::string ShellLine(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& w : words) line += (line.empty() ? "" : " ") + ShellWord(w);
  return line;
}

std::string Number(double x) {
  std::ostringstream out;
  out << x;
  return out.str();
}

// The options a child needs (and a reproduce line repeats) besides the check's name.
std::vector<std::string> CheckArguments(const CheckOptions& options) {
  std::vector<std::string> args;
  if (!options.other.empty()) args = {"--plugin", options.other.string()};
  args.insert(args.end(), {"--level", std::to_string(options.level), "--seed", std::to_string(options.seed)});
  if (!options.flavour.empty()) args.insert(args.end(), {"--flavour", options.flavour});
  const kvcheck::Budgets defaults;
  if (options.budgets.contourMicroseconds != defaults.contourMicroseconds) {
    args.insert(args.end(), {"--contour-budget", Number(options.budgets.contourMicroseconds)});
  }
  if (options.budgets.arrowKiB != defaults.arrowKiB) {
    args.insert(args.end(), {"--arrow-budget", Number(options.budgets.arrowKiB)});
  }
  if (options.budgets.loadMilliseconds != defaults.loadMilliseconds) {
    args.insert(args.end(), {"--load-budget", Number(options.budgets.loadMilliseconds)});
  }
  return args;
}

Json ResultJson(const CheckResult& r) {
  Json j{{"cases", r.cases}, {"faults_injected", r.faultsInjected}, {"passed", r.passed},
         {"seen", r.seen}, {"expected", r.expected}};
  if (!r.figures.empty()) j["figures"] = r.figures;
  return j;
}

// The child's side: one check, its progress and then its result as lines on stdout.
int RunChild(const CheckOptions& options, const fs::path& plugin) {
  auto line = [](const std::string& text) {
    std::fputs((text + "\n").c_str(), stdout);
    std::fflush(stdout);
  };
  if (options.child == kLoadProbe) {
    CheckResult result;
    try {
      kvhost::ResetHost();
      LoadPluginModule(plugin);
    } catch (const ToolError& e) {
      result.Fail(e.what(), "the module loads");
    }
    line("result " + JsonText(ResultJson(result)));
    return kvcheck::kChildDone;
  }
  const CheckInfo* info = kvcheck::FindCheck(options.child);
  if (info == nullptr) Refuse("no check '" + options.child + "'");
  kvcheck::CheckContext context;
  context.plugin = plugin;
  context.other = options.other;
  context.scratch = options.scratch;
  context.level = options.level;
  context.seed = options.seed;
  context.flavour = options.flavour;
  context.budgets = options.budgets;
  context.random.seed(CheckSeed(context.seed, info->name));
  auto last = std::chrono::steady_clock::now() - std::chrono::seconds(1);
  std::string lastNow;
  context.progress = [&](std::int64_t done, std::int64_t total, const std::string& now) {
    const auto t = std::chrono::steady_clock::now();
    if (now == lastNow && t - last < std::chrono::milliseconds(50)) return;
    last = t;
    lastNow = now;
    line("progress " + std::to_string(done) + " " + std::to_string(total) + " " + now);
  };
  context.step = [&](const std::string& step) { line("step " + step); };
  CheckResult result;
  try {
    info->run(context, result);
  } catch (const std::exception& e) {
    result.Fail(std::string("an error: ") + e.what(), "the check to run to its end");
  }
  line("result " + JsonText(ResultJson(result)));
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
  std::string now, step;
  std::optional<Json> result;
  std::chrono::steady_clock::time_point lastLine = std::chrono::steady_clock::now();

  void ReadOn() {
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    std::string line;
    while (std::getline(in, line) && !in.eof()) {  // only whole lines
      offset += line.size() + 1;
      lastLine = std::chrono::steady_clock::now();
      Take(line);
    }
  }

  void Take(const std::string& line) {
    if (line.rfind("progress ", 0) == 0) {
      std::istringstream fields(line.substr(9));
      fields >> done >> total;
      std::getline(fields >> std::ws, now);
      step.clear();
    } else if (line.rfind("step ", 0) == 0 || line == "step") {
      step = line.size() > 5 ? line.substr(5) : std::string();
    } else if (line.rfind("result ", 0) == 0) {
      result = Json::parse(line.substr(7), nullptr, false);
      if (result->is_discarded()) result.reset();
    }
  }

  // "case N of M (<now>), <step>": where the child was when last heard from.
  std::string Where() const {
    std::string where;
    if (!now.empty()) where = "case " + std::to_string(done + 1) + " of " + std::to_string(total) + " (" + now + ")";
    if (!step.empty()) where += (where.empty() ? "" : ", ") + step;
    return where;
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
int TimeLimitSeconds(const CheckOptions& options) {
  return options.timeLimit > 0 ? options.timeLimit : 60 + 60 * options.level;
}

// Once a check has hung, a later one that writes nothing for this long is taken for the
// same hang, so that a module that hangs in every check costs one time limit, not one per
// check.
int SilenceLimitSeconds(const CheckOptions& options) {
  const int limit = TimeLimitSeconds(options);
  return std::min(limit, std::max(5, limit / 10));
}

// An interruption (Ctrl-C, a termination request) ends the running child and the run, and
// the run's scratch folder goes with it.
std::atomic<int> g_interrupted{0};

extern "C" void OnInterrupt(int signal) { g_interrupted = signal; }

struct Run {
  const CheckOptions& options;
  const fs::path& plugin;
  const kvhost::ScratchFolder& scratch;
  bool bar = false;
  bool hungBefore = false;  // a check of this run has hung
};

Finding RunInChild(const CheckInfo& info, Run& run, const std::string& what) {
  Finding finding;
  finding.name = info.name;
  const std::string exe = kvhost::ExecutablePath();
  const fs::path folder = run.scratch / info.name;
  fs::create_directories(folder);
  std::vector<std::string> args{exe, "--plugin", run.plugin.string(), "check"};
  for (const std::string& a : CheckArguments(run.options)) args.push_back(a);
  args.insert(args.end(), {"--child", info.name, "--scratch", folder.string()});
  const fs::path out = folder / "stdout.txt";
  const fs::path err = folder / "stderr.txt";
  const auto start = std::chrono::steady_clock::now();
  std::string error;
  auto child = kvcheck::ChildProcess::Start(exe, args, out, err, &error);
  if (child == nullptr) throw ToolError(kStatusFailed, error);
  const int limit = TimeLimitSeconds(run.options);
  const int silence = SilenceLimitSeconds(run.options);
  ChildReport report;
  report.path = out;
  bool silent = false;
  while (!child->Wait(100)) {
    report.ReadOn();
    if (run.bar) DrawProgress(what, report);
    const auto now = std::chrono::steady_clock::now();
    if (g_interrupted != 0) {
      child->Kill();
      throw ToolError(kStatusFailed, "interrupted (signal " + std::to_string(g_interrupted.load()) + ")");
    }
    if (now - start > std::chrono::seconds(limit)) {
      child->Kill();
    } else if (run.hungBefore && now - report.lastLine > std::chrono::seconds(silence)) {
      silent = true;
      child->Kill();
    }
  }
  finding.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (run.bar) std::cout << "\r\x1b[K" << std::flush;
  report.ReadOn();
  const kvcheck::ChildEnd& end = child->End();
  const std::string stderrTail = Tail(kvhost::ReadWholeFile(err).value_or(""), 3);
  if (report.result) {
    const Json& r = *report.result;
    finding.result.cases = r.value("cases", std::int64_t{0});
    finding.result.faultsInjected = r.value("faults_injected", std::int64_t{0});
    finding.result.figures = r.value("figures", std::string());
    if (!r.value("passed", false)) {
      finding.result.Fail(r.value("seen", std::string()), r.value("expected", std::string()));
    }
  } else {
    finding.result.cases = report.done;
  }
  const bool clean = end.exited && end.code == kvcheck::kChildDone;
  if (!clean || !report.result) {
    std::string seen;
    if (end.timedOut && run.hungBefore) {
      seen = "the check hung, as an earlier one did: killed after " +
             std::to_string(silent ? silence : limit) + " s " + (silent ? "of silence" : "at its time limit");
    } else if (end.timedOut) {
      seen = "the check hung: killed at its time limit of " + std::to_string(limit) + " s";
    } else {
      seen = "the check's process ended: " + end.Describe();
    }
    finding.hung = end.timedOut;
    if (const std::string where = report.Where(); !where.empty()) seen += " during " + where;
    if (!stderrTail.empty()) seen += "; stderr: " + stderrTail;
    if (finding.result.passed) {
      finding.result.Fail(seen, "the check to end with its result and exit status 0");
    } else {
      finding.result.seen += "; then " + seen;
    }
  }
  std::vector<std::string> repro{kvcheck::ProgramAsCalled(), "--plugin", run.plugin.string(), "check"};
  for (const std::string& a : CheckArguments(run.options)) repro.push_back(a);
  repro.insert(repro.end(), {"--only", info.name});
  finding.reproduce = ShellLine(repro);
  return finding;
}

// A failed check's scratch folder (its files and the child's output) moved out of the
// run's folder, which goes at the end of the run: "keelvane-check-<check>-seed<seed>-<n>"
// in the temporary folder, apart from every other run's.
fs::path KeepForInspection(const fs::path& folder, const std::string& name, std::uint64_t seed) {
  std::random_device random;
  const fs::path kept = fs::temp_directory_path() / ("keelvane-check-" + name + "-seed" + std::to_string(seed) +
                                                     "-" + std::to_string(random() % 1000000));
  std::error_code ec;
  if (fs::exists(kept, ec)) return KeepForInspection(folder, name, seed);
  fs::rename(folder, kept, ec);
  if (ec) {
    fs::copy(folder, kept, fs::copy_options::recursive, ec);
    if (ec) return {};
  }
  return kept;
}

void PrintFinding(const Finding& f) {
  std::cout << std::left << std::setw(12) << f.name << (f.result.passed ? "pass" : "FAIL")
            << "  " << std::right << std::setw(7) << f.result.cases << " cases";
  if (f.result.faultsInjected > 0) std::cout << "  " << f.result.faultsInjected << " faults injected";
  std::cout << "  " << std::fixed << std::setprecision(2) << f.seconds << " s";
  std::cout.unsetf(std::ios::floatfield);
  if (!f.result.figures.empty()) std::cout << "  " << f.result.figures;
  std::cout << "\n";
  if (!f.result.passed) {
    std::cout << "  seen:      " << f.result.seen << "\n"
              << "  expected:  " << f.result.expected << "\n"
              << "  reproduce: " << f.reproduce << "\n";
    if (!f.kept.empty()) std::cout << "  kept:      " << f.kept.string() << "\n";
  }
  std::cout << std::flush;
}

std::string XmlText(const std::string& text) {
  std::string out;
  for (const unsigned char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        // XML 1.0 allows no control characters but tab, newline and carriage return.
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out += "?";
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string JunitReport(const std::vector<Finding>& findings, const CheckOptions& options,
                        const fs::path& plugin, double seconds) {
  int failures = 0;
  for (const Finding& f : findings) failures += f.result.passed ? 0 : 1;
  std::ostringstream x;
  x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    << "<testsuites name=\"keelvane check\" tests=\"" << findings.size() << "\" failures=\"" << failures
    << "\" time=\"" << seconds << "\">\n"
    << "  <testsuite name=\"keelvane check\" tests=\"" << findings.size() << "\" failures=\"" << failures
    << "\" errors=\"0\" skipped=\"0\" time=\"" << seconds << "\">\n"
    << "    <properties>\n"
    << "      <property name=\"plugin\" value=\"" << XmlText(plugin.string()) << "\"/>\n"
    << "      <property name=\"level\" value=\"" << options.level << "\"/>\n"
    << "      <property name=\"seed\" value=\"" << options.seed << "\"/>\n"
    << "    </properties>\n";
  for (const Finding& f : findings) {
    x << "    <testcase classname=\"keelvane.check\" name=\"" << XmlText(f.name) << "\" time=\"" << f.seconds
      << "\">\n";
    std::string out = std::to_string(f.result.cases) + " cases, " + std::to_string(f.result.faultsInjected) +
                      " faults injected";
    if (!f.result.figures.empty()) out += ", " + f.result.figures;
    if (!f.result.passed) {
      x << "      <failure message=\"" << XmlText(f.result.seen) << "\">" << XmlText("seen:      " + f.result.seen +
                                                                                    "\nexpected:  " + f.result.expected +
                                                                                    "\nreproduce: " + f.reproduce)
        << (f.kept.empty() ? "" : XmlText("\nkept:      " + f.kept.string())) << "</failure>\n";
    }
    x << "      <system-out>" << XmlText(out) << "</system-out>\n"
      << "    </testcase>\n";
  }
  x << "  </testsuite>\n</testsuites>\n";
  return x.str();
}

int RunChecks(const CheckOptions& given, const fs::path& plugin) {
  CheckOptions options = given;
  options.seed = options.seedText.empty()
                     ? (std::random_device{}() | (std::uint64_t{std::random_device{}()} << 32))
                     : ParseSeed(options.seedText);
  RefuseUnknownChecks(options.only, "--only");
  RefuseUnknownChecks(options.exclude, "--exclude");
  auto named = [](const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  std::vector<CheckInfo> checks;
  for (const CheckInfo& c : kvcheck::RegisteredChecks()) {
    if ((options.only.empty() || named(options.only, c.name)) && !named(options.exclude, c.name)) checks.push_back(c);
  }
  if (checks.empty()) Refuse("--only and --exclude leave no check to run");
  ModuleFileOf(plugin);  // a folder without a module is refused before any check runs
  if (!options.other.empty()) ModuleFileOf(options.other);
  const kvhost::ScratchFolder scratch("check");
  g_interrupted = 0;
  const auto previousInt = std::signal(SIGINT, OnInterrupt);
  const auto previousTerm = std::signal(SIGTERM, OnInterrupt);
  struct Restore {
    decltype(previousInt) i, t;
    ~Restore() {
      std::signal(SIGINT, i);
      std::signal(SIGTERM, t);
    }
  } restore{previousInt, previousTerm};

  Run run{options, plugin, scratch, !options.json && kvcheck::StdoutIsTerminal()};
  const CheckInfo probe{kLoadProbe, "", nullptr};
  Finding loaded = RunInChild(probe, run, "loading");
  if (!loaded.result.passed) throw ToolError(kStatusFailed, loaded.result.seen);
  if (!options.other.empty()) {
    CheckOptions alone = options;
    alone.other.clear();
    Run second{alone, options.other, scratch, run.bar};
    loaded = RunInChild(probe, second, "loading");
    if (!loaded.result.passed) throw ToolError(kStatusFailed, loaded.result.seen);
  }

  if (!options.json) {
    std::cout << "keelvane check: " << plugin.string()
              << (options.other.empty() ? std::string() : " with " + options.other.string()) << ", level "
              << options.level << ", seed " << options.seed << std::endl;
  }
  std::vector<Finding> findings;
  int failed = 0;
  const auto start = std::chrono::steady_clock::now();
  for (const CheckInfo& info : checks) {
    Finding f = RunInChild(info, run, info.name);
    run.hungBefore = run.hungBefore || f.hung;
    if (!f.result.passed) {
      ++failed;
      f.kept = KeepForInspection(scratch / info.name, info.name, options.seed);
    }
    if (!options.json) PrintFinding(f);
    findings.push_back(std::move(f));
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const int passed = static_cast<int>(findings.size()) - failed;
  if (!options.junit.empty()) WriteOutput(options.junit, JunitReport(findings, options, plugin, seconds));
  if (options.json) {
    Json all = Json::array();
    for (const Finding& f : findings) {
      Json j{{"name", f.name}};
      j.update(ResultJson(f.result));
      j["seconds"] = f.seconds;
      if (!f.result.passed) j["reproduce"] = f.reproduce;
      if (!f.kept.empty()) j["kept"] = f.kept.string();
      all.push_back(j);
    }
    Json report{{"plugin", plugin.string()}, {"level", options.level}, {"seed", options.seed}, {"checks", all},
                {"passed", passed}, {"failed", failed}, {"seconds", seconds}};
    if (!options.other.empty()) report["other_plugin"] = options.other.string();
    std::cout << JsonText(report) << std::endl;
  } else {
    std::cout << passed << " passed, " << failed << " failed" << std::endl;
  }
  return failed == 0 ? kStatusOk : kStatusFailed;
}

int ListChecks() {
  for (const CheckInfo& c : kvcheck::RegisteredChecks()) {
    std::cout << std::left << std::setw(12) << c.name << c.summary << "\n";
  }
  std::cout << std::flush;
  return kStatusOk;
}

}  // namespace

void AddCheckCommand(CLI::App& app, std::vector<Command>& commands) {
  auto options = std::make_shared<CheckOptions>();
  std::string names;
  for (const CheckInfo& c : kvcheck::RegisteredChecks()) names += "\n  " + c.name + ": " + c.summary;
  CLI::App* sub = app.add_subcommand(
      "check", "validates the module of the plug-in folder as a packager would: each check in "
               "a process of its own, one line per check as it ends, then 'N passed, N failed'; "
               "exit status 0 only when all pass. The checks:" + names);
  sub->add_option("--level", options->level, "1 a quick smoke run .. 5 thorough (default 2)")
      ->check(CLI::Range(1, 5));
  sub->add_option("--seed", options->seedText,
                  "seed of every random choice, 0 to 18446744073709551615 (default: a random one, printed)");
  sub->add_option("--only", options->only, "run only these checks (a comma list; repeatable)")->delimiter(',');
  sub->add_option("--exclude", options->exclude, "run all checks but these (a comma list; repeatable)")
      ->delimiter(',');
  sub->add_flag("--list", options->list, "lists the checks with what each checks, and runs none");
  sub->add_flag("--json", options->json, "one JSON object with every check's figures");
  sub->add_option("--junit", options->junit, "also writes a JUnit XML report to FILE")->type_name("FILE");
  sub->add_option("--time-limit", options->timeLimit,
                  "seconds a check may run before it counts as hung (default 60 + 60 per level)")
      ->check(CLI::Range(1, 86400));
  sub->add_option("--flavour", options->flavour,
                  "win or mac: the flavour the module and folder must be (default: the folder's own)")
      ->check(CLI::IsMember({"win", "mac"}));
  sub->add_option("--contour-budget", options->budgets.contourMicroseconds,
                  "microseconds the 99th percentile of a contour call may take (default 100)")
      ->check(CLI::PositiveNumber);
  sub->add_option("--arrow-budget", options->budgets.arrowKiB,
                  "KiB of host memory one arrow may hold (default 64)")
      ->check(CLI::PositiveNumber);
  sub->add_option("--load-budget", options->budgets.loadMilliseconds,
                  "milliseconds from loading the module to its arrow registered (default 50)")
      ->check(CLI::PositiveNumber);
  sub->add_option("--plugin", options->plugins,
                  "plug-in folder holding the module, res/ and presets/ (default: $KEELVANE_PLUGIN, else "
                  "<bindir>/../plugins/win/keelvane); named twice, the checks run against the first and "
                  "the exchange check trades presets between the two")
      ->type_name("DIR");
  sub->add_option("--child", options->child)->group("");  // the check's own process
  sub->add_option("--scratch", options->scratch)->group("");
  commands.push_back({"check", sub, [options](const ToolOptions& tool) {
                        if (options->list) return ListChecks();
                        std::vector<std::string> folders = options->plugins;
                        if (!tool.plugin.empty()) folders.insert(folders.begin(), tool.plugin);
                        if (folders.size() > 2) {
                          Refuse("--plugin named " + std::to_string(folders.size()) +
                                 " times: check takes one plug-in folder, or two to trade presets between");
                        }
                        const fs::path plugin = fs::absolute(ChoosePluginFolder(folders.empty() ? "" : folders[0]));
                        CheckOptions given = *options;
                        if (folders.size() == 2) given.other = fs::absolute(folders[1]);
                        if (!given.child.empty()) {
                          given.seed = given.seedText.empty() ? 0 : ParseSeed(given.seedText);
                          return RunChild(given, plugin);
                        }
                        return RunChecks(given, plugin);
                      }});
}

}  // namespace kvtool
