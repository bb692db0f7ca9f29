// Outlines with a solid head: the plain arrow, the fletched arrow and the head alone.

#include "outline_test_support.h"

TEST(PlainArrow, DefaultsGiveTheSevenPointArrow) {
  ExpectOutline(BuildArrowOutline(DefaultArrowSettings()),
                {{-250, 50}, {150, 50}, {150, 100}, {250, 0}, {150, -100}, {150, -50}, {-250, -50}});
}

TEST(PlainArrow, TapersInsetTheShaftEdgeButNeverMoveTheWings) {
  ArrowSettings s = DefaultArrowSettings();
  s.taperTail = 0.5;
  s.taperHead = 0.2;
  ExpectOutline(BuildArrowOutline(s),
                {{-250, 25}, {150, 40}, {150, 100}, {250, 0}, {150, -100}, {150, -40}, {-250, -25}});
}

TEST(PlainArrow, SweepMovesOnlyTheWingTipsBack) {
  ArrowSettings s = DefaultArrowSettings();
  s.headSweep = 20;
  ExpectOutline(BuildArrowOutline(s),
                {{-250, 50}, {150, 50}, {130, 100}, {250, 0}, {130, -100}, {150, -50}, {-250, -50}});
}

TEST(PlainArrow, NotchApexLeadsOnlyWhenTheNotchIsDeeperThanZero) {
  ArrowSettings s = DefaultArrowSettings();
  s.tailNotch = 30;
  const ArrowOutline notched = BuildArrowOutline(s);
  ASSERT_EQ(notched.count, 8);
  ExpectPoint(notched, 0, {-220, 0});
  ExpectPoint(notched, 1, {-250, 50});
  ExpectPoint(notched, 7, {-250, -50});

  const ArrowOutline plain = BuildArrowOutline(DefaultArrowSettings());
  for (double depth : {0.0, -5.0}) {
    s.tailNotch = depth;
    EXPECT_TRUE(SameOutline(BuildArrowOutline(s), plain)) << "notch " << depth;
  }
}

TEST(FletchedArrow, DefaultsGiveThirteenPoints) {
  ArrowSettings s = DefaultArrowSettings();
  s.fletching = true;
  ExpectOutline(BuildArrowOutline(s),
                {{-250, 50}, {-300, 100}, {-200, 100}, {-150, 50}, {150, 50}, {150, 100}, {250, 0},
                 {150, -100}, {150, -50}, {-150, -50}, {-200, -100}, {-300, -100}, {-250, -50}});
}

TEST(FletchedArrow, NotchApexComesBeforeTheFins) {
  ArrowSettings s = DefaultArrowSettings();
  s.fletching = true;
  s.tailNotch = 30;
  const ArrowOutline outline = BuildArrowOutline(s);
  ASSERT_EQ(outline.count, 14);
  ExpectPoint(outline, 0, {-220, 0});
  ExpectPoint(outline, 2, {-300, 100});
  ExpectPoint(outline, 13, {-250, -50});
}

TEST(FletchedArrow, FinsFollowTheTaperedShaftEdge) {
  ArrowSettings s = DefaultArrowSettings();
  s.fletching = true;
  s.taperTail = 0.5;
  s.taperHead = 0.2;
  const ArrowOutline outline = BuildArrowOutline(s);
  ASSERT_EQ(outline.count, 13);
  ExpectPoint(outline, 1, {-300, 71.875});
  ExpectPoint(outline, 2, {-200, 75.625});
  ExpectPoint(outline, 3, {-150, 28.75});
}

// The fin insets divide by the shaft length; without a shaft length the fins
// used to come out as infinities and NaNs.
TEST(FletchedArrow, ZeroShaftLengthGivesFiniteUntaperedFins) {
  ArrowSettings s = DefaultArrowSettings();
  s.fletching = true;
  s.shaftLength = 0;
  s.taperTail = 0.5;
  s.taperHead = 0.2;
  const ArrowOutline tapered = BuildArrowOutline(s);
  ExpectOutline(tapered, {{-50, 25}, {-100, 100}, {0, 100}, {50, 50}, {-50, 40}, {-50, 100}, {50, 0},
                          {-50, -100}, {-50, -40}, {50, -50}, {0, -100}, {-100, -100}, {-50, -25}});

  s.taperTail = 0;
  s.taperHead = 0;
  const ArrowOutline untapered = BuildArrowOutline(s);
  for (int i : {1, 2, 3, 9, 10, 11}) {
    EXPECT_EQ(tapered.points[i].x, untapered.points[i].x) << "fin point " << i;
    EXPECT_EQ(tapered.points[i].y, untapered.points[i].y) << "fin point " << i;
  }
}

TEST(SolidHead, WithoutShaftTheHeadIsATriangle) {
  ArrowSettings s = DefaultArrowSettings();
  s.hasShaft = false;
  ExpectOutline(BuildArrowOutline(s), {{-50, 50}, {50, 0}, {-50, -50}});
}

TEST(SolidHead, PositiveSweepOpensANotchAtTheBack) {
  ArrowSettings s = DefaultArrowSettings();
  s.hasShaft = false;
  s.headSweep = 20;
  ExpectOutline(BuildArrowOutline(s), {{-50, 0}, {-70, 50}, {50, 0}, {-70, -50}});

  s.headSweep = -20;
  ExpectOutline(BuildArrowOutline(s), {{-30, 50}, {50, 0}, {-30, -50}});
}

TEST(SolidHead, FletchingNeedsAShaft) {
  ArrowSettings s = DefaultArrowSettings();
  s.hasShaft = false;
  const ArrowOutline head = BuildArrowOutline(s);
  s.fletching = true;
  EXPECT_TRUE(SameOutline(BuildArrowOutline(s), head));
}
