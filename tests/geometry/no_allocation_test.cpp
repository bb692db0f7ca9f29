// The outline builder and the finishing step run without touching the heap.
// This file replaces the global allocation functions to count their calls.

#include <cstdlib>
#include <new>
#include <vector>

#include "outline_test_support.h"

namespace {

long g_allocations = 0;

void* CountedAllocation(std::size_t size) {
  ++g_allocations;
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) {
    std::abort();
  }
  return p;
}

} // namespace

void* operator new(std::size_t size) {
  return CountedAllocation(size);
}
void* operator new[](std::size_t size) {
  return CountedAllocation(size);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

TEST(NoAllocation, EveryFamilyAndTheFinishingStep) {
  std::vector<ArrowSettings> records;
  for (int family = 1; family <= 10; ++family) {
    for (bool extra : {false, true}) {
      ArrowSettings s = FamilySettings(family);
      s.chevronSquareEnds = extra;
      s.tailNotch = extra ? 30 : 0;
      s.headSweep = extra ? 20 : 0;
      records.push_back(s);
    }
  }

  int points = 0;
  const long before = g_allocations;
  for (const ArrowSettings& s : records) {
    ArrowOutline o = BuildArrowOutline(s);
    FinishArrowSpline(o.points.data(), o.count, 1, true);
    points += o.count;
  }
  const long during = g_allocations - before;

  EXPECT_GT(before, 0) << "the counting operator new is not in use";
  EXPECT_EQ(during, 0);
  EXPECT_GT(points, 0);
}
