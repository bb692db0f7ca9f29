// The reset and info buttons, the menu preparation, the answer to every message, and an
// arrow that belongs to no document.
#include <filesystem>

#include "resources.h"
#include "scene_helpers.h"

namespace kvtest {
namespace {

using ArrowButtonTest = SceneTest;

KvDescId DepthOne(std::int32_t id) {
  KvDescId descId{};
  descId.depth = 1;
  descId.level[0].id = id;
  return descId;
}

bool SendParameterSet(KvNode* node, std::int32_t id) {
  const KvDescId descId = DepthOne(id);
  KvMsgPostSetParameter msg{&descId};
  return kvhost::SendMessage(node, KV_MSG_DESCRIPTION_POSTSETPARAMETER, &msg);
}

TEST_P(ArrowButtonTest, ResetIsOneChangeStepAndKeepsLinksAndUnresetSwitches) {
  KvNode* cloneSpline = Add(KV_TYPE_SPLINE);
  KvNode* wrapSpline = Add(KV_TYPE_SPLINE);
  KvNode* arrow = NewArrow();
  Raw(arrow, ARROW_SHAFT_LENGTH, 250.0);
  Raw(arrow, ARROW_CLONE_COUNT, 7);
  Raw(arrow, ARROW_CLONE_PLANE_ZY, false);
  Raw(arrow, ARROW_CLONE_SPLINE_VALUE, 4.5);
  Raw(arrow, ARROW_WRAP_SWITCH, false);
  Raw(arrow, ARROW_WRAP_NATURAL_INTERPOLATION, false);
  Raw(arrow, KV_PRIM_PLANE, 2);
  Raw(arrow, KV_SPLINEOBJECT_INTERPOLATION, 1);
  Raw(arrow, ARROW_PRESET_NAME, std::string("mine"));
  for (std::int32_t id : {ARROW_EXTRUDE_CAPS, ARROW_CLONER_ADD_EXTRUDE, ARROW_CLONE_ON_SPLINE,
                          ARROW_WRAP_ADD_EXTRUDE}) {
    Raw(arrow, id, true);
  }
  Raw(arrow, ARROW_CLONE_SPLINE, cloneSpline);
  Raw(arrow, ARROW_WRAP_SPLINE, wrapSpline);
  Mark();

  Press(arrow, ARROW_RESET);

  ExpectOneGroup();
  EXPECT_EQ(LastRecords(), Records{Change(arrow)});
  EXPECT_EQ(ModuleMessages(arrow), Messages{KV_MSG_UPDATE});
  EXPECT_EQ(Float(arrow, ARROW_SHAFT_LENGTH), 400.0);
  EXPECT_EQ(Int(arrow, ARROW_CLONE_COUNT), 3);
  EXPECT_TRUE(Bool(arrow, ARROW_CLONE_PLANE_ZY));
  EXPECT_EQ(Float(arrow, ARROW_CLONE_SPLINE_VALUE), 0.0);
  EXPECT_TRUE(Bool(arrow, ARROW_WRAP_SWITCH));
  EXPECT_TRUE(Bool(arrow, ARROW_WRAP_NATURAL_INTERPOLATION));
  EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 0);
  EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), 3);
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "");
  EXPECT_TRUE(Bool(arrow, ARROW_EXTRUDE_CAPS));
  EXPECT_TRUE(Bool(arrow, ARROW_CLONER_ADD_EXTRUDE));
  EXPECT_TRUE(Bool(arrow, ARROW_CLONE_ON_SPLINE));
  EXPECT_TRUE(Bool(arrow, ARROW_WRAP_ADD_EXTRUDE));
  EXPECT_EQ(Link(arrow, ARROW_CLONE_SPLINE), cloneSpline);
  EXPECT_EQ(Link(arrow, ARROW_WRAP_SPLINE), wrapSpline);
  ExpectUndoRedoExact(before);
}

TEST_P(ArrowButtonTest, ResetSetsAdaptiveInterpolationEvenWhileWrappedWithNaturalOn) {
  KvNode* arrow = NewArrow();
  Add(KV_TYPE_SPLINE_WRAP, arrow);
  Edit(arrow, ARROW_WRAP_NATURAL_INTERPOLATION, true);
  ASSERT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), 1);

  Press(arrow, ARROW_RESET);
  EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), 3);
}

