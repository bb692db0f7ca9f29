// Properties that hold for every outline family, checked over many generated
// settings, zeros and negative values included.

#include <cmath>
#include <random>
#include <vector>

#include "outline_test_support.h"

namespace {

constexpr int kFamilies = 10;
constexpr int kRecordsPerFamily = 500;

using Field = double ArrowSettings::*;
using Flag = bool ArrowSettings::*;

// Lengths in quarter units, so that sums which should cancel do so exactly.
double RandomLength(std::mt19937& rng) {
  if (std::uniform_int_distribution<int>(0, 7)(rng) == 0) {
    return 0.0;
  }
  return std::uniform_int_distribution<int>(-400, 2400)(rng) / 4.0;
}

double RandomFraction(std::mt19937& rng) {
  return std::uniform_int_distribution<int>(-4, 12)(rng) / 8.0;
}

bool RandomFlag(std::mt19937& rng) {
  return std::uniform_int_distribution<int>(0, 1)(rng) == 1;
}

bool OneIn(std::mt19937& rng, int n) {
  return std::uniform_int_distribution<int>(1, n)(rng) == 1;
}

// Random settings for one family, numbered as in the dispatch: 1 double solid,
// 2 double chevron, 3 fletched chevron, 4 chevron, 5 fletched, 6 bevelled,
// 7 plain, 8 chevron head, 9 bevelled head, 10 solid head.
ArrowSettings RandomSettings(int family, std::mt19937& rng) {
  ArrowSettings s{};
  for (Field f : {&ArrowSettings::shaftLength, &ArrowSettings::shaftWidth, &ArrowSettings::headLength,
                  &ArrowSettings::headWidth, &ArrowSettings::chevronThickness, &ArrowSettings::tailNotch,
                  &ArrowSettings::headSweep, &ArrowSettings::fletchingLength, &ArrowSettings::fletchingHeight,
                  &ArrowSettings::fletchingSweep, &ArrowSettings::bevelSize, &ArrowSettings::doubleShaftLength,
                  &ArrowSettings::doubleShaftWidth}) {
    s.*f = RandomLength(rng);
  }
  s.taperHead = RandomFraction(rng);
  s.taperTail = RandomFraction(rng);
  s.chevronSquareEnds = RandomFlag(rng);
  s.bevel = RandomFlag(rng);

  // Degenerate wings and heads: no run, no rise, no head length.
  if (OneIn(rng, 6)) {
    s.chevronThickness = s.headLength + s.headSweep;
  }
  if (OneIn(rng, 6)) {
    s.headWidth = family <= 2 ? -s.doubleShaftWidth * 0.5 : (family >= 8 ? 0.0 : -s.shaftWidth * 0.5);
  }
  if (OneIn(rng, 8)) {
    s.headLength = 0.0;
  }

  const bool bevelActive = family == 6 || family == 9;
  const bool bevelInactive = family == 7 || family == 10;
  if (bevelActive) {
    s.bevel = true;
    s.bevelSize = std::abs(s.bevelSize) + 0.25;
  } else if (bevelInactive && s.bevel && s.bevelSize > 0.0) {
    s.bevel = false;
  }
  s.doubleArrow = family <= 2;
  s.chevronHead = family == 2 || family == 3 || family == 4 || family == 8;
  s.hasShaft = family <= 2 ? RandomFlag(rng) : family <= 7;
  s.fletching = (family >= 3 && family <= 7) ? (family == 3 || family == 5) : RandomFlag(rng);
  return s;
}

int ExpectedCount(int family, const ArrowSettings& s) {
  const int n = s.tailNotch > 0.0 ? 1 : 0;
  const int sw = s.headSweep > 0.0 ? 1 : 0;
  const int counts[kFamilies] = {10, 14, 15 + n, 9 + n, 13 + n, 14 + 2 * n, 7 + n, 6, 6 + 2 * sw, 3 + sw};
  return counts[family - 1];
}

// Points on the axis that lead the outline and stand outside the mirrored halves.
int LeadingAxisPoints(int family, const ArrowSettings& s) {
  if (family == 3 || family == 4 || family == 5 || family == 7) {
    return s.tailNotch > 0.0 ? 1 : 0;
  }
  if (family == 8) {
    return 1;
  }
  if (family == 10) {
    return s.headSweep > 0.0 ? 1 : 0;
  }
  return 0;
}

void ExpectMirrorRule(int family, const ArrowSettings& s, const ArrowOutline& o) {
  const auto& p = o.points;
  if (family <= 2) {
    const int half = o.count / 2;
    for (int i = 0; i < o.count; ++i) {
      EXPECT_EQ(p[o.count - 1 - i].x, -p[i].x) << "reflection " << i;
      EXPECT_EQ(p[o.count - 1 - i].y, p[i].y) << "reflection " << i;
    }
    for (int i = 0; i < half; ++i) {
      EXPECT_EQ(p[half - 1 - i].x, p[i].x) << "half mirror " << i;
      EXPECT_EQ(p[half - 1 - i].y, -p[i].y) << "half mirror " << i;
    }
    return;
  }
  const int lead = LeadingAxisPoints(family, s);
  for (int i = 0; i < lead; ++i) {
    EXPECT_EQ(p[i].y, 0.0) << "leading point " << i;
  }
  for (int i = 0; i < o.count - lead; ++i) {
    EXPECT_EQ(p[lead + i].x, p[o.count - 1 - i].x) << "mirror " << i;
    EXPECT_EQ(p[lead + i].y, -p[o.count - 1 - i].y) << "mirror " << i;
  }
}

struct Ignored {
  std::vector<Field> fields;
  std::vector<Flag> flags;
};

// The settings each family must not read.
Ignored IgnoredBy(int family) {
  using S = ArrowSettings;
  const std::vector<Field> shaft = {&S::shaftLength, &S::shaftWidth, &S::tailNotch, &S::taperHead, &S::taperTail};
  const std::vector<Field> fins = {&S::fletchingLength, &S::fletchingHeight, &S::fletchingSweep};
  const std::vector<Field> doubled = {&S::doubleShaftLength, &S::doubleShaftWidth};
  Ignored ignored;
  auto add = [&ignored](const std::vector<Field>& fields) {
    ignored.fields.insert(ignored.fields.end(), fields.begin(), fields.end());
  };
  switch (family) {
    case 1:
    case 2:
      add(shaft);
      add(fins);
      add({&S::bevelSize});
      if (family == 1) {
        add({&S::chevronThickness});
        ignored.flags.push_back(&S::chevronSquareEnds);
      }
      ignored.flags.insert(ignored.flags.end(), {&S::hasShaft, &S::fletching, &S::bevel});
      break;
    case 3:
    case 4:
    case 5:
    case 7:
      add(doubled);
      if (family == 4 || family == 7) {
        add(fins);
      }
      if (family == 5 || family == 7) {
        add({&S::chevronThickness});
        ignored.flags.push_back(&S::chevronSquareEnds);
      }
      if (family != 7) {
        add({&S::bevelSize});
        ignored.flags.push_back(&S::bevel);
      }
      break;
    case 6:
      add(doubled);
      add(fins);
      add({&S::taperHead, &S::taperTail, &S::headSweep, &S::chevronThickness});
      ignored.flags.push_back(&S::chevronSquareEnds);
      break;
    default: // the heads alone
      add(shaft);
      add(fins);
      add(doubled);
      ignored.flags.push_back(&S::fletching);
      if (family == 8) {
        add({&S::bevelSize});
        ignored.flags.push_back(&S::bevel);
      } else {
        add({&S::chevronThickness});
        ignored.flags.push_back(&S::chevronSquareEnds);
      }
      break;
  }
  return ignored;
}

double SignedArea(const ArrowOutline& o) {
  double twice = 0.0;
  for (int i = 0; i < o.count; ++i) {
    const ArrowPoint& a = o.points[i];
    const ArrowPoint& b = o.points[(i + 1) % o.count];
    twice += a.x * b.y - b.x * a.y;
  }
  return twice * 0.5;
}

} // namespace

