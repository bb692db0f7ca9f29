// The make-Extrude and make-Cloner buttons: the hierarchy each leaves for every kind of
// parent, the undo records of its one group in order, and one undo taking it all back.
#include <functional>

#include "scene_helpers.h"

namespace kvtest {
namespace {

using kvhost::AllocKind;
using kvhost::Children;
using kvhost::Position;
using kvhost::TopObjects;

using MakeExtrudeTest = SceneTest;
using MakeClonerTest = SceneTest;

TEST_P(MakeExtrudeTest, WithoutParentTheArrowGoesIntoANewExtrudeAtTheTop) {
  for (bool caps : {true, false}) {
    SCOPED_TRACE(caps ? "caps on" : "caps off");
    Add(KV_TYPE_NULL);
    KvNode* arrow = NewArrow();
    Move(arrow, nullptr, Position::Last);
    Raw(arrow, ARROW_EXTRUDE_CAPS, caps);
    Mark();

    Press(arrow, ARROW_MAKE_EXTRUDE);

    ExpectOneGroup();
    EXPECT_EQ(NewObjects(), 1);
    KvNode* extrude = TopObjects(doc)[0];
    ASSERT_EQ(kvhost::ObjectType(extrude), KV_TYPE_EXTRUDE) << kvhost::DocumentText(doc);
    EXPECT_EQ(Children(extrude), std::vector<KvNode*>{arrow});
    EXPECT_EQ(LastRecords(), (Records{New(extrude), Change(arrow), Change(arrow)}));
    EXPECT_TRUE(ModuleMessages(arrow).empty());
    if (caps) {
      EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPSTART), 3);
      EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPEND), 3);
      EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_STARTSTEPS), 5);
      EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_ENDSTEPS), 5);
      EXPECT_TRUE(Bool(extrude, KV_EXTRUDEOBJECT_FILLETCAPS));
      EXPECT_EQ(ModuleMessages(extrude), Messages{KV_MSG_UPDATE});
    } else {
      EXPECT_TRUE(kvhost::ParameterIds(kvhost::Container(extrude)).empty());
      EXPECT_TRUE(ModuleMessages(extrude).empty());
    }
    ExpectUndoRedoExact(before);
  }
}

TEST_P(MakeExtrudeTest, ChildDeformerMovesIntoTheNewExtrudeAfterTheArrow) {
  KvNode* arrow = NewArrow();
  KvNode* null = Add(KV_TYPE_NULL, arrow);
  KvNode* deformer = Add(KV_TYPE_SPLINE_WRAP, arrow);
  Mark();

  Press(arrow, ARROW_MAKE_EXTRUDE);

  ExpectOneGroup();
  KvNode* extrude = TopObjects(doc)[0];
  EXPECT_EQ(Children(extrude), (std::vector<KvNode*>{arrow, deformer}));
  EXPECT_EQ(Children(arrow), std::vector<KvNode*>{null});
  EXPECT_EQ(LastRecords(), (Records{New(extrude), Change(arrow), Change(arrow),
                                    Change(deformer), Change(deformer)}));
  ExpectUndoRedoExact(before);
}

// The deformer is looked for once the arrow is inside the new Extrude, where it has no
// siblings: a deformer beside the arrow stays where it was.
TEST_P(MakeExtrudeTest, DeformerBesideTheArrowStaysWhereItIs) {
  KvNode* deformer = Add(KV_TYPE_SPLINE_WRAP);
  KvNode* arrow = NewArrow();
  Move(arrow, nullptr, Position::Last);
  Mark();

  Press(arrow, ARROW_MAKE_EXTRUDE);

  KvNode* extrude = TopObjects(doc)[0];
  EXPECT_EQ(TopObjects(doc), (std::vector<KvNode*>{extrude, deformer}));
  EXPECT_EQ(Children(extrude), std::vector<KvNode*>{arrow});
  EXPECT_EQ(LastRecords(), (Records{New(extrude), Change(arrow), Change(arrow)}));
}

TEST_P(MakeExtrudeTest, UnderAnExtrudeNothingChangesInOneEmptyGroup) {
  KvNode* extrude = Add(KV_TYPE_EXTRUDE);
  KvNode* arrow = NewArrow();
  Move(arrow, extrude);
  Mark();

  Press(arrow, ARROW_MAKE_EXTRUDE);

  ExpectOneEmptyGroup();
  EXPECT_EQ(NewObjects(), 0);
}

