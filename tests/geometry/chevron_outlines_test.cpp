// Chevron heads, with a shaft and alone, and the double arrow with both kinds of head.

#include <cmath>

#include "outline_test_support.h"

namespace {

ArrowSettings ChevronSettings() {
  ArrowSettings s = DefaultArrowSettings();
  s.chevronHead = true;
  return s;
}

ArrowSettings DoubleSettings(bool chevron) {
  ArrowSettings s = DefaultArrowSettings();
  s.doubleArrow = true;
  s.chevronHead = chevron;
  return s;
}

void ExpectAllFinite(const ArrowOutline& outline) {
  for (int i = 0; i < outline.count; ++i) {
    EXPECT_TRUE(std::isfinite(outline.points[i].x) && std::isfinite(outline.points[i].y)) << "point " << i;
  }
}

} // namespace

TEST(ChevronArrow, DefaultsGiveNinePoints) {
  ExpectOutline(BuildArrowOutline(ChevronSettings()),
                {{-250, 50}, {175, 50}, {150, 100}, {200, 100}, {250, 0}, {200, -100}, {150, -100},
                 {175, -50}, {-250, -50}});
}

TEST(ChevronArrow, SquareEndsMoveOnlyTheOuterEnds) {
  ArrowSettings s = ChevronSettings();
  s.chevronSquareEnds = true;
  ExpectOutline(BuildArrowOutline(s),
                {{-250, 50}, {175, 50}, {150, 100}, {190, 120}, {250, 0}, {190, -120}, {150, -100},
                 {175, -50}, {-250, -50}});
}

TEST(ChevronArrow, InnerCornerSitsOnTheTaperedShaftEdge) {
  ArrowSettings s = ChevronSettings();
  s.taperHead = 0.2;
  const ArrowOutline outline = BuildArrowOutline(s);
  ExpectPoint(outline, 1, {180, 40});
  ExpectPoint(outline, 2, {150, 100});
}

// The sweep moves the wings back and lengthens the front edge's run.
TEST(ChevronArrow, SweepEntersTheWingPositionAndSlope) {
  ArrowSettings s = ChevronSettings();
  s.headSweep = 20;
  s.chevronSquareEnds = true;
  const ArrowOutline outline = BuildArrowOutline(s);
  ExpectPoint(outline, 1, {165, 50});
  ExpectPoint(outline, 2, {130, 100});
  ExpectPoint(outline, 3, {163.5570, 123.4899}, 1e-4);
}

TEST(ChevronArrow, FletchedWithNotchGivesSixteenPoints) {
  ArrowSettings s = ChevronSettings();
  s.fletching = true;
  s.tailNotch = 30;
  ExpectOutline(BuildArrowOutline(s),
                {{-220, 0}, {-250, 50}, {-300, 100}, {-200, 100}, {-150, 50}, {175, 50}, {150, 100},
                 {200, 100}, {250, 0}, {200, -100}, {150, -100}, {175, -50}, {-150, -50}, {-200, -100},
                 {-300, -100}, {-250, -50}});
}

// A wing whose front edge has no run (thickness = head length + sweep) has an
// infinite slope: the inner corner falls straight under the wing's inner end.
TEST(ChevronArrow, ZeroRunPutsTheInnerCornerUnderTheWing) {
  ArrowSettings s = ChevronSettings();
  s.chevronThickness = 100;
  for (bool square : {false, true}) {
    s.chevronSquareEnds = square;
    const ArrowOutline outline = BuildArrowOutline(s);
    ExpectAllFinite(outline);
    ExpectPoint(outline, 1, {150, 50});
    ExpectPoint(outline, 3, {250, 100});
  }
}

// A wing without rise (head width = -half shaft width) lies on the axis; its
// slope is 0, or NaN with no run either, and used to turn the inner corner
// into infinities and NaNs.
TEST(ChevronArrow, ZeroRiseKeepsTheWingOnTheAxis) {
  ArrowSettings s = ChevronSettings();
  s.headWidth = -50;
  s.chevronSquareEnds = true;
  for (double thickness : {50.0, 100.0}) {
    s.chevronThickness = thickness;
    ExpectOutline(BuildArrowOutline(s),
                  {{-250, 50}, {150, 50}, {150, 0}, {150, 0}, {250, 0}, {150, 0}, {150, 0}, {150, -50},
                   {-250, -50}});
  }
}

