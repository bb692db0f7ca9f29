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
// module's own table: each with the type it is stored as.
enum class Type { Float, Bool, Int };
const struct {
  std::int32_t id;
  Type type;
  double value;
} kDefaults[] = {
    {ARROW_SHAFT_LENGTH, Type::Float, 400},        {ARROW_SHAFT_WIDTH, Type::Float, 100},
    {ARROW_HEAD_LENGTH, Type::Float, 100},         {ARROW_HEAD_WIDTH, Type::Float, 50},
    {ARROW_TAIL_NOTCH, Type::Float, 0},            {ARROW_TAPER_HEAD, Type::Float, 0},
    {ARROW_TAPER_TAIL, Type::Float, 0},            {ARROW_HEAD_SWEEP, Type::Float, 0},
    {ARROW_FLETCHING_LENGTH, Type::Float, 100},    {ARROW_FLETCHING_HEIGHT, Type::Float, 50},
    {ARROW_FLETCHING_SWEEP, Type::Float, 50},      {ARROW_CHEVRON_THICKNESS, Type::Float, 50},
    {ARROW_DOUBLE_SHAFT_LENGTH, Type::Float, 400}, {ARROW_DOUBLE_SHAFT_WIDTH, Type::Float, 100},
    {ARROW_BEVEL_SIZE, Type::Float, 10},           {ARROW_CLONE_SPLINE_VALUE, Type::Float, 0},
    {KV_SPLINEOBJECT_ANGLE, Type::Float, 0.08726646259971647},
    {KV_SPLINEOBJECT_MAXIMUMLENGTH, Type::Float, 5},
    {ARROW_SHAFT, Type::Bool, 1},                  {ARROW_FLETCHING, Type::Bool, 0},
    {ARROW_CHEVRON_HEAD, Type::Bool, 0},           {ARROW_CHEVRON_SQUARE_ENDS, Type::Bool, 0},
    {ARROW_DOUBLE, Type::Bool, 0},                 {ARROW_BEVEL, Type::Bool, 0},
    {ARROW_BEVEL_OPTION, Type::Bool, 1},           {ARROW_CLONE_PLANE_ZY, Type::Bool, 1},
    {ARROW_WRAP_SWITCH, Type::Bool, 1},            {ARROW_WRAP_NATURAL_INTERPOLATION, Type::Bool, 1},
    {KV_PRIM_REVERSE, Type::Bool, 0},              {ARROW_CLONE_COUNT, Type::Int, 3},
    {KV_SPLINEOBJECT_INTERPOLATION, Type::Int, 3}, {KV_SPLINEOBJECT_SUB, Type::Int, 8},
    {KV_PRIM_PLANE, Type::Int, 0},
};
const std::int32_t kNotReset[] = {ARROW_EXTRUDE_CAPS,     ARROW_CLONER_ADD_EXTRUDE,
                                  ARROW_CLONE_ON_SPLINE,  ARROW_CLONE_SPLINE,
                                  ARROW_WRAP_ADD_EXTRUDE, ARROW_WRAP_SPLINE};

TEST_P(ArrowObject, NewObjectHoldsEveryDefault) {
  KvNode* arrow = NewArrow();
  ASSERT_NE(arrow, nullptr);
  std::set<std::int32_t> checked = {ARROW_PRESET_NAME};
  for (const auto& d : kDefaults) {
    switch (d.type) {
      case Type::Float: EXPECT_EQ(Float(arrow, d.id), d.value) << d.id; break;
      case Type::Bool: EXPECT_EQ(Bool(arrow, d.id), d.value != 0) << d.id; break;
      case Type::Int: EXPECT_EQ(Int(arrow, d.id), d.value) << d.id; break;
    }
    checked.insert(d.id);
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
