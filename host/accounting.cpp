// Allocation accounting with fault injection.
#include "accounting.h"

#include <array>
#include <mutex>
#include <string>

#include "console.h"
#include "test_powers.h"

namespace kvhost {
namespace {

constexpr std::size_t kKinds = static_cast<std::size_t>(AllocKind::Count);

struct Counters {
  std::array<std::int64_t, kKinds> live{};
  std::array<std::int64_t, kKinds> total{};
  std::array<int, kKinds> armedFaults{};
  std::array<int, kKinds> faultSkips{};  // allocations that still succeed before the faults
};

Counters& State() {
  static Counters counters;
  return counters;
}

// Modules ask for contours from several threads at once, as the host does: the counts are
// shared by all of them.
std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}

std::size_t Index(AllocKind kind) { return static_cast<std::size_t>(kind); }

}  // namespace

const char* AllocKindName(AllocKind kind) {
  switch (kind) {
    case AllocKind::Memory: return "memory";
    case AllocKind::String: return "string";
    case AllocKind::Container: return "container";
    case AllocKind::PathHolder: return "path";
    case AllocKind::File: return "file";
    case AllocKind::Object: return "object";
    case AllocKind::Spline: return "spline";
    case AllocKind::Bitmap: return "bitmap";
    case AllocKind::Resource: return "resource";
    case AllocKind::Count: break;
  }
  return "?";
}

bool TryAllocate(AllocKind kind) {
  const std::lock_guard<std::mutex> hold(Lock());
  Counters& s = State();
  int& armed = s.armedFaults[Index(kind)];
  int& skips = s.faultSkips[Index(kind)];
  if (armed > 0 && skips > 0) {
    --skips;
  } else if (armed > 0) {
    --armed;
    return false;
  }
  ++s.live[Index(kind)];
  ++s.total[Index(kind)];
  return true;
}

void Release(AllocKind kind) {
  {
    const std::lock_guard<std::mutex> hold(Lock());
    std::int64_t& live = State().live[Index(kind)];
    if (live > 0) {
      --live;
      return;
    }
  }
  ReportHostError(std::string("release of a ") + AllocKindName(kind) + " that was never allocated");
}

void FailNextAllocation(AllocKind kind, int count, int skip) {
  const std::lock_guard<std::mutex> hold(Lock());
  State().armedFaults[Index(kind)] = count;
  State().faultSkips[Index(kind)] = skip;
}

int ArmedFaults(AllocKind kind) {
  const std::lock_guard<std::mutex> hold(Lock());
  return State().armedFaults[Index(kind)];
}

void ClearAllocationFaults() {
  const std::lock_guard<std::mutex> hold(Lock());
  State().armedFaults.fill(0);
  State().faultSkips.fill(0);
}

// Used by ResetHost: a leak of an earlier test must not show in the next one.
void ResetAllocationCounters() {
  const std::lock_guard<std::mutex> hold(Lock());
  State() = Counters{};
}

std::int64_t LiveAllocations(AllocKind kind) {
  const std::lock_guard<std::mutex> hold(Lock());
  return State().live[Index(kind)];
}

std::int64_t LiveAllocations() {
  const std::lock_guard<std::mutex> hold(Lock());
  std::int64_t sum = 0;
  for (std::int64_t n : State().live) sum += n;
  return sum;
}

std::int64_t TotalAllocations(AllocKind kind) {
  const std::lock_guard<std::mutex> hold(Lock());
  return State().total[Index(kind)];
}

}  // namespace kvhost