TEST(ChevronHead, AloneGivesSixPoints) {
  ArrowSettings s = ChevronSettings();
  s.hasShaft = false;
  ExpectOutline(BuildArrowOutline(s), {{0, 0}, {-50, 50}, {0, 50}, {50, 0}, {0, -50}, {-50, -50}});

  s.chevronSquareEnds = true; // slope 1: the end is cut at 45 degrees
  ExpectOutline(BuildArrowOutline(s), {{0, 0}, {-50, 50}, {-25, 75}, {50, 0}, {-25, -75}, {-50, -50}});
}

TEST(ChevronHead, SweepEntersTheWingPositionAndSlope) {
  ArrowSettings s = ChevronSettings();
  s.hasShaft = false;
  s.headSweep = 20;
  ExpectOutline(BuildArrowOutline(s), {{0, 0}, {-70, 50}, {-20, 50}, {50, 0}, {-20, -50}, {-70, -50}});

  s.chevronSquareEnds = true;
  ExpectPoint(BuildArrowOutline(s), 2, {-53.1081, 73.6486}, 1e-4);
}

TEST(ChevronHead, NoRiseAndNoRunStaysFinite) {
  ArrowSettings s = ChevronSettings();
  s.hasShaft = false;
  s.headWidth = 0;
  s.chevronThickness = 100;
  s.chevronSquareEnds = true;
  ExpectOutline(BuildArrowOutline(s), {{-50, 0}, {-50, 0}, {-50, 0}, {50, 0}, {-50, 0}, {-50, 0}});
}

TEST(DoubleArrow, SolidHeadsGiveTenPoints) {
  ExpectOutline(BuildArrowOutline(DoubleSettings(false)),
                {{200, 50}, {200, 100}, {300, 0}, {200, -100}, {200, -50}, {-200, -50}, {-200, -100},
                 {-300, 0}, {-200, 100}, {-200, 50}});
}

TEST(DoubleArrow, SweepAppliesToBothHeads) {
  ArrowSettings s = DoubleSettings(false);
  s.headSweep = 20;
  const ArrowOutline outline = BuildArrowOutline(s);
  ExpectPoint(outline, 1, {180, 100});
  ExpectPoint(outline, 6, {-180, -100});
  ExpectPoint(outline, 8, {-180, 100});
}

TEST(DoubleArrow, ChevronHeadsGiveFourteenPoints) {
  ExpectOutline(BuildArrowOutline(DoubleSettings(true)),
                {{225, 50}, {200, 100}, {250, 100}, {300, 0}, {250, -100}, {200, -100}, {225, -50},
                 {-225, -50}, {-200, -100}, {-250, -100}, {-300, 0}, {-250, 100}, {-200, 100}, {-225, 50}});
}

TEST(DoubleArrow, SquareEndsMoveTheFourOuterEnds) {
  ArrowSettings s = DoubleSettings(true);
  s.chevronSquareEnds = true;
  const ArrowOutline outline = BuildArrowOutline(s);
  ASSERT_EQ(outline.count, 14);
  ExpectPoint(outline, 2, {240, 120});
  ExpectPoint(outline, 4, {240, -120});
  ExpectPoint(outline, 9, {-240, -120});
  ExpectPoint(outline, 11, {-240, 120});
}

TEST(DoubleArrow, SweepEntersTheChevronWings) {
  ArrowSettings s = DoubleSettings(true);
  s.headSweep = 20;
  s.chevronSquareEnds = true;
  const ArrowOutline outline = BuildArrowOutline(s);
  ExpectPoint(outline, 0, {215, 50});
  ExpectPoint(outline, 1, {180, 100});
  ExpectPoint(outline, 2, {213.5570, 123.4899}, 1e-4);
  ExpectPoint(outline, 11, {-213.5570, 123.4899}, 1e-4);
}

TEST(DoubleArrow, ChevronWithoutRunOrRiseStaysFinite) {
  ArrowSettings s = DoubleSettings(true);
  s.chevronThickness = 100; // no run
  const ArrowOutline noRun = BuildArrowOutline(s);
  ExpectAllFinite(noRun);
  ExpectPoint(noRun, 0, {200, 50});

  s.headWidth = -50; // and no rise
  s.chevronSquareEnds = true;
  const ArrowOutline flat = BuildArrowOutline(s);
  ExpectAllFinite(flat);
  ExpectPoint(flat, 0, {200, 50});
  ExpectPoint(flat, 2, {200, 0});
}