TEST_P(MakeExtrudeTest, UnderAnotherParentTheNewExtrudeBecomesItsFirstChild) {
  KvNode* arrow = NewArrow();
  const Nest nest = NestUnderParent(arrow);
  KvNode* deformer = Add(KV_TYPE_SPLINE_WRAP, arrow);
  Mark();

  Press(arrow, ARROW_MAKE_EXTRUDE);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 1);
  KvNode* extrude = ExtrudeInPlace(nest);
  ASSERT_NE(extrude, nullptr);
  EXPECT_EQ(TopObjects(doc), std::vector<KvNode*>{nest.parent});
  EXPECT_EQ(Children(extrude), (std::vector<KvNode*>{arrow, deformer}));
  EXPECT_EQ(LastRecords(),
            (Records{New(extrude), Change(arrow), Change(arrow), Change(extrude),
                     Change(extrude), Change(deformer), Change(deformer)}));
  ExpectUndoRedoExact(before);
}

// The new Extrude's caps need no container of their own: once a failed copy left the
// Extrude made but without caps, neither what the button does nor nothing.
// The same for the new Cloner's mode and count.
TEST_P(MakeExtrudeTest, CapsComeWithTheExtrudeEvenWithoutMemoryForAContainer) {
  struct Row {
    std::int32_t button, made, id, value;
  };
  for (const Row& row : {Row{ARROW_MAKE_EXTRUDE, KV_TYPE_EXTRUDE, KV_EXTRUDEOBJECT_CAPSTART, 3},
                         Row{ARROW_MAKE_CLONER, KV_TYPE_CLONER, KV_CLONER_FIXCLONES, 1}}) {
    SCOPED_TRACE(row.button);
    KvNode* arrow = NewArrow();
    Raw(arrow, ARROW_EXTRUDE_CAPS, true);
    kvhost::FailNextAllocation(AllocKind::Container);

    Press(arrow, row.button);

    KvNode* made = TopObjects(doc)[0];
    ASSERT_EQ(kvhost::ObjectType(made), row.made) << kvhost::DocumentText(doc);
    EXPECT_EQ(Int(made, row.id), row.value);
  }
}

TEST_P(MakeExtrudeTest, ExtrudeNotAllocatedEndsWithAClosedEmptyGroup) {
  for (bool withParent : {false, true}) {
    SCOPED_TRACE(withParent ? "under a null" : "no parent");
    KvNode* arrow = NewArrow();
    if (withParent) Move(arrow, Add(KV_TYPE_NULL));
    Add(KV_TYPE_SPLINE_WRAP, arrow);
    PressWithoutMemoryForObjects(arrow, ARROW_MAKE_EXTRUDE);
  }
}

TEST_P(MakeClonerTest, StopsBeforeOpeningAGroup) {
  KvNode* elsewhere = SplineInNoDocument();
  struct Case {
    const char* name;
    std::function<KvNode*()> scene;
  };
  const Case cases[] = {
      {"along a spline, none linked",
       [&] {
         KvNode* arrow = NewArrow();
         Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
         return arrow;
       }},
      {"along a spline in no document",
       [&] {
         KvNode* arrow = NewArrow();
         Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
         Raw(arrow, ARROW_CLONE_SPLINE, elsewhere);
         return arrow;
       }},
      {"parent Cloner",
       [&] {
         KvNode* arrow = NewArrow();
         Move(arrow, Add(KV_TYPE_CLONER));
         return arrow;
       }},
      {"Cloner over an Extrude",
       [&] {
         KvNode* arrow = NewArrow();
         Move(arrow, Add(KV_TYPE_EXTRUDE, Add(KV_TYPE_CLONER)));
         return arrow;
       }},
      {"Cloner over a null",
       [&] {
         KvNode* arrow = NewArrow();
         Move(arrow, Add(KV_TYPE_NULL, Add(KV_TYPE_CLONER)));
         return arrow;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KvNode* arrow = c.scene();
    Mark();
    Press(arrow, ARROW_MAKE_CLONER);
    ExpectNothingDone();
  }
}

TEST_P(MakeClonerTest, WithoutParentTheArrowIsClonedInALine) {
  KvNode* arrow = NewArrow();
  Raw(arrow, ARROW_CLONE_COUNT, 6);
  Raw(arrow, ARROW_CLONE_SPLINE, Add(KV_TYPE_SPLINE));  // linked, but not cloned along
  Mark();

  Press(arrow, ARROW_MAKE_CLONER);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 1);
  KvNode* cloner = TopObjects(doc)[0];
  ASSERT_EQ(kvhost::ObjectType(cloner), KV_TYPE_CLONER);
  EXPECT_EQ(Children(cloner), std::vector<KvNode*>{arrow});
  EXPECT_EQ(kvhost::ParameterIds(kvhost::Container(cloner)),
            (std::vector<std::int32_t>{KV_CLONER_FIXCLONES, KV_CLONER_LINEAR_COUNT, KV_CLONER_MODE}));
  EXPECT_EQ(Int(cloner, KV_CLONER_MODE), 1);
  EXPECT_EQ(Int(cloner, KV_CLONER_FIXCLONES), 1);
  EXPECT_EQ(Int(cloner, KV_CLONER_LINEAR_COUNT), 6);
  EXPECT_EQ(LastRecords(), (Records{New(cloner), Change(arrow), Change(arrow)}));
  EXPECT_EQ(ModuleMessages(cloner), Messages{KV_MSG_UPDATE});
  EXPECT_TRUE(ModuleMessages(arrow).empty());
  EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 0);
  ExpectUndoRedoExact(before);
}

