// Shared by the geometry tests: outline checks, and the default shape record.

#pragma once

#include <initializer_list>

#include <gtest/gtest.h>

#include "arrow_defaults.h"
#include "arrow_outline.h"

struct XY {
  double x;
  double y;
};

using kvtest::DefaultArrowSettings;

// The default settings switched to one outline family, numbered as the dispatch rows
// (1 double solid .. 10 solid head alone).
inline ArrowSettings FamilySettings(int family) {
  ArrowSettings s = kvtest::DefaultArrowSettings();
  s.doubleArrow = family <= 2;
  s.chevronHead = family == 2 || family == 3 || family == 4 || family == 8;
  s.hasShaft = family <= 7;
  s.fletching = family == 3 || family == 5;
  s.bevel = family == 6 || family == 9;
  return s;
}

inline void ExpectOutline(const ArrowOutline& outline, std::initializer_list<XY> expected,
                          double tolerance = 1e-9) {
  ASSERT_EQ(outline.count, static_cast<int>(expected.size()));
  int i = 0;
  for (const XY& e : expected) {
    EXPECT_NEAR(outline.points[i].x, e.x, tolerance) << "point " << i;
    EXPECT_NEAR(outline.points[i].y, e.y, tolerance) << "point " << i;
    EXPECT_EQ(outline.points[i].z, 0.0) << "point " << i;
    ++i;
  }
}

inline void ExpectPoint(const ArrowOutline& outline, int index, XY expected, double tolerance = 1e-9) {
  ASSERT_LT(index, outline.count);
  EXPECT_NEAR(outline.points[index].x, expected.x, tolerance) << "point " << index;
  EXPECT_NEAR(outline.points[index].y, expected.y, tolerance) << "point " << index;
}

inline bool SameOutline(const ArrowOutline& a, const ArrowOutline& b) {
  if (a.count != b.count) {
    return false;
  }
  for (int i = 0; i < a.count; ++i) {
    const ArrowPoint& p = a.points[i];
    const ArrowPoint& q = b.points[i];
    if (p.x != q.x || p.y != q.y || p.z != q.z) {
      return false;
    }
  }
  return true;
}
