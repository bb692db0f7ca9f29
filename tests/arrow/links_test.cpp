// Which Spline Wrap deformer is the arrow's, and how an Extrude is turned when the arrow
// is laid into the ZY plane for cloning along a spline.
#include "scene_helpers.h"

namespace kvtest {
namespace {

using kvhost::Position;

class RelatedObjectTest : public SceneTest {
 protected:
  // The deformer that a change of the wrap switch reaches: the one FindWrapDeformer gives.
  KvNode* FoundDeformer(KvNode* arrow, const std::vector<KvNode*>& deformers) {
    ClearLogs();
    Edit(arrow, ARROW_WRAP_SWITCH, !Bool(arrow, ARROW_WRAP_SWITCH));
    KvNode* found = nullptr;
    for (KvNode* d : deformers) {
      if (ModuleMessages(d).empty()) continue;
      EXPECT_EQ(found, nullptr) << "two deformers written";
      found = d;
    }
    return found;
  }

  // An arrow along a linked spline, ZY switch on, inside an Extrude moving by move.
  KvNode* ArrowInExtrude(KvNode** extrude, const KvVector* move) {
    KvNode* arrow = NewArrow();
    *extrude = Add(KV_TYPE_EXTRUDE);
    if (move != nullptr) Raw(*extrude, KV_EXTRUDEOBJECT_MOVE, *move);
    Move(arrow, *extrude);
    Raw(arrow, ARROW_CLONE_ON_SPLINE, true);
    Raw(arrow, ARROW_CLONE_SPLINE, Add(KV_TYPE_SPLINE));
    return arrow;
  }
};

TEST_P(RelatedObjectTest, DeformerSearchTakesChildThenNearerPrecedingThenNearerFollowing) {
  KvNode* shelf = Add(KV_TYPE_NULL);  // deformers put here are a level too deep to be found
  KvNode* precedingFar = Add(KV_TYPE_SPLINE_WRAP);
  KvNode* precedingNear = Add(KV_TYPE_SPLINE_WRAP);
  KvNode* arrow = NewArrow();
  Move(arrow, nullptr, Position::Last);
  KvNode* followingNear = Add(KV_TYPE_SPLINE_WRAP);
  KvNode* followingFar = Add(KV_TYPE_SPLINE_WRAP);
  KvNode* firstChild = Add(KV_TYPE_NULL, arrow);
  KvNode* child = Add(KV_TYPE_SPLINE_WRAP, arrow);
  KvNode* grandchild = Add(KV_TYPE_SPLINE_WRAP, firstChild);
  const std::vector<KvNode*> all{precedingFar, precedingNear, followingNear, followingFar,
                                 child, grandchild};
  ASSERT_EQ(kvhost::TopObjects(doc),
            (std::vector<KvNode*>{shelf, precedingFar, precedingNear, arrow, followingNear,
                                  followingFar}))
      << kvhost::DocumentText(doc);

  for (KvNode* expected : {child, precedingNear, precedingFar, followingNear, followingFar}) {
    SCOPED_TRACE("expected " + Name(expected));
    EXPECT_EQ(FoundDeformer(arrow, all), expected) << kvhost::DocumentText(doc);
    Move(expected, shelf);
  }
  EXPECT_EQ(FoundDeformer(arrow, all), nullptr);
}

TEST_P(RelatedObjectTest, ClonerAlongSplineTurnsTheParentExtrudesMovementToZY) {
  struct Case {
    const char* name;
    bool hasMove;
    KvVector move;
    std::string turned;
  };
  const Case cases[] = {{"depth along z", true, {0, 0, 100}, Vec(100, 0, 0)},
                        {"no depth along z", true, {30, 40, 0}, Vec(0, 40, 0)},
                        {"every component", true, {1, 2, 3}, Vec(3, 2, 0)},
                        {"no movement", false, {}, Vec(0, 0, 0)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KvNode* extrude = nullptr;
    KvNode* arrow = ArrowInExtrude(&extrude, c.hasMove ? &c.move : nullptr);
    ClearLogs();

    Press(arrow, ARROW_MAKE_CLONER);

    EXPECT_EQ(Vec(extrude, KV_EXTRUDEOBJECT_MOVE), c.turned);
    EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 1);
    EXPECT_EQ(ModuleMessages(arrow), Messages{KV_MSG_UPDATE});
    EXPECT_EQ(ModuleMessages(extrude), Messages{KV_MSG_UPDATE});
  }
}

TEST_P(RelatedObjectTest, ExtrudeIsNotTurnedWithoutTheZySwitchOrAlongNoSpline) {
  const KvVector move{0, 0, 100};
  for (bool planeZy : {false, true}) {
    SCOPED_TRACE(planeZy ? "not along a spline" : "ZY switch off");
    KvNode* extrude = nullptr;
    KvNode* arrow = ArrowInExtrude(&extrude, &move);
    Raw(arrow, ARROW_CLONE_PLANE_ZY, planeZy);
    if (planeZy) Raw(arrow, ARROW_CLONE_ON_SPLINE, false);
    ClearLogs();

    Press(arrow, ARROW_MAKE_CLONER);

    EXPECT_EQ(kvhost::ObjectType(kvhost::TopObjects(doc)[0]), KV_TYPE_CLONER);
    EXPECT_EQ(Vec(extrude, KV_EXTRUDEOBJECT_MOVE), Vec(0, 0, 100));
    EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 0);
    EXPECT_TRUE(ModuleMessages(arrow).empty());
    EXPECT_TRUE(ModuleMessages(extrude).empty());
  }
}

// A new Extrude made under a Cloner that clones along an object is laid into ZY too.
TEST_P(RelatedObjectTest, NewExtrudeUnderClonerTurnsOnlyInMode0WithALinkedObject) {
  KvNode* elsewhere = kvhost::AllocObject(KV_TYPE_SPLINE);  // in no document: reads as no link
  struct Case {
    const char* name;
    std::int32_t mode;
    KvNode* link;
    bool turned;
  };
  const Case cases[] = {{"mode 0 with a link", 0, Add(KV_TYPE_SPLINE), true},
                        {"mode 0 without a link", 0, nullptr, false},
                        {"mode 0, link elsewhere", 0, elsewhere, false},
                        {"mode 1 with a link", 1, Add(KV_TYPE_SPLINE), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    KvNode* cloner = Add(KV_TYPE_CLONER);
    Raw(cloner, KV_CLONER_MODE, c.mode);
    Raw(cloner, KV_CLONER_OBJECT_LINK, c.link);
    KvNode* arrow = NewArrow();
    Move(arrow, cloner);
    Mark();

    Press(arrow, ARROW_MAKE_EXTRUDE);

    ExpectOneGroup();
    EXPECT_EQ(NewObjects(), 1);
    ASSERT_EQ(kvhost::Children(cloner).size(), 1u);
    KvNode* extrude = kvhost::Children(cloner)[0];
    ASSERT_EQ(kvhost::ObjectType(extrude), KV_TYPE_EXTRUDE);
    EXPECT_EQ(kvhost::Children(extrude), std::vector<KvNode*>{arrow});
    EXPECT_EQ(LastRecords(), (Records{New(extrude), Change(arrow), Change(arrow),
                                      Change(extrude), Change(extrude)}));
    if (c.turned) {
      EXPECT_EQ(Vec(extrude, KV_EXTRUDEOBJECT_MOVE), Vec(0, 0, 0));
      EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 1);
      EXPECT_EQ(ModuleMessages(arrow), Messages{KV_MSG_UPDATE});
      EXPECT_EQ(ModuleMessages(extrude), Messages{KV_MSG_UPDATE});
    } else {
      EXPECT_FALSE(Has(extrude, KV_EXTRUDEOBJECT_MOVE));
      EXPECT_EQ(Int(arrow, KV_PRIM_PLANE), 0);
      EXPECT_TRUE(ModuleMessages(arrow).empty());
    }
    ExpectUndoRedoExact(before);
  }
  kvhost::FreeObject(elsewhere);
}

KV_INSTANTIATE_FLAVOURS(RelatedObjectTest);

}  // namespace
}  // namespace kvtest
