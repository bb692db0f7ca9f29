// A new arrow's parameters: every reset parameter at its default with its type, the
// settings that are never reset absent until the user sets them.
#include <set>

#include "arrow_parameters.h"
#include "module_fixture.h"

namespace {

using kvtest::Bool;
using kvtest::Float;
using kvtest::Has;
using kvtest::Int;
using kvtest::Text;

class ArrowObject : public kvtest::ModuleTest {};

// The defaults as the object's parameter list states them, written out apart from the
// module's own table.
const struct {
  std::int32_t id;
  double value;
} kFloatDefaults[] = {
    {ARROW_SHAFT_LENGTH, 400},        {ARROW_SHAFT_WIDTH, 100},
    {ARROW_HEAD_LENGTH, 100},         {ARROW_HEAD_WIDTH, 50},
    {ARROW_TAIL_NOTCH, 0},            {ARROW_TAPER_HEAD, 0},
    {ARROW_TAPER_TAIL, 0},            {ARROW_HEAD_SWEEP, 0},
    {ARROW_FLETCHING_LENGTH, 100},    {ARROW_FLETCHING_HEIGHT, 50},
    {ARROW_FLETCHING_SWEEP, 50},      {ARROW_CHEVRON_THICKNESS, 50},
    {ARROW_DOUBLE_SHAFT_LENGTH, 400}, {ARROW_DOUBLE_SHAFT_WIDTH, 100},
    {ARROW_BEVEL_SIZE, 10},           {ARROW_CLONE_SPLINE_VALUE, 0},
    {KV_SPLINEOBJECT_ANGLE, 0.08726646259971647},
    {KV_SPLINEOBJECT_MAXIMUMLENGTH, 5},
};
const struct {
  std::int32_t id;
  bool value;
} kBoolDefaults[] = {
    {ARROW_SHAFT, true},         {ARROW_FLETCHING, false},
    {ARROW_CHEVRON_HEAD, false}, {ARROW_CHEVRON_SQUARE_ENDS, false},
    {ARROW_DOUBLE, false},       {ARROW_BEVEL, false},
    {ARROW_BEVEL_OPTION, true},  {ARROW_CLONE_PLANE_ZY, true},
    {ARROW_WRAP_SWITCH, true},   {ARROW_WRAP_NATURAL_INTERPOLATION, true},
    {KV_PRIM_REVERSE, false},
};
const struct {
  std::int32_t id;
  std::int32_t value;
} kIntDefaults[] = {
    {ARROW_CLONE_COUNT, 3}, {KV_SPLINEOBJECT_INTERPOLATION, 3},
    {KV_SPLINEOBJECT_SUB, 8}, {KV_PRIM_PLANE, 0},
};
const std::int32_t kNotReset[] = {ARROW_EXTRUDE_CAPS,     ARROW_CLONER_ADD_EXTRUDE,
                                  ARROW_CLONE_ON_SPLINE,  ARROW_CLONE_SPLINE,
                                  ARROW_WRAP_ADD_EXTRUDE, ARROW_WRAP_SPLINE};

TEST_P(ArrowObject, NewObjectHoldsEveryDefault) {
  KvNode* arrow = NewArrow();
  ASSERT_NE(arrow, nullptr);
  std::set<std::int32_t> checked = {ARROW_PRESET_NAME};
  for (const auto& f : kFloatDefaults) {
    EXPECT_EQ(Float(arrow, f.id), f.value) << f.id;
    checked.insert(f.id);
  }
  for (const auto& b : kBoolDefaults) {
    EXPECT_EQ(Bool(arrow, b.id), b.value) << b.id;
    checked.insert(b.id);
  }
  for (const auto& i : kIntDefaults) {
    EXPECT_EQ(Int(arrow, i.id), i.value) << i.id;
    checked.insert(i.id);
  }
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "");
  for (std::int32_t unreset : kNotReset) {
    EXPECT_FALSE(Has(arrow, unreset)) << unreset;
    checked.insert(unreset);
  }
  // A parameter added to the table without its default stated above shows here.
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.kind == kButtonParameter) continue;
    EXPECT_EQ(checked.count(p.id), 1u) << p.id;
  }
}

TEST_P(ArrowObject, FailedAllocationOfTheObjectGivesNone) {
  kvhost::FailNextAllocation(kvhost::AllocKind::Memory);
  EXPECT_EQ(kvhost::CreateObjectFromMenu(doc, Okeelvane), nullptr);
  EXPECT_TRUE(kvhost::TopObjects(doc).empty());
}

KV_INSTANTIATE_FLAVOURS(ArrowObject);

}  // namespace
