// Objects, the tree, tags and per-object message logs.
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
  KvNode* a = t->t_C4DOS_Bo->Alloc(5140);
  KvNode* b = t->t_C4DOS_Bo->Alloc(5116);
  KvNode* c = t->t_C4DOS_Bo->Alloc(1018544);
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

TEST_F(Objects, ContainerSlotIsStableAndStartsEmpty) {
  KvNode* n = t->t_C4DOS_Bo->Alloc(5116);
  KvContainer* const* slot = t->t_C4DOS_Bl->GetDataInstance(n);
  ASSERT_NE(*slot, nullptr);
  EXPECT_TRUE(ParameterIds(*slot).empty());
  t->t_C4DOS_Bc->SetVector(*slot, 1002, KvVector{0, 0, 100});
  EXPECT_EQ(t->t_C4DOS_Bl->GetDataInstance(n), slot);
  EXPECT_EQ(std::get<KvVector>(*GetParameter(Container(n), 1002)).z, 100.0);
  EXPECT_EQ(HostParameterTypes(5116).size(), 6u);
  FreeObject(n);
}

TEST_F(Objects, SplinePointsLiveInThePointTag) {
  KvNode* s = t->t_C4DOS_Bo->AllocSpline(3, 4);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(t->t_C4DOS_Bl->GetType(s), 5101);
  EXPECT_EQ(SplineType(s), 4) << "the spline type given is kept";
  KvNode* tag = t->t_C4DOS_Tg->GetTag(s, 5600, 0);
  ASSERT_NE(tag, nullptr);
  EXPECT_EQ(t->t_C4DOS_Tg->GetTag(s, 5600, 1), nullptr);
  EXPECT_EQ(t->t_C4DOS_Tg->GetDataCount(tag), 3);
  auto* p = static_cast<double*>(t->t_C4DOS_Tg->GetDataAddressW(tag));
  p[3] = 1;
  p[4] = 2;
  EXPECT_EQ(SplinePoints(s)[1].y, 2.0);
  EXPECT_EQ(LiveAllocations(AllocKind::Spline), 1);
  FreeObject(s);
  EXPECT_EQ(LiveAllocations(), 0);

  FailNextSplineStorage();
  s = t->t_C4DOS_Bo->AllocSpline(3, 0);
  tag = t->t_C4DOS_Tg->GetTag(s, 5600, 0);
  EXPECT_EQ(t->t_C4DOS_Tg->GetDataAddressW(tag), nullptr);
  EXPECT_EQ(t->t_C4DOS_Tg->GetDataCount(tag), 0);
  FreeObject(s);
}

TEST_F(Objects, MessagesAreLoggedPerObjectInOrder) {
  KvNode* a = AllocObject(5116);
  KvNode* b = AllocObject(1019221);
  EXPECT_TRUE(t->t_C4DOS_Bl->Message(a, 5, nullptr));
  t->t_C4DOS_Bl->Message(b, 7, nullptr);
  SendMessage(a, 17, nullptr);
  ASSERT_EQ(MessageLog(a).size(), 2u);
  EXPECT_EQ(MessageLog(a)[0].type, 5);
  EXPECT_EQ(MessageLog(a)[0].sender, MessageSender::Module);
  EXPECT_EQ(MessageLog(a)[1].type, 17);
  EXPECT_EQ(MessageLog(a)[1].sender, MessageSender::Host);
  ASSERT_EQ(MessageLog(b).size(), 1u);
  EXPECT_EQ(MessageLog(b)[0].type, 7);
  FreeObject(a);
  FreeObject(b);
}

TEST_F(Objects, FreeingAnObjectInATreeIsAHostError) {
  KvDocument* doc = NewDocument();
  KvNode* a = AllocObject(5140);
  t->t_C4DOS_Bd->InsertObject(doc, a, nullptr, nullptr);
  t->t_C4DOS_Bo->Free(a);
  EXPECT_EQ(HostErrors().size(), 1u);
  EXPECT_TRUE(TopObjects(doc).empty());
}

}  // namespace
