// The page's numbers against the stored ones: unit scaling, ranges in the shown unit,
// and inputs that must be refused.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "panel_values.h"
#include "tool_error.h"

namespace kvtool {
namespace {

using kvhost::DescParameter;
using kvhost::ParamType;
using kvhost::ParamUnit;

DescParameter Real(ParamUnit unit, std::optional<double> min, std::optional<double> max) {
  DescParameter p;
  p.symbol = "ARROW_TEST";
  p.type = ParamType::Real;
  p.unit = unit;
  p.min = min;
  p.max = max;
  return p;
}

KvNode* NoLinks(std::uint64_t) { return nullptr; }

double Stored(const DescParameter& p, const Json& input) {
  return std::get<double>(StoredValue(p, input, NoLinks));
}

std::string Refusal(const DescParameter& p, const Json& input) {
  try {
    StoredValue(p, input, NoLinks);
  } catch (const ToolError& e) {
    EXPECT_EQ(e.status, kStatusBadInput);
    return e.what();
  }
  return "(accepted)";
}

TEST(PanelValues, PercentIsShownAndEnteredScaledAndCheckedInShownUnit) {
  const DescParameter taper = Real(ParamUnit::Percent, 0.0, 100.0);
  EXPECT_EQ(ShownValue(taper, 0.35), Json(35.0));
  EXPECT_DOUBLE_EQ(Stored(taper, 35), 0.35);
  EXPECT_DOUBLE_EQ(Stored(taper, "100"), 1.0);
  // 50 would be a stored 50 if the range were taken as stored: it must be accepted.
  EXPECT_DOUBLE_EQ(Stored(taper, 50), 0.5);
  EXPECT_NE(Refusal(taper, 100.5).find("outside the range (from 0 to 100 %)"), std::string::npos);
  EXPECT_NE(Refusal(taper, -1).find("outside"), std::string::npos);
}

TEST(PanelValues, DegreesRoundTripThroughRadians) {
  const DescParameter angle = Real(ParamUnit::Degree, 0.0, 90.0);
  EXPECT_EQ(ShownValue(angle, 0.08726646259971647), Json(5.0));
  EXPECT_NEAR(Stored(angle, 5), 5 * std::numbers::pi / 180, 1e-17);
  EXPECT_NEAR(Stored(angle, 90), std::numbers::pi / 2, 1e-15);
  EXPECT_NE(Refusal(angle, 91).find("degrees"), std::string::npos);
}

// A value loaded from a preset is single precision: it shows in the shortest decimal that
// goes back to it through the unit and a float, and one typed in as a double keeps its own.
TEST(PanelValues, ShowTheShortestDecimalThatGivesBackTheStoredValue) {
  const auto single = [](double v) { return static_cast<double>(static_cast<float>(v)); };
  const double degree = std::numbers::pi / 180;
  struct Case {
    ParamUnit unit;
    double stored;
    double shown;
  };
  const std::vector<Case> cases{
      {ParamUnit::Meter, single(77.7), 77.7},
      {ParamUnit::Meter, 77.7, 77.7},
      {ParamUnit::Meter, 0.1 + 0.2, 0.1 + 0.2},  // a double that no shorter text gives back
      {ParamUnit::Meter, single(0.08726646259971647), 0.08726646},
      {ParamUnit::Meter, -0.0, 0.0},
      {ParamUnit::Percent, single(0.333), 33.3},
      {ParamUnit::Percent, 0.3335, 33.35},
      {ParamUnit::Percent, single(0.35), 35},
      {ParamUnit::Degree, single(7.3 * degree), 7.3},
      {ParamUnit::Degree, single(5 * degree), 5},
  };
  for (const Case& c : cases) {
    const Json shown = ShownValue(Real(c.unit, std::nullopt, std::nullopt), c.stored);
    EXPECT_EQ(shown, Json(c.shown)) << c.stored;
    EXPECT_FALSE(std::signbit(shown.get<double>())) << c.stored;
  }
}

TEST(PanelValues, LengthsAreStoredAsTypedAndOpenRangesHold) {
  const DescParameter length = Real(ParamUnit::Meter, 0.0, std::nullopt);
  EXPECT_EQ(ShownValue(length, 400.0), Json(400.0));
  EXPECT_DOUBLE_EQ(Stored(length, " 1e3 "), 1000.0);
  EXPECT_NE(Refusal(length, -0.5).find("at least 0"), std::string::npos);
}

TEST(PanelValues, TextThatIsNoNumberIsRefusedWithTheParameterName) {
  const DescParameter length = Real(ParamUnit::Meter, 0.0, std::nullopt);
  for (const Json& bad : {Json("abc"), Json("12px"), Json(""), Json("nan"), Json("inf"), Json(true),
                          Json(nullptr), Json::array(), Json(INFINITY), Json(NAN)}) {
    const std::string why = Refusal(length, bad);
    EXPECT_EQ(why.rfind("ARROW_TEST: ", 0), 0u) << bad.dump() << ": " << why;
  }
}

TEST(PanelValues, LongsTakeWholeNumbersInRangeOrOneOfTheCycle) {
  DescParameter count;
  count.symbol = "ARROW_CLONE_COUNT";
  count.type = ParamType::Long;
  count.min = 1;
  count.max = 10000;
  EXPECT_EQ(std::get<std::int32_t>(StoredValue(count, 7, NoLinks)), 7);
  EXPECT_EQ(std::get<std::int32_t>(StoredValue(count, "12", NoLinks)), 12);
  EXPECT_NE(Refusal(count, 0).find("outside"), std::string::npos);
  EXPECT_NE(Refusal(count, 2.5).find("whole number"), std::string::npos);
  EXPECT_NE(Refusal(count, 5000000000LL).find("whole number"), std::string::npos);

  DescParameter plane;
  plane.symbol = "PRIM_PLANE";
  plane.type = ParamType::Long;
  plane.cycle = {{0, "XY", "XY", 0}, {1, "ZY", "ZY", 0}, {2, "XZ", "XZ", 0}};
  EXPECT_EQ(std::get<std::int32_t>(StoredValue(plane, 2, NoLinks)), 2);
  EXPECT_NE(Refusal(plane, 3).find("none of the choices"), std::string::npos);
}

TEST(PanelValues, BoolsStringsLinksAndButtons) {
  DescParameter b;
  b.symbol = "ARROW_DOUBLE";
  b.type = ParamType::Bool;
  EXPECT_TRUE(std::get<bool>(StoredValue(b, true, NoLinks)));
  EXPECT_FALSE(std::get<bool>(StoredValue(b, "off", NoLinks)));
  EXPECT_NE(Refusal(b, 1).find("on or off"), std::string::npos);

  DescParameter s;
  s.symbol = "ARROW_PRESET_NAME";
  s.type = ParamType::String;
  EXPECT_EQ(std::get<std::string>(StoredValue(s, "Blue", NoLinks)), "Blue");
  EXPECT_NE(Refusal(s, 5).find("text"), std::string::npos);

  DescParameter link;
  link.symbol = "ARROW_WRAP_SPLINE";
  link.type = ParamType::Link;
  EXPECT_EQ(std::get<KvNode*>(StoredValue(link, nullptr, NoLinks)), nullptr);
  EXPECT_NE(Refusal(link, 42).find("no object #42"), std::string::npos);
  EXPECT_EQ(ShownValue(link, static_cast<KvNode*>(nullptr)), Json(nullptr));

  DescParameter button;
  button.symbol = "ARROW_RESET";
  button.type = ParamType::Button;
  EXPECT_NE(Refusal(button, true).find("button"), std::string::npos);
}

}  // namespace
}  // namespace kvtool
