// Which parameters the arrow offers for editing, for the defaults and for each switch.
#include <set>

#include "arrow_parameters.h"
#include "module_fixture.h"

namespace {

class Enabling : public kvtest::ModuleTest {
 protected:
  // Every parameter of the arrow, so that "always editable" is checked for all.
  std::set<std::int32_t> Disabled(KvNode* arrow) {
    std::set<std::int32_t> disabled;
    for (const ArrowParameter& p : kArrowParameters) {
      if (!kvhost::IsEnabled(arrow, p.id)) disabled.insert(p.id);
    }
    return disabled;
  }
  void Set(KvNode* arrow, std::int32_t id, kvhost::Value v) {
    kvhost::SetParameter(doc, arrow, id, v);
  }
};

using Ids = std::set<std::int32_t>;

const Ids kFletchingSizes = {ARROW_FLETCHING_LENGTH, ARROW_FLETCHING_HEIGHT, ARROW_FLETCHING_SWEEP};
const Ids kShaftSettings = {ARROW_SHAFT_LENGTH, ARROW_SHAFT_WIDTH, ARROW_TAIL_NOTCH,
                            ARROW_TAPER_HEAD,   ARROW_TAPER_TAIL,  ARROW_FLETCHING};

Ids Union(std::initializer_list<Ids> sets) {
  Ids all;
  for (const Ids& s : sets) all.insert(s.begin(), s.end());
  return all;
}

const Ids kDefaultDisabled = Union(
    {kFletchingSizes,
     {ARROW_CHEVRON_SQUARE_ENDS, ARROW_CHEVRON_THICKNESS, ARROW_DOUBLE_SHAFT_LENGTH,
      ARROW_DOUBLE_SHAFT_WIDTH, ARROW_BEVEL_SIZE, ARROW_BEVEL_OPTION, ARROW_CLONE_SPLINE,
      ARROW_CLONE_PLANE_ZY, ARROW_CLONE_SPLINE_VALUE, KV_SPLINEOBJECT_SUB,
      KV_SPLINEOBJECT_MAXIMUMLENGTH}});

TEST_P(Enabling, DefaultsGreyExactlyTheDependentSettings) {
  KvNode* arrow = NewArrow();
  EXPECT_EQ(Disabled(arrow), kDefaultDisabled);
}

TEST_P(Enabling, EachSwitchFreesItsOwnSettings) {
  KvNode* arrow = NewArrow();
  Set(arrow, ARROW_CHEVRON_HEAD, true);
  Set(arrow, ARROW_BEVEL, true);
  Set(arrow, ARROW_CLONE_ON_SPLINE, true);
  Set(arrow, ARROW_FLETCHING, true);
  EXPECT_EQ(Disabled(arrow), (Ids{ARROW_DOUBLE_SHAFT_LENGTH, ARROW_DOUBLE_SHAFT_WIDTH,
                                  KV_SPLINEOBJECT_SUB, KV_SPLINEOBJECT_MAXIMUMLENGTH}));
}

TEST_P(Enabling, DoubleArrowGreysTheShaftEvenWhenTheShaftIsOn) {
  KvNode* arrow = NewArrow();
  Set(arrow, ARROW_FLETCHING, true);
  Set(arrow, ARROW_DOUBLE, true);
  const Ids disabled = Disabled(arrow);
  for (std::int32_t id : kShaftSettings) EXPECT_TRUE(disabled.count(id)) << id;
  EXPECT_TRUE(disabled.count(ARROW_SHAFT));
  // The fletching sizes follow the fletching and shaft switches only.
  for (std::int32_t id : kFletchingSizes) EXPECT_FALSE(disabled.count(id)) << id;
  EXPECT_FALSE(disabled.count(ARROW_DOUBLE_SHAFT_LENGTH));
}

TEST_P(Enabling, ShaftOffGreysTheShaftSettingsAndTheFletchingSizes) {
  KvNode* arrow = NewArrow();
  Set(arrow, ARROW_FLETCHING, true);
  Set(arrow, ARROW_SHAFT, false);
  const Ids disabled = Disabled(arrow);
  for (std::int32_t id : Union({kShaftSettings, kFletchingSizes})) {
    EXPECT_TRUE(disabled.count(id)) << id;
  }
  EXPECT_FALSE(disabled.count(ARROW_SHAFT));
}

TEST_P(Enabling, InterpolationDecidesItsThreeSettings) {
  KvNode* arrow = NewArrow();
  const struct {
    std::int32_t interpolation;
    bool sub, angle, maximumLength;
  } cases[] = {{0, false, false, false}, {1, true, false, false}, {2, true, false, false},
               {3, false, true, false},  {4, false, true, true},  {5, false, false, false},
               {-1, false, false, false}};
  for (const auto& c : cases) {
    kvhost::SetParameterRaw(kvhost::Container(arrow), KV_SPLINEOBJECT_INTERPOLATION, c.interpolation);
    EXPECT_EQ(kvhost::IsEnabled(arrow, KV_SPLINEOBJECT_SUB), c.sub) << c.interpolation;
    EXPECT_EQ(kvhost::IsEnabled(arrow, KV_SPLINEOBJECT_ANGLE), c.angle) << c.interpolation;
    EXPECT_EQ(kvhost::IsEnabled(arrow, KV_SPLINEOBJECT_MAXIMUMLENGTH), c.maximumLength) << c.interpolation;
  }
}

TEST_P(Enabling, AnsweringChangesNothing) {
  KvNode* arrow = NewArrow();
  const auto ids = kvhost::ParameterIds(kvhost::Container(arrow));
  const auto steps = kvhost::UndoHistory(doc).size();
  Disabled(arrow);
  EXPECT_EQ(kvhost::ParameterIds(kvhost::Container(arrow)), ids);
  EXPECT_EQ(kvhost::UndoHistory(doc).size(), steps);
}

KV_INSTANTIATE_FLAVOURS(Enabling);

}  // namespace