TEST(OutlineProperties, EveryFamilyHasItsCountMirrorAndFiniteFlatPoints) {
  std::mt19937 rng(20240611);
  for (int family = 1; family <= kFamilies; ++family) {
    for (int r = 0; r < kRecordsPerFamily; ++r) {
      SCOPED_TRACE(testing::Message() << "family " << family << ", record " << r);
      const ArrowSettings s = RandomSettings(family, rng);
      const ArrowOutline o = BuildArrowOutline(s);
      ASSERT_EQ(o.count, ExpectedCount(family, s));
      for (int i = 0; i < o.count; ++i) {
        ASSERT_TRUE(std::isfinite(o.points[i].x) && std::isfinite(o.points[i].y)) << "point " << i;
        ASSERT_EQ(o.points[i].z, 0.0) << "point " << i;
      }
      ExpectMirrorRule(family, s, o);
    }
  }
}

TEST(OutlineProperties, FamiliesIgnoreTheSettingsTheyDoNotRead) {
  std::mt19937 rng(77);
  for (int family = 1; family <= kFamilies; ++family) {
    const Ignored ignored = IgnoredBy(family);
    for (int r = 0; r < kRecordsPerFamily; ++r) {
      SCOPED_TRACE(testing::Message() << "family " << family << ", record " << r);
      const ArrowSettings s = RandomSettings(family, rng);
      ArrowSettings changed = s;
      for (Field f : ignored.fields) {
        changed.*f = RandomLength(rng);
      }
      for (Flag f : ignored.flags) {
        changed.*f = RandomFlag(rng);
      }
      ASSERT_TRUE(SameOutline(BuildArrowOutline(changed), BuildArrowOutline(s)));
    }
  }
}

TEST(OutlineProperties, DefaultOutlinesRunClockwise) {
  for (int family = 1; family <= kFamilies; ++family) {
    ArrowSettings s = FamilySettings(family);
    for (double notch : {0.0, 30.0}) {
      s.tailNotch = notch;
      const ArrowOutline o = BuildArrowOutline(s);
      ASSERT_EQ(o.count, ExpectedCount(family, s));
      EXPECT_LT(SignedArea(o), 0.0) << "family " << family << ", notch " << notch;
    }
  }
}
