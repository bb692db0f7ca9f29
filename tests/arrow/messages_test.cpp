// The arrow's reactions to parameter changes (POSTSETPARAMETER): link settings pushed into
// the Extrude, Cloner or Spline Wrap deformer it belongs to. The reaction opens no undo
// group of its own: its change record joins the step of the user's edit.
#include "scene_helpers.h"

namespace kvtest {
namespace {

using ParameterChangeTest = SceneTest;
using kvhost::Position;

TEST_P(ParameterChangeTest, CapsOnWritesEveryCapSettingOfTheParentExtrudeWithMessage7) {
  KvNode* extrude = Add(KV_TYPE_EXTRUDE);
  KvNode* arrow = NewArrow();
  Move(arrow, extrude);
  Mark();

  Edit(arrow, ARROW_EXTRUDE_CAPS, true);

  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPSTART), 3);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPEND), 3);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_STARTSTEPS), 5);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_ENDSTEPS), 5);
  EXPECT_TRUE(Bool(extrude, KV_EXTRUDEOBJECT_FILLETCAPS));
  EXPECT_EQ(ModuleMessages(extrude), Messages{KV_MSG_CHANGE});
  // The module's record joins the host's step of the edit.
  ASSERT_EQ(StepCount(), steps + 1);
  EXPECT_FALSE(kvhost::UndoHistory(doc).back().implicit);
  EXPECT_EQ(LastRecords(), (Records{Change(arrow), Change(extrude)}));
}

TEST_P(ParameterChangeTest, OneUndoTakesBackTheEditAndWhatItPushed) {
  KvNode* cloner = Add(KV_TYPE_CLONER);
  Raw(cloner, KV_CLONER_MODE, 1);
  Raw(cloner, KV_CLONER_LINEAR_COUNT, 3);
  KvNode* arrow = NewArrow();
  Move(arrow, cloner);
  Mark();

  Edit(arrow, ARROW_CLONE_COUNT, 9);
  EXPECT_EQ(Int(cloner, KV_CLONER_LINEAR_COUNT), 9);

  ExpectUndoRedoExact(before);
}

TEST_P(ParameterChangeTest, CapsOffWritesOnlyTheCapTypes) {
  KvNode* extrude = Add(KV_TYPE_EXTRUDE);
  KvNode* arrow = NewArrow();
  Move(arrow, extrude);
  Raw(extrude, KV_EXTRUDEOBJECT_STARTSTEPS, 7);
  Raw(extrude, KV_EXTRUDEOBJECT_ENDSTEPS, 8);
  Raw(extrude, KV_EXTRUDEOBJECT_FILLETCAPS, false);

  Edit(arrow, ARROW_EXTRUDE_CAPS, false);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPSTART), 1);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPEND), 1);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_STARTSTEPS), 7);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_ENDSTEPS), 8);
  EXPECT_FALSE(Bool(extrude, KV_EXTRUDEOBJECT_FILLETCAPS));

  // Switching on and off again leaves the steps and the fillet as on wrote them.
  Edit(arrow, ARROW_EXTRUDE_CAPS, true);
  Edit(arrow, ARROW_EXTRUDE_CAPS, false);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPSTART), 1);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_STARTSTEPS), 5);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_ENDSTEPS), 5);
  EXPECT_TRUE(Bool(extrude, KV_EXTRUDEOBJECT_FILLETCAPS));
}

TEST_P(ParameterChangeTest, CapsReachOnlyAnExtrudeThatIsTheParent) {
  KvNode* extrude = Add(KV_TYPE_EXTRUDE);
  KvNode* null = Add(KV_TYPE_NULL, extrude);
  KvNode* arrow = NewArrow();
  Move(arrow, null);
  Mark();

  Edit(arrow, ARROW_EXTRUDE_CAPS, true);

  EXPECT_EQ(StepCount(), steps + 1);
  EXPECT_TRUE(kvhost::ParameterIds(kvhost::Container(extrude)).empty());
  EXPECT_TRUE(ModuleMessages(extrude).empty());
}

// Mode -1 stands for a Cloner that holds no mode at all, which counts as mode 0.
TEST_P(ParameterChangeTest, CloneCountGoesToTheCountOfTheClonersMode) {
  for (std::int32_t mode : {0, 1, 7, -1}) {
    for (bool viaExtrude : {false, true}) {
      SCOPED_TRACE("mode " + std::to_string(mode) + (viaExtrude ? " via Extrude" : ""));
      KvNode* cloner = Add(KV_TYPE_CLONER);
      if (mode >= 0) Raw(cloner, KV_CLONER_MODE, mode);
      KvNode* arrow = NewArrow();
      KvNode* extrude = viaExtrude ? Add(KV_TYPE_EXTRUDE, cloner) : nullptr;
      Move(arrow, viaExtrude ? extrude : cloner);
      ClearLogs();

      Edit(arrow, ARROW_CLONE_COUNT, 9);

      const bool objectMode = mode <= 0;
      EXPECT_EQ(Int(cloner, objectMode ? KV_CLONER_OBJECT_COUNT : KV_CLONER_LINEAR_COUNT), 9);
      EXPECT_FALSE(Has(cloner, objectMode ? KV_CLONER_LINEAR_COUNT : KV_CLONER_OBJECT_COUNT));
      EXPECT_EQ(ModuleMessages(cloner), Messages{KV_MSG_UPDATE});
      EXPECT_EQ(LastRecords(), (Records{Change(arrow), Change(cloner)}));
      if (extrude != nullptr) {
        EXPECT_TRUE(ModuleMessages(extrude).empty());
        EXPECT_TRUE(kvhost::ParameterIds(kvhost::Container(extrude)).empty());
      }
    }
  }
}

