// The budgets check: what the module costs the host. The time of a contour call (its
// median and 99th percentile over many calls, each the least of three in a row), the host memory one arrow holds, and the
// time from loading the module to its arrow registered, each against a settable budget.
#include <algorithm>
#include <iomanip>
#include <sstream>

#include "check_support.h"
#include "child_process.h"
#include "description/okeelvane.h"
#include "test_powers.h"

namespace kvcheck {
namespace {

using Clock = std::chrono::steady_clock;

// How much slower this build runs the module than a plain native one: a sanitizer build
// checks every access, and user-mode emulation (qemu, Wine) translates or wraps it. The
// budgets are stretched by this factor, as the lifecycle check skips the process size.
double SlowdownOfThisBuild() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr double kSanitized = 5.0;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  constexpr double kSanitized = 5.0;
#else
  constexpr double kSanitized = 1.0;
#endif
#else
  constexpr double kSanitized = 1.0;
#endif
  return kSanitized * EmulationSlowdown();
}

// The q-quantile (0..1) of sorted.
double Quantile(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return 0.0;
  const auto at = static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[std::min(at, sorted.size() - 1)];
}

std::string Fixed(double x, int digits) {
  std::ostringstream out;
  out << std::fixed << std::setprecision(digits) << x;
  return out.str();
}

}  // namespace

void RunBudgets(CheckContext& context, CheckResult& result) {
  const double slowdown = SlowdownOfThisBuild();
  const Budgets& budget = context.budgets;

  // Load to registered: the median of a few loads, each with action 1, 6 and 2.
  const std::int64_t loads = context.Cases(5);
  std::vector<double> loadMs;
  for (std::int64_t n = 0; n < loads && result.passed; ++n) {
    context.progress(n, loads, "load and start " + std::to_string(n + 1));
    kvhost::ResetHost();
    const auto start = Clock::now();
    auto module = LoadModule(context, result);
    if (module == nullptr) return;
    const bool started = module->Start();
    loadMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    ++result.cases;
    if (!started || kvhost::FindPlugin(Okeelvane) == nullptr) {
      return result.Fail("load " + std::to_string(n + 1) + " registered no arrow", "the arrow registered");
    }
    module.reset();
  }
  std::sort(loadMs.begin(), loadMs.end());

  auto session = OpenSession(context);
  KvDocument* doc = session->Document();

  // Host memory per arrow: the framework memory a number of new arrows hold, and the host
  // allocations of every kind they keep.
  const std::int64_t arrows = context.Cases(20);
  const std::int64_t bytesBefore = kvhost::LiveFrameworkBytes();
  const std::int64_t allocationsBefore = kvhost::LiveAllocations();
  for (std::int64_t n = 0; n < arrows; ++n) {
    context.progress(n, arrows, "new arrow " + std::to_string(n + 1));
    session->NewArrow();
    ++result.cases;
  }
  const double arrowKiB = static_cast<double>(kvhost::LiveFrameworkBytes() - bytesBefore) / 1024.0 / arrows;
  const double arrowAllocations = static_cast<double>(kvhost::LiveAllocations() - allocationsBefore) / arrows;

  // Contour time: every call timed alone, for the default arrow and random ones.
  KvNode* arrow = session->NewArrow();
  const std::int64_t shapes = context.Cases(10);
  constexpr int kCallsPerShape = 100;
  std::vector<double> contourUs;
  for (std::int64_t s = 0; s <= shapes; ++s) {
    std::string values = "the default arrow";
    if (s > 0) {
      const auto edits = RandomArrowValues(session->ArrowDescription(), context, false);
      WriteValues(arrow, edits);
      values = EditsText(edits);
    }
    context.progress(s, shapes, "contours of " + values);
    for (int c = 0; c < kCallsPerShape; ++c) {
      // The least of three calls in a row: a call the machine's other work interrupted
      // does not count against the module, a slow contour is slow every time.
      double least = 0.0;
      for (int repeat = 0; repeat < 3; ++repeat) {
        const auto start = Clock::now();
        KvNode* spline = kvhost::GetContour(arrow, doc);
        const auto end = Clock::now();
        kvhost::FreeObject(spline);
        const double us = std::chrono::duration<double, std::micro>(end - start).count();
        least = repeat == 0 ? us : std::min(least, us);
      }
      contourUs.push_back(least);
      ++result.cases;
    }
  }
  std::sort(contourUs.begin(), contourUs.end());
  const double median = Quantile(contourUs, 0.5), p99 = Quantile(contourUs, 0.99);

  result.figures = "contour " + Fixed(median, 1) + " us median, " + Fixed(p99, 1) + " us p99; " +
                   Fixed(arrowKiB * 1024.0, 0) + " bytes and " + Fixed(arrowAllocations, 1) + " host allocations per arrow; " +
                   Fixed(Quantile(loadMs, 0.5), 1) + " ms to load";
  const std::string stretched = slowdown > 1.0 ? " (stretched " + Fixed(slowdown, 0) + " times for this build)" : "";
  if (p99 > budget.contourMicroseconds * slowdown) {
    result.Fail("the 99th percentile of " + std::to_string(contourUs.size()) + " contour calls took " + Fixed(p99, 1) +
                    " us (median " + Fixed(median, 1) + " us)",
                "at most " + Fixed(budget.contourMicroseconds * slowdown, 1) + " us" + stretched + " (--contour-budget)");
  } else if (arrowKiB > budget.arrowKiB) {
    result.Fail("each arrow holds " + Fixed(arrowKiB, 1) + " KiB of framework memory (" + Fixed(arrowAllocations, 1) +
                    " host allocations)",
                "at most " + Fixed(budget.arrowKiB, 1) + " KiB (--arrow-budget)");
  } else if (Quantile(loadMs, 0.5) > budget.loadMilliseconds * slowdown) {
    result.Fail("loading the module to its arrow registered took " + Fixed(Quantile(loadMs, 0.5), 1) +
                    " ms (median of " + std::to_string(loadMs.size()) + ")",
                "at most " + Fixed(budget.loadMilliseconds * slowdown, 1) + " ms" + stretched + " (--load-budget)");
  }
}

}  // namespace kvcheck
