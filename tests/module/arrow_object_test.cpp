// A new arrow's parameters: every reset parameter at its default with its type, the
// settings that are never reset absent until the user sets them.
#include "module_fixture.h"

namespace {

using kvtest::Bool;
using kvtest::Float;
using kvtest::Has;
using kvtest::Int;
using kvtest::Text;

class ArrowObject : public kvtest::ModuleTest {};

TEST_P(ArrowObject, NewObjectHoldsEveryDefault) {
  KvNode* arrow = NewArrow();
  ASSERT_NE(arrow, nullptr);
  const struct {
    std::int32_t id;
    double value;
  } floats[] = {{ARROW_SHAFT_LENGTH, 400},      {ARROW_SHAFT_WIDTH, 100},
                {ARROW_HEAD_LENGTH, 100},       {ARROW_HEAD_WIDTH, 50},
                {ARROW_TAIL_NOTCH, 0},          {ARROW_TAPER_HEAD, 0},
                {ARROW_TAPER_TAIL, 0},          {ARROW_HEAD_SWEEP, 0},
                {ARROW_FLETCHING_LENGTH, 100},  {ARROW_FLETCHING_HEIGHT, 50},
                {ARROW_FLETCHING_SWEEP, 50},    {ARROW_CHEVRON_THICKNESS, 50},
                {ARROW_DOUBLE_SHAFT_LENGTH, 400}, {ARROW_DOUBLE_SHAFT_WIDTH, 100},
                {ARROW_BEVEL_SIZE, 10},         {ARROW_CLONE_SPLINE_VALUE, 0},
                {1004, 0.08726646259971647},    {1005, 5}};
  for (const auto& f : floats) EXPECT_EQ(Float(arrow, f.id), f.value) << f.id;

  const struct {
    std::int32_t id;
    bool value;
  } bools[] = {{ARROW_SHAFT, true},         {ARROW_FLETCHING, false},
               {ARROW_CHEVRON_HEAD, false}, {ARROW_CHEVRON_SQUARE_ENDS, false},
               {ARROW_DOUBLE, false},       {ARROW_BEVEL, false},
               {ARROW_BEVEL_OPTION, true},  {ARROW_CLONE_PLANE_ZY, true},
               {ARROW_WRAP_SWITCH, true},   {ARROW_WRAP_NATURAL_INTERPOLATION, true},
               {2301, false}};
  for (const auto& b : bools) EXPECT_EQ(Bool(arrow, b.id), b.value) << b.id;

  EXPECT_EQ(Int(arrow, ARROW_CLONE_COUNT), 3);
  EXPECT_EQ(Int(arrow, 1001), 3);
  EXPECT_EQ(Int(arrow, 1003), 8);
  EXPECT_EQ(Int(arrow, 2300), 0);
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "");

  for (std::int32_t unreset : {ARROW_EXTRUDE_CAPS, ARROW_CLONER_ADD_EXTRUDE, ARROW_CLONE_ON_SPLINE,
                               ARROW_CLONE_SPLINE, ARROW_WRAP_ADD_EXTRUDE, ARROW_WRAP_SPLINE}) {
    EXPECT_FALSE(Has(arrow, unreset)) << unreset;
  }
}

TEST_P(ArrowObject, MenuCreationTakesTheDocumentsSplinePlane) {
  kvhost::SetSplinePlane(doc, 2);
  KvNode* arrow = NewArrow();
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(Int(arrow, 2300), 2);
}

TEST_P(ArrowObject, EveryMessageIsAnsweredTrue) {
  KvNode* arrow = NewArrow();
  ASSERT_NE(arrow, nullptr);
  for (std::int32_t type : {0, 1, 5, 7, 17, 18, 22, 1000, -4}) {
    // 17 and 18 with no data and 22 with no document must not be read.
    EXPECT_TRUE(kvhost::SendMessage(arrow, type, nullptr)) << type;
  }
  EXPECT_TRUE(kvhost::PressButton(arrow, 99999));
  EXPECT_TRUE(kvhost::SetParameter(doc, arrow, ARROW_HEAD_LENGTH, 120.0));
}

TEST_P(ArrowObject, FailedAllocationOfTheObjectGivesNone) {
  kvhost::FailNextAllocation(kvhost::AllocKind::Memory);
  EXPECT_EQ(kvhost::CreateObjectFromMenu(doc, kvtest::kArrowType), nullptr);
  EXPECT_TRUE(kvhost::TopObjects(doc).empty());
}

KV_INSTANTIATE_FLAVOURS(ArrowObject);

}  // namespace
