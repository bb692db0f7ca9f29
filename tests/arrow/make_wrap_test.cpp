// The make-Spline-Wrap button: where the new deformer goes for each parent and Extrude
// switch, how it is set up, the undo records of its one group, and a deformer that finds
// no place, which must not outlive the command.
#include "scene_helpers.h"

namespace kvtest {
namespace {

using kvhost::AllocKind;
using kvhost::Children;
using kvhost::TopObjects;

class MakeWrapTest : public SceneTest {
 protected:
  KvNode* WrappableArrow(bool addExtrude) {
    path = Add(KV_TYPE_SPLINE);
    KvNode* arrow = NewArrow();
    Raw(arrow, ARROW_WRAP_SPLINE, path);
    Raw(arrow, ARROW_WRAP_ADD_EXTRUDE, addExtrude);
    return arrow;
  }
  // The deformer set up from the arrow's defaults: switch on, the path linked.
  void ExpectConfigured(KvNode* deformer) {
    ASSERT_NE(deformer, nullptr);
    ASSERT_EQ(kvhost::ObjectType(deformer), KV_TYPE_SPLINE_WRAP) << kvhost::DocumentText(doc);
    EXPECT_EQ(Int(deformer, KV_SPLINEWRAP_AXIS_SWITCH), 1);
    EXPECT_EQ(Link(deformer, KV_SPLINEWRAP_SPLINE), path);
    EXPECT_EQ(ModuleMessages(deformer), Messages{KV_MSG_UPDATE});
  }
  void ExpectNaturalInterpolation(KvNode* arrow) {
    EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), 1);
    EXPECT_EQ(ModuleMessages(arrow), Messages{KV_MSG_UPDATE});
  }

  KvNode* path = nullptr;
};

TEST_P(MakeWrapTest, StopsBeforeOpeningAGroup) {
  for (KvNode* link : {static_cast<KvNode*>(nullptr), SplineInNoDocument()}) {
    SCOPED_TRACE(link == nullptr ? "no path" : "path in no document");
    KvNode* arrow = WrappableArrow(true);
    Raw(arrow, ARROW_WRAP_SPLINE, link);
    Mark();
    Press(arrow, ARROW_MAKE_WRAP);
    ExpectNothingDone();
  }

  KvNode* arrow = WrappableArrow(false);
  KvNode* sibling = Add(KV_TYPE_SPLINE_WRAP);  // after the arrow: a following sibling
  ASSERT_EQ(TopObjects(doc)[0], arrow);
  Mark();
  Press(arrow, ARROW_MAKE_WRAP);
  ExpectNothingDone();
  EXPECT_TRUE(ModuleMessages(sibling).empty());
}

TEST_P(MakeWrapTest, PressedTwiceTheSecondPressFindsTheFirstDeformer) {
  for (bool addExtrude : {false, true}) {
    SCOPED_TRACE(addExtrude ? "with Extrude" : "without Extrude");
    KvNode* arrow = WrappableArrow(addExtrude);
    Press(arrow, ARROW_MAKE_WRAP);
    Mark();
    Press(arrow, ARROW_MAKE_WRAP);
    ExpectNothingDone();
  }
}

// The arrow was not moved, so the group held no record of it when its interpolation was
// written: undo left the interpolation natural until the arrow was recorded first.
TEST_P(MakeWrapTest, UndoRestoresInterpolationWhenTheArrowWasNotMoved) {
  KvNode* arrow = WrappableArrow(false);
  KvNode* child = Add(KV_TYPE_NULL, arrow);
  Mark();

  Press(arrow, ARROW_MAKE_WRAP);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 1);
  const std::vector<KvNode*> children = Children(arrow);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[1], child);
  KvNode* deformer = children[0];
  ExpectConfigured(deformer);
  ExpectNaturalInterpolation(arrow);
  EXPECT_EQ(LastRecords(), (Records{New(deformer), Change(arrow)}));
  ExpectUndoRedoExact(before);
}

TEST_P(MakeWrapTest, UnderAnExtrudeTheDeformerBecomesItsLastChildWithEitherSwitch) {
  for (bool addExtrude : {false, true}) {
    SCOPED_TRACE(addExtrude ? "with Extrude" : "without Extrude");
    KvNode* arrow = WrappableArrow(addExtrude);
    KvNode* extrude = Add(KV_TYPE_EXTRUDE);
    Move(arrow, extrude);
    KvNode* other = Add(KV_TYPE_NULL, extrude);
    Mark();

    Press(arrow, ARROW_MAKE_WRAP);

    ExpectOneGroup();
    EXPECT_EQ(NewObjects(), 1);
    const std::vector<KvNode*> children = Children(extrude);
    ASSERT_EQ(children.size(), 3u) << kvhost::DocumentText(doc);
    EXPECT_EQ(children[0], arrow);
    EXPECT_EQ(children[1], other);
    ExpectConfigured(children[2]);
    ExpectNaturalInterpolation(arrow);
    EXPECT_EQ(LastRecords(), (Records{New(children[2]), Change(arrow)}));
    ExpectUndoRedoExact(before);
  }
}