TEST_P(ParameterChangeTest, GrandparentClonerCountsWhateverTheParentIs) {
  KvNode* cloner = Add(KV_TYPE_CLONER);
  KvNode* null = Add(KV_TYPE_NULL, cloner);
  KvNode* arrow = NewArrow();
  Move(arrow, null);
  Edit(arrow, ARROW_CLONE_COUNT, 4);
  EXPECT_EQ(Int(cloner, KV_CLONER_OBJECT_COUNT), 4);

  // Three levels up is too far.
  KvNode* inner = Add(KV_TYPE_NULL, null);
  Move(arrow, inner);
  ClearLogs();
  Edit(arrow, ARROW_CLONE_COUNT, 5);
  EXPECT_EQ(Int(cloner, KV_CLONER_OBJECT_COUNT), 4);
  EXPECT_TRUE(ModuleMessages(cloner).empty());
}

TEST_P(ParameterChangeTest, SplineValueAndSplineLinkReachOnlyAClonerInMode0) {
  KvNode* spline = Add(KV_TYPE_SPLINE);
  KvNode* along = Add(KV_TYPE_CLONER);
  Raw(along, KV_CLONER_MODE, 0);
  KvNode* arrow = NewArrow();
  Move(arrow, along);
  ClearLogs();

  Edit(arrow, ARROW_CLONE_SPLINE_VALUE, 2.5);
  EXPECT_EQ(Float(along, KV_CLONER_OBJECT_SPACING), 2.5);
  EXPECT_EQ(LastRecords(), (Records{Change(arrow), Change(along)}));
  Edit(arrow, ARROW_CLONE_SPLINE, spline);
  EXPECT_EQ(Link(along, KV_CLONER_OBJECT_LINK), spline);
  EXPECT_EQ(LastRecords(), (Records{Change(arrow), Change(along)}));
  Edit(arrow, ARROW_CLONE_SPLINE, static_cast<KvNode*>(nullptr));
  EXPECT_TRUE(Has(along, KV_CLONER_OBJECT_LINK));
  EXPECT_EQ(Link(along, KV_CLONER_OBJECT_LINK), nullptr);
  EXPECT_EQ(ModuleMessages(along), (Messages{KV_MSG_UPDATE, KV_MSG_UPDATE, KV_MSG_UPDATE}));

  for (std::int32_t mode : {1, 3}) {
    SCOPED_TRACE("mode " + std::to_string(mode));
    KvNode* cloner = Add(KV_TYPE_CLONER);
    Raw(cloner, KV_CLONER_MODE, mode);
    Move(arrow, cloner);
    Mark();
    Edit(arrow, ARROW_CLONE_SPLINE_VALUE, 3.5);
    Edit(arrow, ARROW_CLONE_SPLINE, spline);
    EXPECT_EQ(StepCount(), steps + 2);  // the host's two edits only
    EXPECT_EQ(kvhost::ParameterIds(kvhost::Container(cloner)), std::vector<std::int32_t>{KV_CLONER_MODE});
    EXPECT_TRUE(ModuleMessages(cloner).empty());
  }
}

TEST_P(ParameterChangeTest, PlaneZyFollowsTheSwitchOnlyWhileClonedAlongALinkedSpline) {
  KvNode* spline = Add(KV_TYPE_SPLINE);
  KvNode* arrow = NewArrow();
  Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
  Raw(arrow, ARROW_CLONE_SPLINE, spline);
  Mark();

  Edit(arrow, ARROW_CLONE_PLANE_ZY, true);
  EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 1);
  Edit(arrow, ARROW_CLONE_PLANE_ZY, false);
  EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 0);
  EXPECT_EQ(ModuleMessages(arrow), (Messages{KV_MSG_UPDATE, KV_MSG_UPDATE}));
  EXPECT_EQ(StepCount(), steps + 2);  // no record of the module's

  KvNode* loose = kvhost::AllocObject(KV_TYPE_SPLINE);  // in no document: the link reads as none
  struct Case {
    const char* name;
    bool onSpline;
    KvNode* link;
  };
  for (const Case& c : {Case{"not along a spline", false, spline},
                        Case{"no spline", true, nullptr}, Case{"spline elsewhere", true, loose}}) {
    SCOPED_TRACE(c.name);
    Raw(arrow, ARROW_CLONE_ON_SPLINE, c.onSpline);
    Raw(arrow, ARROW_CLONE_SPLINE, c.link);
    ClearLogs();
    Edit(arrow, ARROW_CLONE_PLANE_ZY, true);
    EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 0);
    EXPECT_TRUE(ModuleMessages(arrow).empty());
  }
  kvhost::FreeObject(loose);
}

