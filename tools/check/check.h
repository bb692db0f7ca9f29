// `keelvane check`: the checks that validate a built module the way a packager would
// before shipping it. Each check is a row of the registry and runs in a child process of
// its own; what it finds is one CheckResult.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace kvcheck {

// What the module may cost, as the budgets check measures it: the 99th percentile of a
// contour call, the host memory one arrow holds, and the time from loading the module to
// its arrow registered. The defaults hold on a loaded machine and in sanitizer builds.
struct Budgets {
  double contourMicroseconds = 100.0;
  double arrowKiB = 64.0;
  double loadMilliseconds = 50.0;
};

// What a check is given: the plug-in folder, how thorough to be, and its random source,
// seeded from the run's seed and the check's name so that `--only` repeats a check alone.
struct CheckContext {
  std::filesystem::path plugin;
  // A second plug-in folder, whose module the exchange check trades presets with; empty
  // when only one was named.
  std::filesystem::path other;
  // Where the check's scratch folders go: the run's own scratch folder, which the parent
  // removes even when the check's process dies.
  std::filesystem::path scratch;
  int level = 2;              // 1 quick smoke run .. 5 thorough
  std::uint64_t seed = 0;
  std::mt19937_64 random;
  // Tells the parent how far the check is (for its progress bar) and what it is doing
  // now (named when the child dies). Cheap to call often.
  std::function<void(std::int64_t done, std::int64_t total, const std::string& now)> progress;
  // Names a step inside the current case (loading the module, ...) until the next call;
  // an empty text ends it. A check that hangs is reported with its case and step.
  std::function<void(const std::string& step)> step;
  // "win" or "mac": the flavour the module and its folder must be; empty: the folder's own.
  std::string flavour;
  // The budgets of the budgets check.
  Budgets budgets;

  // The number of random cases for this level: base at level 1, 40 times that at level 5.
  std::int64_t Cases(std::int64_t base) const;
  // A uniform number in [lo, hi].
  double Uniform(double lo, double hi);
  std::int64_t Integer(std::int64_t lo, std::int64_t hi);
  bool Chance(double p);
};

struct CheckResult {
  std::int64_t cases = 0;             // cases run
  std::int64_t faultsInjected = 0;    // allocation and file failures injected
  bool passed = true;
  std::string seen;      // on failure: what the check saw
  std::string expected;  // and what it expected instead
  std::string figures;   // what the check measured, for its report line (may be empty)

  // Records a failure; the first one is the one reported.
  void Fail(const std::string& seenText, const std::string& expectedText);
};

struct CheckInfo {
  std::string name;     // as --only names it
  std::string summary;  // one line for --help
  void (*run)(CheckContext&, CheckResult&);
};

// Every check, in the order a run takes them (check_registry.cpp holds the list).
const std::vector<CheckInfo>& RegisteredChecks();
const CheckInfo* FindCheck(const std::string& name);

// The checks, each in the file of its group: checks_module.cpp, checks_contour.cpp,
// checks_document.cpp, checks_exchange.cpp, checks_undo.cpp and checks_faults.cpp.
void RunEntry(CheckContext& context, CheckResult& result);
void RunDescription(CheckContext& context, CheckResult& result);
void RunContour(CheckContext& context, CheckResult& result);
void RunPresets(CheckContext& context, CheckResult& result);
void RunExchange(CheckContext& context, CheckResult& result);
void RunUndo(CheckContext& context, CheckResult& result);
void RunFaults(CheckContext& context, CheckResult& result);
void RunLifecycle(CheckContext& context, CheckResult& result);
void RunThreads(CheckContext& context, CheckResult& result);
void RunBudgets(CheckContext& context, CheckResult& result);
void RunPackage(CheckContext& context, CheckResult& result);

// The exit code of a child whose check ran to its end and wrote its result.
constexpr int kChildDone = 0;

}  // namespace kvcheck
