// Objects, the tree, tags, per-object message logs and the document as text.
#include <gtest/gtest.h>

#include "host.h"

namespace {

using namespace kvhost;

class Objects : public ::testing::Test {
 protected:
  void SetUp() override { ResetHost(); }
  void TearDown() override { ResetHost(); }
  const KvHostTables* t = HostTables();
};

TEST_F(Objects, TreeNavigationAndInsertion) {
  KvDocument* doc = NewDocument();
  KvNode* a = t->t_C4DOS_Bo->Alloc(KV_TYPE_NULL);
  KvNode* b = t->t_C4DOS_Bo->Alloc(KV_TYPE_EXTRUDE);
  KvNode* c = t->t_C4DOS_Bo->Alloc(KV_TYPE_CLONER);
  t->t_C4DOS_Bd->InsertObject(doc, a, nullptr, nullptr);
  t->t_C4DOS_Bl->InsertUnder(b, a);
  t->t_C4DOS_Bl->InsertUnder(c, a);
  EXPECT_EQ(t->t_C4DOS_Bl->GetDown(a), c);
  EXPECT_EQ(t->t_C4DOS_Bl->GetNext(c), b);
  EXPECT_EQ(t->t_C4DOS_Bl->GetPred(b), c);
  EXPECT_EQ(t->t_C4DOS_Bl->GetUp(b), a);
  EXPECT_EQ(t->t_C4DOS_Bl->GetDocument(b), doc);
  t->t_C4DOS_Bl->Remove(c);
  t->t_C4DOS_Bl->InsertUnderLast(c, a);
  EXPECT_EQ(Children(a), (std::vector<KvNode*>{b, c}));
  t->t_C4DOS_Bl->Remove(a);
  EXPECT_EQ(t->t_C4DOS_Bl->GetDocument(b), nullptr);
  EXPECT_TRUE(TopObjects(doc).empty());
  EXPECT_EQ(LiveAllocations(AllocKind::Object), 3);
  t->t_C4DOS_Bo->Free(a);
  EXPECT_EQ(LiveAllocations(AllocKind::Object), 0) << "children go with their parent";
  EXPECT_EQ(t->t_C4DOS_Bo->Alloc(424242), nullptr) << "unknown type";
}

TEST_F(Objects, ATreeNestedDeeperThanAStackTakesIsFreed) {
  KvNode* top = AllocObject(KV_TYPE_NULL);
  for (int i = 0; i < 200000; ++i) {
    KvNode* above = AllocObject(KV_TYPE_NULL);
    t->t_C4DOS_Bl->InsertUnder(top, above);
    top = above;
  }
  FreeObject(top);
  EXPECT_EQ(LiveAllocations(AllocKind::Object), 0);
}

TEST_F(Objects, ContainerSlotIsStableAndStartsEmpty) {
  KvNode* n = t->t_C4DOS_Bo->Alloc(KV_TYPE_EXTRUDE);
  KvContainer* const* slot = t->t_C4DOS_Bl->GetDataInstance(n);
  ASSERT_NE(*slot, nullptr);
  EXPECT_TRUE(ParameterIds(*slot).empty());
  t->t_C4DOS_Bc->SetVector(*slot, KV_EXTRUDEOBJECT_MOVE, KvVector{0, 0, 100});
  EXPECT_EQ(t->t_C4DOS_Bl->GetDataInstance(n), slot);
  EXPECT_EQ(std::get<KvVector>(*GetParameter(Container(n), KV_EXTRUDEOBJECT_MOVE)).z, 100.0);
  FreeObject(n);
}

// Every parameter the module writes on a host object has the name the host shows for it,
// and each int32 that stands for settings names one choice per setting it may hold.
TEST_F(Objects, HostParametersAndTypesHaveNames) {
  const struct {
    std::int32_t type;
    const char* name;
    std::size_t parameters;
  } cases[] = {{KV_TYPE_EXTRUDE, "Extrude", 6}, {KV_TYPE_CLONER, "Cloner", 6}, {KV_TYPE_SPLINE_WRAP, "Spline Wrap", 2},
               {KV_TYPE_SPLINE, "Spline", 7}, {KV_TYPE_NULL, "Null", 0}, {4242, "Object 4242", 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(ObjectTypeName(c.type), c.name);
    const std::vector<HostParameterType> params = HostParameterTypes(c.type);
    EXPECT_EQ(params.size(), c.parameters) << c.name;
    for (const HostParameterType& p : params) {
      EXPECT_NE(std::string(p.name), "") << c.name << " " << p.id;
      for (const HostChoice& choice : p.choices) EXPECT_NE(std::string(choice.name), "") << p.name;
    }
  }
  const auto caps = HostParameterTypes(KV_TYPE_EXTRUDE)[0];
  EXPECT_EQ(std::string(caps.name), "Start Cap");
  EXPECT_EQ(caps.choices.size(), 2u);
}

TEST_F(Objects, SplinePointsLiveInThePointTag) {
  KvNode* s = t->t_C4DOS_Bo->AllocSpline(3, 4);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(t->t_C4DOS_Bl->GetType(s), KV_TYPE_SPLINE);
  EXPECT_EQ(SplineType(s), 4) << "the spline type given is kept";
  KvNode* tag = t->t_C4DOS_Tg->GetTag(s, KV_TAG_POINT, 0);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(t->t_C4DOS_Tg->GetTag(s, KV_TAG_POINT, 1), nullptr);
  EXPECT_EQ(t->t_C4DOS_Tg->GetDataCount(tag), 3);
  auto* p = static_cast<double*>(t->t_C4DOS_Tg->GetDataAddressW(tag));
  p[3] = 1;
  p[4] = 2;
  EXPECT_EQ(SplinePoints(s)[1].y, 2.0);
  EXPECT_EQ(LiveAllocations(AllocKind::Spline), 1);
  FreeObject(s);
  EXPECT_EQ(LiveAllocations(), 0);

  FailNextSplineStorage();
  s = t->t_C4DOS_Bo->AllocSpline(3, KV_SPLINETYPE_LINEAR);
  tag = t->t_C4DOS_Tg->GetTag(s, KV_TAG_POINT, 0);
  EXPECT_EQ(t->t_C4DOS_Tg->GetDataAddressW(tag), nullptr);
  EXPECT_EQ(t->t_C4DOS_Tg->GetDataCount(tag), 0);
  FreeObject(s);
}

TEST_F(Objects, MessagesAreLoggedPerObjectInOrder) {
  KvNode* a = AllocObject(KV_TYPE_EXTRUDE);
  KvNode* b = AllocObject(KV_TYPE_SPLINE_WRAP);
  EXPECT_TRUE(t->t_C4DOS_Bl->Message(a, KV_MSG_UPDATE, nullptr));
  t->t_C4DOS_Bl->Message(b, KV_MSG_CHANGE, nullptr);
  SendMessage(a, KV_MSG_DESCRIPTION_POSTSETPARAMETER, nullptr);
  ASSERT_EQ(MessageLog(a).size(), 2u);
  EXPECT_EQ(MessageLog(a)[0].type, KV_MSG_UPDATE);
  EXPECT_EQ(MessageLog(a)[0].sender, MessageSender::Module);
  EXPECT_EQ(MessageLog(a)[1].type, KV_MSG_DESCRIPTION_POSTSETPARAMETER);
  EXPECT_EQ(MessageLog(a)[1].sender, MessageSender::Host);
  ASSERT_EQ(MessageLog(b).size(), 1u);
  EXPECT_EQ(MessageLog(b)[0].type, KV_MSG_CHANGE);
  FreeObject(a);
  FreeObject(b);
}

TEST_F(Objects, FreeingAnObjectInATreeIsAHostError) {
  KvDocument* doc = NewDocument();
  KvNode* a = AllocObject(KV_TYPE_NULL);
  t->t_C4DOS_Bd->InsertObject(doc, a, nullptr, nullptr);
  t->t_C4DOS_Bo->Free(a);
  EXPECT_EQ(HostErrors().size(), 1u);
  EXPECT_TRUE(TopObjects(doc).empty());
}

// A null holding a spline, with value written under id 1 of the null and a link to the
// spline under id 2.
KvDocument* NullAndSpline(const Value& value) {
  KvDocument* doc = NewDocument();
  KvNode* null = CreateObjectFromMenu(doc, KV_TYPE_NULL);
  KvNode* spline = CreateObjectFromMenu(doc, KV_TYPE_SPLINE);
  MoveObject(doc, spline, null, Position::Last);
  SetParameterRaw(Container(null), 1, value);
  SetParameterRaw(Container(null), 2, spline);
  return doc;
}

// The document as one comparable text: every object in tree order with every value.
TEST_F(Objects, DocumentTextWritesTheTreeAndValuesOfEachType) {
  KvDocument* doc = NullAndSpline(3);
  const std::vector<KvNode*> top = TopObjects(doc);
  const std::string null = std::to_string(KV_TYPE_NULL), spline = std::to_string(KV_TYPE_SPLINE);
  const std::string splineSerial = std::to_string(ObjectSerial(Children(top[0])[0]));
  EXPECT_EQ(DocumentText(doc), null + "#" + std::to_string(ObjectSerial(top[0])) + " 1=3 2=->" + spline + "#" +
                                   splineSerial + "\n  " + spline + "#" + splineSerial + "\n");
  EXPECT_EQ(DocumentText(doc, ObjectNames::ByPlace), null + "@0 1=3 2=->" + spline + "@1\n  " + spline + "@1\n");

  const struct {
    Value value;
    const char* text;
  } cases[] = {{3.0, "3.0"},     {-0.0, "-0.0"},  {0.25, "0.25"},  {true, "true"},
               {std::string("a \"b\""), "\"a \\\"b\\\"\""}, {KvVector{1, 2.5, -3}, "(1.0,2.5,-3.0)"},
               {static_cast<KvNode*>(nullptr), "->none"}};
  for (const auto& c : cases) EXPECT_EQ(ValueText(c.value), c.text);
}

TEST_F(Objects, DocumentTextOfDocumentsBuiltAlikeIsTheSameByPlaceAndApartBySerial) {
  KvDocument* a = NullAndSpline(std::int32_t{3});
  KvDocument* b = NullAndSpline(std::int32_t{3});
  KvDocument* real = NullAndSpline(3.0);
  EXPECT_EQ(DocumentText(a, ObjectNames::ByPlace), DocumentText(b, ObjectNames::ByPlace));
  EXPECT_NE(DocumentText(a), DocumentText(b));
  EXPECT_NE(DocumentText(a, ObjectNames::ByPlace), DocumentText(real, ObjectNames::ByPlace));
}

}  // namespace
