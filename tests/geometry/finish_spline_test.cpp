// Laying the outline into its plane and reversing it, in place.

#include "outline_test_support.h"

namespace {

ArrowOutline DefaultArrow() {
  return BuildArrowOutline(DefaultArrowSettings());
}

void ExpectPoints(const ArrowPoint* points, std::initializer_list<ArrowPoint> expected) {
  int i = 0;
  for (const ArrowPoint& e : expected) {
    EXPECT_EQ(points[i].x, e.x) << "point " << i;
    EXPECT_EQ(points[i].y, e.y) << "point " << i;
    EXPECT_EQ(points[i].z, e.z) << "point " << i;
    ++i;
  }
}

} // namespace

TEST(FinishSpline, ZYPlanePointsTheTipAlongZ) {
  ArrowOutline a = DefaultArrow();
  FinishArrowSpline(a.points.data(), a.count, 1, false);
  ExpectPoints(a.points.data(), {{0, 50, -250}, {0, 50, 150}, {0, 100, 150}, {0, 0, 250}, {0, -100, 150},
                                 {0, -50, 150}, {0, -50, -250}});
}

TEST(FinishSpline, XZPlaneTurnsYIntoZ) {
  ArrowOutline a = DefaultArrow();
  FinishArrowSpline(a.points.data(), a.count, 2, false);
  ExpectPoints(a.points.data(), {{-250, 0, 50}, {150, 0, 50}, {150, 0, 100}, {250, 0, 0}, {150, 0, -100},
                                 {150, 0, -50}, {-250, 0, -50}});
}

TEST(FinishSpline, UnknownPlanesLeaveTheXYOutline) {
  const ArrowOutline original = DefaultArrow();
  for (int plane : {0, 3, -1}) {
    ArrowOutline a = original;
    FinishArrowSpline(a.points.data(), a.count, plane, false);
    EXPECT_TRUE(SameOutline(a, original)) << "plane " << plane;
  }
}

TEST(FinishSpline, ReverseRunsTheOutlineTheOtherWay) {
  ArrowOutline a = DefaultArrow();
  FinishArrowSpline(a.points.data(), a.count, 0, true);
  ExpectPoints(a.points.data(), {{-250, -50, 0}, {150, -50, 0}, {150, -100, 0}, {250, 0, 0}, {150, 100, 0},
                                 {150, 50, 0}, {-250, 50, 0}});
}

TEST(FinishSpline, ReverseKeepsTheMiddlePointOfAnOddCount) {
  ArrowSettings s = DefaultArrowSettings();
  s.hasShaft = false;
  ArrowOutline head = BuildArrowOutline(s);
  FinishArrowSpline(head.points.data(), head.count, 0, true);
  ExpectPoints(head.points.data(), {{-50, -50, 0}, {50, 0, 0}, {-50, 50, 0}});

  s.headSweep = 20; // even count: no point stays
  head = BuildArrowOutline(s);
  FinishArrowSpline(head.points.data(), head.count, 2, true);
  ExpectPoints(head.points.data(), {{-70, 0, -50}, {50, 0, 0}, {-70, 0, 50}, {-50, 0, 0}});
}

TEST(FinishSpline, NoPointsChangeNothing) {
  const ArrowOutline original = DefaultArrow();
  ArrowOutline a = original;
  FinishArrowSpline(a.points.data(), 0, 1, true);
  FinishArrowSpline(a.points.data(), -3, 2, true);
  EXPECT_TRUE(SameOutline(a, original));
  FinishArrowSpline(nullptr, 7, 1, true); // must not touch memory
}