TEST_P(ParameterChangeTest, WrapSettingsGoToTheFoundDeformerWithMessage7) {
  KvNode* path = Add(KV_TYPE_SPLINE);
  KvNode* arrow = NewArrow();
  KvNode* deformer = Add(KV_TYPE_SPLINE_WRAP, arrow);
  ClearLogs();

  Edit(arrow, ARROW_WRAP_SPLINE, path);
  EXPECT_EQ(Link(deformer, KV_SPLINEWRAP_SPLINE), path);
  EXPECT_EQ(LastRecords(), (Records{Change(arrow), Change(deformer)}));
  Edit(arrow, ARROW_WRAP_SWITCH, false);
  EXPECT_EQ(Int(deformer, KV_SPLINEWRAP_AXIS_SWITCH), 0);
  Edit(arrow, ARROW_WRAP_SWITCH, true);
  EXPECT_EQ(Int(deformer, KV_SPLINEWRAP_AXIS_SWITCH), 1);
  EXPECT_EQ(ModuleMessages(deformer), (Messages{KV_MSG_CHANGE, KV_MSG_CHANGE, KV_MSG_CHANGE}));

  // Without a deformer of its own the arrow writes nowhere.
  KvNode* lone = NewArrow();
  Move(lone, Add(KV_TYPE_NULL));
  Mark();
  Edit(lone, ARROW_WRAP_SPLINE, static_cast<KvNode*>(nullptr));
  Edit(lone, ARROW_WRAP_SWITCH, false);
  EXPECT_EQ(StepCount(), steps + 2);
  EXPECT_EQ(Link(deformer, KV_SPLINEWRAP_SPLINE), path);
  EXPECT_EQ(Int(deformer, KV_SPLINEWRAP_AXIS_SWITCH), 1);
}

TEST_P(ParameterChangeTest, NaturalInterpolationSwitchesOnlyWhileADeformerIsFound) {
  KvNode* arrow = NewArrow();
  Add(KV_TYPE_SPLINE_WRAP, arrow);
  ClearLogs();

  Edit(arrow, ARROW_WRAP_NATURAL_INTERPOLATION, false);
  EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), 3);
  EXPECT_EQ(LastRecords(), (Records{Change(arrow), Change(arrow)}));
  EXPECT_FALSE(kvhost::UndoHistory(doc).back().implicit);
  Edit(arrow, ARROW_WRAP_NATURAL_INTERPOLATION, true);
  EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), 1);
  EXPECT_EQ(ModuleMessages(arrow), (Messages{KV_MSG_UPDATE, KV_MSG_UPDATE}));

  KvNode* lone = NewArrow();
  Edit(lone, KV_SPLINEOBJECT_INTERPOLATION, 2);
  Mark();
  Edit(lone, ARROW_WRAP_NATURAL_INTERPOLATION, false);
  Edit(lone, ARROW_WRAP_NATURAL_INTERPOLATION, true);
  EXPECT_EQ(Int(lone, KV_SPLINEOBJECT_INTERPOLATION), 2);
  EXPECT_EQ(StepCount(), steps + 2);
  EXPECT_TRUE(ModuleMessages(lone).empty());
}

TEST_P(ParameterChangeTest, OtherParametersTouchNoRelatedObject) {
  KvNode* cloner = Add(KV_TYPE_CLONER);
  KvNode* extrude = Add(KV_TYPE_EXTRUDE, cloner);
  KvNode* arrow = NewArrow();
  Move(arrow, extrude);
  Add(KV_TYPE_SPLINE_WRAP, extrude);
  Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
  Raw(arrow, ARROW_CLONE_SPLINE, Add(KV_TYPE_SPLINE));
  Mark();

  const std::initializer_list<std::int32_t> ids{ARROW_HEAD_LENGTH, ARROW_CLONER_ADD_EXTRUDE,
                                                 ARROW_CLONE_ON_SPLINE, ARROW_WRAP_ADD_EXTRUDE,
                                                 77777};
  for (std::int32_t id : ids) {
    Edit(arrow, id, 1);
  }
  EXPECT_EQ(StepCount(), steps + 5);
  EXPECT_TRUE(ModuleMessages(cloner).empty());
  EXPECT_TRUE(ModuleMessages(extrude).empty());
  EXPECT_TRUE(ModuleMessages(arrow).empty());
}

KV_INSTANTIATE_FLAVOURS(ParameterChangeTest);

}  // namespace
}  // namespace kvtest