TEST_P(MakeWrapTest, SwitchOffWritesZeroAndNaturalOffKeepsTheUsersInterpolation) {
  KvNode* arrow = WrappableArrow(false);
  Raw(arrow, ARROW_WRAP_SWITCH, false);
  Raw(arrow, ARROW_WRAP_NATURAL_INTERPOLATION, false);
  Raw(arrow, KV_SPLINEOBJECT_INTERPOLATION, 2);
  Mark();

  Press(arrow, ARROW_MAKE_WRAP);

  ExpectOneGroup();
  ASSERT_EQ(Children(arrow).size(), 1u);
  KvNode* deformer = Children(arrow)[0];
  EXPECT_EQ(Int(deformer, KV_SPLINEWRAP_AXIS_SWITCH), 0);
  EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), 2);
  EXPECT_TRUE(ModuleMessages(arrow).empty());
  EXPECT_EQ(LastRecords(), Records{New(deformer)});
  ExpectUndoRedoExact(before);
}

TEST_P(MakeWrapTest, WithExtrudeAndNoParentBothGoIntoANewExtrude) {
  KvNode* arrow = WrappableArrow(true);
  Raw(arrow, ARROW_EXTRUDE_CAPS, true);
  Mark();

  Press(arrow, ARROW_MAKE_WRAP);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 2);
  KvNode* extrude = TopObjects(doc)[0];
  ASSERT_EQ(kvhost::ObjectType(extrude), KV_TYPE_EXTRUDE) << kvhost::DocumentText(doc);
  const std::vector<KvNode*> children = Children(extrude);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0], arrow);
  ExpectConfigured(children[1]);
  ExpectNaturalInterpolation(arrow);
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPSTART), 3);
  EXPECT_EQ(ModuleMessages(extrude), Messages{KV_MSG_UPDATE});
  // The arrow is already recorded by its move: no further record of it.
  EXPECT_EQ(LastRecords(),
            (Records{New(extrude), Change(arrow), Change(arrow), New(children[1])}));
  ExpectUndoRedoExact(before);
}

TEST_P(MakeWrapTest, WithExtrudeUnderAnotherParentTheExtrudeTakesTheArrowsPlace) {
  KvNode* arrow = WrappableArrow(true);
  const Nest nest = NestUnderParent(arrow);
  Mark();

  Press(arrow, ARROW_MAKE_WRAP);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 2);
  KvNode* extrude = ExtrudeInPlace(nest);
  ASSERT_NE(extrude, nullptr);
  const std::vector<KvNode*> children = Children(extrude);
  ASSERT_EQ(children.size(), 2u);
  EXPECT_EQ(children[0], arrow);
  ExpectConfigured(children[1]);
  EXPECT_EQ(LastRecords(), (Records{New(extrude), Change(arrow), Change(arrow), Change(extrude),
                                    Change(extrude), New(children[1])}));
  ExpectUndoRedoExact(before);
}

// Without the Extrude switch a deformer has no place beside an arrow under another parent:
// it is set up, then freed, and only the arrow's interpolation changes.
TEST_P(MakeWrapTest, UnplacedDeformerIsFreedBeforeTheCommandReturns) {
  for (bool natural : {true, false}) {
    SCOPED_TRACE(natural ? "natural on" : "natural off");
    KvNode* arrow = WrappableArrow(false);
    Raw(arrow, ARROW_WRAP_NATURAL_INTERPOLATION, natural);
    KvNode* parent = Add(KV_TYPE_NULL);
    Move(arrow, parent);
    Mark();

    Press(arrow, ARROW_MAKE_WRAP);

    EXPECT_EQ(NewObjects(), 0);
    EXPECT_EQ(Children(parent), std::vector<KvNode*>{arrow});
    EXPECT_TRUE(Children(arrow).empty());
    EXPECT_EQ(Int(arrow, KV_SPLINEOBJECT_INTERPOLATION), natural ? 1 : 3);
    if (natural) {
      ExpectOneGroup();
      EXPECT_EQ(LastRecords(), Records{Change(arrow)});
      ExpectUndoRedoExact(before);
    } else {
      ExpectOneEmptyGroup();
    }
  }
}

TEST_P(MakeWrapTest, DeformerNotAllocatedEndsWithAClosedEmptyGroup) {
  PressWithoutMemoryForObjects(WrappableArrow(true), ARROW_MAKE_WRAP);
}

TEST_P(MakeWrapTest, ExtrudeNotAllocatedLeavesTheDeformerUnplacedAndFreed) {
  KvNode* arrow = WrappableArrow(true);
  Mark();
  kvhost::FailNextAllocation(AllocKind::Object, 1, 1);  // the deformer is made, the Extrude not

  Press(arrow, ARROW_MAKE_WRAP);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 0);
  EXPECT_EQ(TopObjects(doc), (std::vector<KvNode*>{arrow, path}));
  EXPECT_TRUE(Children(arrow).empty());
  ExpectNaturalInterpolation(arrow);
  EXPECT_EQ(LastRecords(), Records{Change(arrow)});
  ExpectUndoRedoExact(before);
}

KV_INSTANTIATE_FLAVOURS(MakeWrapTest);

}  // namespace
}  // namespace kvtest
