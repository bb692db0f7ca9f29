// Bevelled outlines: the arrow with a shaft and the head alone with chamfered corners.

#include "outline_test_support.h"

namespace {

ArrowSettings BevelSettings(bool shaft) {
  ArrowSettings s = DefaultArrowSettings();
  s.bevel = true;
  s.hasShaft = shaft;
  return s;
}

} // namespace

TEST(BevelledArrow, DefaultsGiveFourteenPoints) {
  ExpectOutline(BuildArrowOutline(BevelSettings(true)),
                {{-250, 40}, {-240, 50}, {140, 50}, {150, 60}, {150, 90}, {157.0711, 92.9289},
                 {242.9289, 7.0711}, {242.9289, -7.0711}, {157.0711, -92.9289}, {150, -90}, {150, -60},
                 {140, -50}, {-240, -50}, {-250, -40}},
                1e-4);
}

TEST(BevelledArrow, NotchCornersAreCutAlongTheNotchEdge) {
  ArrowSettings s = BevelSettings(true);
  s.tailNotch = 30;
  const ArrowOutline outline = BuildArrowOutline(s);
  ASSERT_EQ(outline.count, 16);
  ExpectPoint(outline, 0, {-225.1450, 8.5749}, 1e-4);
  ExpectPoint(outline, 1, {-244.8550, 41.4251}, 1e-4);
  ExpectPoint(outline, 2, {-240, 50}, 1e-4);
  ExpectPoint(outline, 14, {-244.8550, -41.4251}, 1e-4);
  ExpectPoint(outline, 15, {-225.1450, -8.5749}, 1e-4);
}

TEST(BevelledArrow, TapersAndSweepAreNotBevelled) {
  const ArrowOutline plain = BuildArrowOutline(BevelSettings(true));
  ArrowSettings s = BevelSettings(true);
  s.taperTail = 0.5;
  EXPECT_TRUE(SameOutline(BuildArrowOutline(s), plain));
  s = BevelSettings(true);
  s.headSweep = 20;
  EXPECT_TRUE(SameOutline(BuildArrowOutline(s), plain));
}

TEST(BevelledHead, AloneGivesSixPoints) {
  ExpectOutline(BuildArrowOutline(BevelSettings(false)),
                {{-50, 40}, {-41.0557, 45.5279}, {41.0557, 4.4721}, {41.0557, -4.4721}, {-41.0557, -45.5279},
                 {-50, -40}},
                1e-4);
}

TEST(BevelledHead, SweepAddsTheNotchPointsAndKeepsTheFrontEdge) {
  ArrowSettings s = BevelSettings(false);
  s.headSweep = 20;
  ExpectOutline(BuildArrowOutline(s),
                {{-50, 10}, {-70, 40}, {-41.0557, 45.5279}, {41.0557, 4.4721}, {41.0557, -4.4721},
                 {-41.0557, -45.5279}, {-70, -40}, {-50, -10}},
                1e-4);
}

TEST(Bevel, SizeZeroOrBelowDrawsTheUnbevelledOutline) {
  for (bool shaft : {true, false}) {
    ArrowSettings unbevelled = DefaultArrowSettings();
    unbevelled.hasShaft = shaft;
    unbevelled.tailNotch = 30;
    for (double size : {0.0, -10.0}) {
      ArrowSettings s = BevelSettings(shaft);
      s.tailNotch = 30;
      s.bevelSize = size;
      EXPECT_TRUE(SameOutline(BuildArrowOutline(s), BuildArrowOutline(unbevelled)))
          << "shaft " << shaft << ", size " << size;
    }
  }
}

// A head of no length and no height has a front edge angle of 0 / 0, which
// used to spread NaNs through every front-edge point.
TEST(Bevel, HeadWithoutLengthOrHeightStaysFinite) {
  ArrowSettings s = BevelSettings(true);
  s.headLength = 0;
  s.headWidth = -50; // wing tip on the axis
  ExpectOutline(BuildArrowOutline(s),
                {{-200, 40}, {-190, 50}, {190, 50}, {200, 60}, {200, -10}, {210, 0}, {190, 0}, {190, 0},
                 {210, 0}, {200, 10}, {200, -60}, {190, -50}, {-190, -50}, {-200, -40}});

  s = BevelSettings(false);
  s.headLength = 0;
  s.headWidth = 0;
  ExpectOutline(BuildArrowOutline(s), {{0, -10}, {10, 0}, {-10, 0}, {-10, 0}, {10, 0}, {0, 10}});
}

// Without length but with height the front edge stands upright (x / 0 is infinite).
TEST(Bevel, HeadWithoutLengthHasAnUprightFrontEdge) {
  ArrowSettings s = BevelSettings(false);
  s.headLength = 0;
  ExpectOutline(BuildArrowOutline(s), {{0, 40}, {0, 40}, {0, 10}, {0, -10}, {0, -40}, {0, -40}});
}

// The angle is the arc tangent of the quotient, not the angle of the vector:
// a negative head length mirrors the front edge's slope, not its direction.
TEST(Bevel, NegativeHeadLengthKeepsTheQuotientsAngle) {
  ArrowSettings s = BevelSettings(false);
  s.headLength = -100;
  ExpectOutline(BuildArrowOutline(s),
                {{50, 40}, {58.9443, 54.4721}, {-58.9443, -4.4721}, {-58.9443, 4.4721}, {58.9443, -54.4721},
                 {50, -40}},
                1e-4);
}
