// A new arrow's parameters: every reset parameter at its default with its type, the
// settings that are never reset absent until the user sets them.
#include "arrow_defaults.h"
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
  const ArrowSettings d = kvtest::DefaultArrowSettings();
  const kvtest::ArrowSplineDefaults& h = kvtest::kArrowSplineDefaults;
  const struct {
    std::int32_t id;
    double value;
  } floats[] = {{ARROW_SHAFT_LENGTH, d.shaftLength},
                {ARROW_SHAFT_WIDTH, d.shaftWidth},
                {ARROW_HEAD_LENGTH, d.headLength},
                {ARROW_HEAD_WIDTH, d.headWidth},
                {ARROW_TAIL_NOTCH, d.tailNotch},
                {ARROW_TAPER_HEAD, d.taperHead},
                {ARROW_TAPER_TAIL, d.taperTail},
                {ARROW_HEAD_SWEEP, d.headSweep},
                {ARROW_FLETCHING_LENGTH, d.fletchingLength},
                {ARROW_FLETCHING_HEIGHT, d.fletchingHeight},
                {ARROW_FLETCHING_SWEEP, d.fletchingSweep},
                {ARROW_CHEVRON_THICKNESS, d.chevronThickness},
                {ARROW_DOUBLE_SHAFT_LENGTH, d.doubleShaftLength},
                {ARROW_DOUBLE_SHAFT_WIDTH, d.doubleShaftWidth},
                {ARROW_BEVEL_SIZE, d.bevelSize},
                {ARROW_CLONE_SPLINE_VALUE, 0},
                {KV_SPLINEOBJECT_ANGLE, h.angle},
                {KV_SPLINEOBJECT_MAXIMUMLENGTH, h.maximumLength}};
  for (const auto& f : floats) EXPECT_EQ(Float(arrow, f.id), f.value) << f.id;

  const struct {
    std::int32_t id;
    bool value;
  } bools[] = {{ARROW_SHAFT, d.hasShaft},
               {ARROW_FLETCHING, d.fletching},
               {ARROW_CHEVRON_HEAD, d.chevronHead},
               {ARROW_CHEVRON_SQUARE_ENDS, d.chevronSquareEnds},
               {ARROW_DOUBLE, d.doubleArrow},
               {ARROW_BEVEL, d.bevel},
               {ARROW_BEVEL_OPTION, true},
               {ARROW_CLONE_PLANE_ZY, true},
               {ARROW_WRAP_SWITCH, true},
               {ARROW_WRAP_NATURAL_INTERPOLATION, true},
               {KV_PRIM_REVERSE, h.reverse}};
  for (const auto& b : bools) EXPECT_EQ(Bool(arrow, b.id), b.value) << b.id;

  EXPECT_EQ(Int(arrow, ARROW_CLONE_COUNT), 3);
  EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), h.interpolation);
  EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_SUB), h.subdivision);
  EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), h.plane);
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "");

  for (std::int32_t unreset : {ARROW_EXTRUDE_CAPS, ARROW_CLONER_ADD_EXTRUDE, ARROW_CLONE_ON_SPLINE,
                               ARROW_CLONE_SPLINE, ARROW_WRAP_ADD_EXTRUDE, ARROW_WRAP_SPLINE}) {
    EXPECT_FALSE(Has(arrow, unreset)) << unreset;
  }
}

TEST_P(ArrowObject, FailedAllocationOfTheObjectGivesNone) {
  kvhost::FailNextAllocation(kvhost::AllocKind::Memory);
  EXPECT_EQ(kvhost::CreateObjectFromMenu(doc, Okeelvane), nullptr);
  EXPECT_TRUE(kvhost::TopObjects(doc).empty());
}

KV_INSTANTIATE_FLAVOURS(ArrowObject);

}  // namespace