TEST_P(ArrowButtonTest, InfoShowsString10001WithTheExclamationIconAndChangesNothing) {
  kvhost::ResourceFolder res;
  std::string error;
  ASSERT_TRUE(kvhost::LoadResourceFolder(PluginFolder() / "res", res, error)) << error;
  const std::string* text = kvhost::FindString(res, 10001);
  ASSERT_NE(text, nullptr);
  KvNode* arrow = NewArrow();
  Mark();

  Press(arrow, ARROW_INFO);

  ASSERT_EQ(kvhost::MessageDialogs().size(), 1u);
  EXPECT_EQ(kvhost::MessageDialogs()[0].text, *text);
  EXPECT_EQ(kvhost::MessageDialogs()[0].flags, KV_GEMB_ICONEXCLAMATION);
  ExpectNothingDone();
  EXPECT_TRUE(ModuleMessages(arrow).empty());
}

TEST_P(ArrowButtonTest, NewArrowFromTheMenuLiesInTheDocumentsSplinePlane) {
  for (std::int32_t plane : {2, 1, 0}) {
    SCOPED_TRACE("plane " + std::to_string(plane));
    kvhost::SetSplinePlane(doc, plane);
    steps = StepCount();
    KvNode* arrow = NewArrow();
    EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), plane);
    ASSERT_EQ(StepCount(), steps + 1);
    EXPECT_EQ(LastRecords(), Records{New(arrow)});
    EXPECT_TRUE(ModuleMessages(arrow).empty());
  }
}

TEST_P(ArrowButtonTest, EveryMessageIsAnsweredTrue) {
  KvNode* arrow = NewArrow();
  for (std::int32_t type : {0, 1, 5, 7, 17, 18, 22, 23, 1000, 100004, -4}) {
    // 17 and 18 with no data and 22 with no document must not be read.
    EXPECT_TRUE(kvhost::SendMessage(arrow, type, nullptr)) << "type " << type;
  }
  EXPECT_TRUE(kvhost::PressButton(arrow, 99999));
  EXPECT_TRUE(kvhost::PressButton(arrow, ARROW_HEAD_LENGTH));
  EXPECT_TRUE(SendParameterSet(arrow, 77777));
  EXPECT_TRUE(kvhost::SetParameter(doc, arrow, ARROW_HEAD_LENGTH, 120.0));
  EXPECT_TRUE(kvhost::SetParameter(doc, arrow, ARROW_CLONE_COUNT, 5));
  EXPECT_TRUE(kvhost::SendMessage(arrow, KV_MSG_MENUPREPARE, doc));
}

// Without a document nothing can be recorded or inserted: only save and info still act.
TEST_P(ArrowButtonTest, ArrowInNoDocumentIgnoresEditsAndCommands) {
  KvNode* spline = Add(KV_TYPE_SPLINE);
  KvNode* loose = kvhost::AllocObject(Okeelvane);
  ASSERT_NE(loose, nullptr);
  Raw(loose, ARROW_SHAFT_LENGTH, 123.0);
  Raw(loose, ARROW_CLONE_ON_SPLINE, true);
  Raw(loose, ARROW_CLONE_SPLINE, spline);
  Raw(loose, ARROW_WRAP_SPLINE, spline);
  Raw(loose, ARROW_EXTRUDE_CAPS, true);
  const std::string looseBefore = kvhost::ParameterText(loose);
  Mark();

  for (std::int32_t id : {ARROW_CLONE_PLANE_ZY, ARROW_WRAP_NATURAL_INTERPOLATION,
                          ARROW_CLONE_COUNT, ARROW_EXTRUDE_CAPS}) {
    EXPECT_TRUE(SendParameterSet(loose, id));
  }
  for (std::int32_t id : {ARROW_RESET, ARROW_MAKE_EXTRUDE, ARROW_MAKE_CLONER, ARROW_MAKE_WRAP,
                          ARROW_PRESET_LOAD}) {
    Press(loose, id);
  }

  EXPECT_EQ(kvhost::ParameterText(loose), looseBefore);
  ExpectNothingDone();
  EXPECT_TRUE(kvhost::MessageDialogs().empty());
  EXPECT_EQ(kvhost::DocumentOf(loose), nullptr);
  EXPECT_TRUE(kvhost::Children(loose).empty());

  Press(loose, ARROW_INFO);
  EXPECT_EQ(kvhost::MessageDialogs().size(), 1u);
  kvhost::FreeObject(loose);
}

KV_INSTANTIATE_FLAVOURS(ArrowButtonTest);

}  // namespace
}  // namespace kvtest