TEST_P(MakeClonerTest, WithoutParentAlongASplineTheArrowFollowsTheZySwitch) {
  for (bool planeZy : {true, false}) {
    SCOPED_TRACE(planeZy ? "ZY on" : "ZY off");
    KvNode* spline = Add(KV_TYPE_SPLINE);
    KvNode* arrow = NewArrow();
    Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
    Raw(arrow, ARROW_CLONE_SPLINE, spline);
    Raw(arrow, ARROW_CLONE_COUNT, 4);
    Raw(arrow, ARROW_CLONE_SPLINE_VALUE, 2.5);
    Raw(arrow, ARROW_CLONE_PLANE_ZY, planeZy);
    Mark();

    Press(arrow, ARROW_MAKE_CLONER);

    ExpectOneGroup();
    KvNode* cloner = TopObjects(doc)[0];
    EXPECT_EQ(Children(cloner), std::vector<KvNode*>{arrow});
    EXPECT_EQ(Int(cloner, KV_CLONER_MODE), 0);
    EXPECT_EQ(Int(cloner, KV_CLONER_FIXCLONES), 1);
    EXPECT_EQ(Int(cloner, KV_CLONER_OBJECT_COUNT), 4);
    EXPECT_EQ(Float(cloner, KV_CLONER_OBJECT_SPACING), 2.5);
    EXPECT_EQ(Link(cloner, KV_CLONER_OBJECT_LINK), spline);
    EXPECT_FALSE(Has(cloner, KV_CLONER_LINEAR_COUNT));
    EXPECT_EQ(LastRecords(), (Records{New(cloner), Change(arrow), Change(arrow)}));
    EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), planeZy ? 1 : 0);
    EXPECT_EQ(ModuleMessages(arrow), planeZy ? Messages{KV_MSG_UPDATE} : Messages{});
    ExpectUndoRedoExact(before);
  }
}

TEST_P(MakeClonerTest, AddExtrudeClonesANewExtrudeThatHoldsTheArrow) {
  KvNode* spline = Add(KV_TYPE_SPLINE);
  KvNode* arrow = NewArrow();
  Raw(arrow, ARROW_CLONER_ADD_EXTRUDE, true);
  Raw(arrow, ARROW_EXTRUDE_CAPS, true);
  Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
  Raw(arrow, ARROW_CLONE_SPLINE, spline);
  Mark();

  Press(arrow, ARROW_MAKE_CLONER);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 2);
  KvNode* cloner = TopObjects(doc)[0];
  ASSERT_EQ(Children(cloner).size(), 1u) << kvhost::DocumentText(doc);
  KvNode* extrude = Children(cloner)[0];
  ASSERT_EQ(kvhost::ObjectType(extrude), KV_TYPE_EXTRUDE);
  EXPECT_EQ(Children(extrude), std::vector<KvNode*>{arrow});
  EXPECT_EQ(LastRecords(), (Records{New(cloner), New(extrude), Change(arrow), Change(arrow),
                                    Change(extrude), Change(extrude)}));
  EXPECT_EQ(Int(extrude, KV_EXTRUDEOBJECT_CAPSTART), 3);
  EXPECT_EQ(Vec(extrude, KV_EXTRUDEOBJECT_MOVE), Vec(0, 0, 0));
  EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 1);
  // Caps of the new Extrude, then its turn to ZY.
  EXPECT_EQ(ModuleMessages(extrude), (Messages{KV_MSG_UPDATE, KV_MSG_UPDATE}));
  EXPECT_EQ(ModuleMessages(cloner), Messages{KV_MSG_UPDATE});
  ExpectUndoRedoExact(before);
}

