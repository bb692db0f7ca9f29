#include <algorithm>
#include <array>

#include "check.h"

namespace kvcheck {

std::int64_t CheckContext::Cases(std::int64_t base) const {
  static constexpr std::array<std::int64_t, 5> kFactor{1, 4, 10, 20, 40};
  return base * kFactor[static_cast<std::size_t>(std::clamp(level, 1, 5) - 1)];
}

double CheckContext::Uniform(double lo, double hi) {
  return std::uniform_real_distribution<double>(lo, hi)(random);
}

std::int64_t CheckContext::Integer(std::int64_t lo, std::int64_t hi) {
  return std::uniform_int_distribution<std::int64_t>(lo, hi)(random);
}

bool CheckContext::Chance(double p) { return Uniform(0.0, 1.0) < p; }

void CheckResult::Fail(const std::string& seenText, const std::string& expectedText) {
  if (!passed) return;
  passed = false;
  seen = seenText;
  expected = expectedText;
}

const std::vector<CheckInfo>& RegisteredChecks() {
  static const std::vector<CheckInfo> checks{
      {"entry", "the exports; actions in the host's order and out of it; each flavour's answers; console lines", RunEntry},
      {"description", "every described parameter in a new object with its type and a default in range; every enabling answer", RunDescription},
      {"contour", "random and degenerate parameters: finite points, at most 16, closed, linear, the object's spline settings, planes and reversal permute one outline", RunContour},
      {"presets", "random objects saved and loaded, also read 17 bytes at a time; files cut at every offset and with bytes changed load or change nothing", RunPresets},
      {"exchange", "with a second plug-in folder: presets saved by each module load in the other with the same values and save again as the same bytes", RunExchange},
      {"undo", "random sequences of the user's actions: one undo and one redo give back the document exactly", RunUndo},
      {"faults", "every allocation of every operation, and every open, read and write of a save and a load, made to fail in turn, and the file dialog cancelled: no crash, no leak, the document unchanged or as after the operation", RunFaults},
      {"lifecycle", "repeated load, start and unload: no live host allocation after each, no growth of the process per cycle after a warm-up", RunLifecycle},
      {"threads", "contours of distinct objects from 8 threads at once equal those of one thread", RunThreads},
      {"package", "res/ and presets/ beside the module; every id a new object holds or the module reads described; every string and the icon it asks for in res/", RunPackage},
      {"budgets", "a contour call's median and 99th percentile, host memory per arrow, load to registered: each within its budget", RunBudgets},
  };
  return checks;
}

const CheckInfo* FindCheck(const std::string& name) {
  for (const CheckInfo& c : RegisteredChecks()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace kvcheck
