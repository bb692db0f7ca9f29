#include <algorithm>
#include <array>

#include "check.h"

namespace kvcheck {
namespace {

std::vector<CheckInfo>& Registry() {
  static std::vector<CheckInfo> checks;
  return checks;
}

}  // namespace

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

bool RegisterCheck(CheckInfo info) {
  Registry().push_back(std::move(info));
  return true;
}

std::vector<CheckInfo> RegisteredChecks() {
  std::vector<CheckInfo> checks = Registry();
  std::sort(checks.begin(), checks.end(),
            [](const CheckInfo& a, const CheckInfo& b) { return a.order < b.order; });
  return checks;
}

const CheckInfo* FindCheck(const std::string& name) {
  for (const CheckInfo& c : Registry()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace kvcheck