// The Extrude parent was recorded before it moved, the arrow inside it was not: the
// arrow's plane, written by the turn to ZY, came back only after a change record of it.
TEST_P(MakeClonerTest, UndoRestoresArrowPlaneAfterClonerTurnedItsExtrude) {
  for (bool alongSpline : {true, false}) {
    SCOPED_TRACE(alongSpline ? "along a spline" : "in a line");
    KvNode* extrude = Add(KV_TYPE_EXTRUDE);
    Raw(extrude, KV_EXTRUDEOBJECT_MOVE, KvVector{0, 0, 100});
    KvNode* arrow = NewArrow();
    Move(arrow, extrude);
    Raw(arrow, ARROW_CLONE_ON_SPLINE, alongSpline);
    Raw(arrow, ARROW_CLONE_SPLINE, Add(KV_TYPE_SPLINE));
    Mark();

    Press(arrow, ARROW_MAKE_CLONER);

    ExpectOneGroup();
    EXPECT_EQ(NewObjects(), 1);
    KvNode* cloner = TopObjects(doc)[0];
    EXPECT_EQ(Children(cloner), std::vector<KvNode*>{extrude});
    EXPECT_EQ(Children(extrude), std::vector<KvNode*>{arrow});
    Records expected{New(cloner), Change(extrude), Change(extrude)};
    if (alongSpline) expected.push_back(Change(arrow));
    EXPECT_EQ(LastRecords(), expected);
    EXPECT_EQ(Vec(extrude, KV_EXTRUDEOBJECT_MOVE), alongSpline ? Vec(100, 0, 0) : Vec(0, 0, 100));
    EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), alongSpline ? 1 : 0);
    ExpectUndoRedoExact(before);
  }
}

TEST_P(MakeClonerTest, UnderAnotherParentANewEmptyClonerStaysAtTheTop) {
  KvNode* parent = Add(KV_TYPE_NULL);
  KvNode* arrow = NewArrow();
  Move(arrow, parent);
  Raw(arrow, ARROW_CLONER_ADD_EXTRUDE, true);  // only for an arrow without a parent
  Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
  Raw(arrow, ARROW_CLONE_SPLINE, Add(KV_TYPE_SPLINE));
  Mark();

  Press(arrow, ARROW_MAKE_CLONER);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 1);
  KvNode* cloner = TopObjects(doc)[0];
  ASSERT_EQ(kvhost::ObjectType(cloner), KV_TYPE_CLONER);
  EXPECT_TRUE(Children(cloner).empty());
  EXPECT_EQ(Children(parent), std::vector<KvNode*>{arrow});
  EXPECT_EQ(LastRecords(), Records{New(cloner)});
  EXPECT_EQ(ModuleMessages(cloner), Messages{KV_MSG_UPDATE});
  EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 0);
  ExpectUndoRedoExact(before);
}

TEST_P(MakeClonerTest, ClonerNotAllocatedEndsWithAClosedEmptyGroup) {
  KvNode* arrow = NewArrow();
  Raw(arrow, ARROW_CLONER_ADD_EXTRUDE, true);
  PressWithoutMemoryForObjects(arrow, ARROW_MAKE_CLONER);
}

TEST_P(MakeClonerTest, ExtrudeNotAllocatedLeavesTheClonerEmptyAndTheArrowInPlace) {
  KvNode* arrow = NewArrow();
  Raw(arrow, ARROW_CLONER_ADD_EXTRUDE, true);
  Mark();
  kvhost::FailNextAllocation(AllocKind::Object, 1, 1);  // the Cloner is made, the Extrude not

  Press(arrow, ARROW_MAKE_CLONER);

  ExpectOneGroup();
  EXPECT_EQ(NewObjects(), 1);
  KvNode* cloner = TopObjects(doc)[0];
  ASSERT_EQ(kvhost::ObjectType(cloner), KV_TYPE_CLONER);
  EXPECT_TRUE(Children(cloner).empty());
  EXPECT_EQ(TopObjects(doc), (std::vector<KvNode*>{cloner, arrow}));
  EXPECT_EQ(LastRecords(), Records{New(cloner)});
  ExpectUndoRedoExact(before);
}

KV_INSTANTIATE_FLAVOURS(MakeExtrudeTest);
KV_INSTANTIATE_FLAVOURS(MakeClonerTest);

}  // namespace
}  // namespace kvtest
