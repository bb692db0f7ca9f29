// Undo and redo restore the document exactly: tree and every container.
#include <functional>

#include <gtest/gtest.h>

#include "host.h"

namespace {

using namespace kvhost;

class UndoHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHost();
    doc = NewDocument();
    for (int i = 0; i < 4; ++i) {
      KvNode* n = AllocObject(KV_TYPE_NULL);
      bd->InsertObject(doc, n, nullptr, i == 0 ? nullptr : objs.back());
      bc->SetInt32(Container(n), 1, i);
      objs.push_back(n);
    }
  }
  void TearDown() override { ResetHost(); }

  // The module's MoveUnder: record, detach, record again, insert first under parent.
  void MoveUnder(KvNode* n, KvNode* parent) {
    bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, n);
    bl->Remove(n);
    bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, n);
    bl->InsertUnder(n, parent);
  }

  const KvDocumentTable* bd = HostTables()->t_C4DOS_Bd;
  const KvListNodeTable* bl = HostTables()->t_C4DOS_Bl;
  const KvContainerTable* bc = HostTables()->t_C4DOS_Bc;
  KvDocument* doc = nullptr;
  std::vector<KvNode*> objs;
};

TEST_F(UndoHistoryTest, NestedMovesInOneGroupUndoAndRedoExactly) {
  const std::string before = DocumentText(doc);
  bd->StartUndo(doc);
  MoveUnder(objs[1], objs[0]);
  bd->StartUndo(doc);  // nested: the same step
  MoveUnder(objs[2], objs[1]);
  bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, objs[3]);
  bc->SetInt32(Container(objs[3]), 1, 33);
  MoveUnder(objs[3], objs[0]);  // objs[3] now first under objs[0], before objs[1]
  bd->EndUndo(doc);
  MoveUnder(objs[1], objs[3]);  // moved a second time within the group
  bd->EndUndo(doc);
  const std::string after = DocumentText(doc);
  ASSERT_NE(before, after);
  ASSERT_EQ(UndoHistory(doc).size(), 1u);
  EXPECT_EQ(UndoHistory(doc)[0].records.size(), 9u);
  EXPECT_FALSE(UndoHistory(doc)[0].open);

  ASSERT_TRUE(Undo(doc));
  EXPECT_EQ(DocumentText(doc), before);
  ASSERT_TRUE(Redo(doc));
  EXPECT_EQ(DocumentText(doc), after);
  ASSERT_TRUE(Undo(doc));
  EXPECT_EQ(DocumentText(doc), before);
  EXPECT_FALSE(Undo(doc));
  EXPECT_TRUE(HostErrors().empty());
}

TEST_F(UndoHistoryTest, PredecessorMovedEarlierInTheSameGroup) {
  // objs: 0 1 2 3 at the top. Move 1 away, then 2 (whose predecessor is now 0).
  const std::string before = DocumentText(doc);
  bd->StartUndo(doc);
  MoveUnder(objs[1], objs[3]);
  MoveUnder(objs[2], objs[3]);
  bd->EndUndo(doc);
  ASSERT_TRUE(Undo(doc));
  EXPECT_EQ(DocumentText(doc), before);
}

TEST_F(UndoHistoryTest, NewObjectIsRemovedByUndoAndComesBackByRedo) {
  const std::string before = DocumentText(doc);
  bd->StartUndo(doc);
  KvNode* extrude = AllocObject(KV_TYPE_EXTRUDE);
  bd->InsertObject(doc, extrude, nullptr, nullptr);
  bd->AddUndo(doc, KV_UNDOTYPE_NEWOBJ, extrude);
  bc->SetInt32(Container(extrude), KV_EXTRUDEOBJECT_CAPSTART, 3);  // caps of a new object: no change record
  MoveUnder(objs[2], extrude);
  bd->EndUndo(doc);
  const std::string after = DocumentText(doc);
  const std::int64_t objects = LiveAllocations(AllocKind::Object);

  ASSERT_TRUE(Undo(doc));
  EXPECT_EQ(DocumentText(doc), before);
  EXPECT_EQ(DocumentOf(extrude), nullptr);
  EXPECT_EQ(LiveAllocations(AllocKind::Object), objects) << "kept alive for redo";
  ASSERT_TRUE(Redo(doc));
  EXPECT_EQ(DocumentText(doc), after);
  EXPECT_EQ(DocumentOf(extrude), doc);

  // A new step after an undo discards the redo step and frees the undone object.
  ASSERT_TRUE(Undo(doc));
  bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, objs[0]);
  EXPECT_EQ(LiveAllocations(AllocKind::Object), objects - 1);
  EXPECT_TRUE(RedoHistory(doc).empty());
}

// The shape of the module's make-Extrude-then-Cloner commands: new objects, the arrow and
// its wrap deformer moved under them, the new Extrude moved twice.
TEST_F(UndoHistoryTest, NewObjectsWithMovesIntoThemRestoreExactly) {
  KvNode* parent = objs[0];
  KvNode* wrap = objs[1];
  KvNode* arrow = objs[2];
  MoveObject(doc, wrap, parent, Position::Last);
  MoveObject(doc, arrow, parent, Position::Last);
  const std::string before = DocumentText(doc);
  bd->StartUndo(doc);
  KvNode* extrude = AllocObject(KV_TYPE_EXTRUDE);
  bd->InsertObject(doc, extrude, nullptr, nullptr);
  bd->AddUndo(doc, KV_UNDOTYPE_NEWOBJ, extrude);
  MoveUnder(arrow, extrude);
  bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, wrap);
  bl->Remove(wrap);
  bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, wrap);
  bl->InsertUnderLast(wrap, extrude);
  MoveUnder(extrude, parent);
  KvNode* cloner = AllocObject(KV_TYPE_CLONER);
  bd->InsertObject(doc, cloner, nullptr, nullptr);
  bd->AddUndo(doc, KV_UNDOTYPE_NEWOBJ, cloner);
  bc->SetInt32(Container(cloner), KV_CLONER_MODE, 1);
  MoveUnder(extrude, cloner);
  bd->EndUndo(doc);
  const std::string after = DocumentText(doc);
  EXPECT_EQ(Children(extrude), (std::vector<KvNode*>{arrow, wrap}));
  for (int round = 0; round < 2; ++round) {
    ASSERT_TRUE(Undo(doc));
    EXPECT_EQ(DocumentText(doc), before);
    ASSERT_TRUE(Redo(doc));
    EXPECT_EQ(DocumentText(doc), after);
  }
  EXPECT_TRUE(HostErrors().empty());
}

TEST_F(UndoHistoryTest, MenuCreationIsOneStepAndSetParameterIsAnother) {
  KvNode* n = CreateObjectFromMenu(doc, KV_TYPE_NULL);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(TopObjects(doc).front(), n);
  SetParameter(doc, n, 7, std::int32_t{5});
  const auto history = UndoHistory(doc);
  ASSERT_EQ(history.size(), 2u);
  ASSERT_EQ(history[0].records.size(), 1u);
  EXPECT_EQ(history[0].records[0].type, KV_UNDOTYPE_NEWOBJ);
  EXPECT_EQ(history[1].records[0].type, KV_UNDOTYPE_CHANGE);
  EXPECT_EQ(history[1].records[0].node, n);
  ASSERT_TRUE(Undo(doc));
  EXPECT_EQ(bc->GetType(Container(n), 7), KV_VALUE_NONE);
  ASSERT_TRUE(Undo(doc));
  EXPECT_EQ(TopObjects(doc).size(), 4u);
  ASSERT_TRUE(Redo(doc));
  ASSERT_TRUE(Redo(doc));
  EXPECT_EQ(bc->GetInt32(Container(n), 7, 0), 5);
  EXPECT_EQ(TopObjects(doc).front(), n);
}

TEST_F(UndoHistoryTest, TheUsersDragIsOneStep) {
  const std::string before = DocumentText(doc);
  MoveObject(doc, objs[0], objs[3], Position::Last);
  MoveObject(doc, objs[1], objs[3], Position::Last);
  MoveObject(doc, objs[3], nullptr, Position::First);
  EXPECT_EQ(Children(objs[3]), (std::vector<KvNode*>{objs[0], objs[1]}));
  EXPECT_EQ(UndoHistory(doc).size(), 3u);
  while (Undo(doc)) {
  }
  EXPECT_EQ(DocumentText(doc), before);
}

TEST_F(UndoHistoryTest, UnbalancedAndOpenGroupsAreVisible) {
  bd->StartUndo(doc);
  bd->EndUndo(doc);
  EXPECT_FALSE(bd->EndUndo(doc));
  EXPECT_EQ(UnbalancedEndUndos(doc), 1);
  bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, objs[0]);  // outside any group: a step of its own
  bd->StartUndo(doc);
  bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, objs[1]);
  const auto history = UndoHistory(doc);
  ASSERT_EQ(history.size(), 2u);
  EXPECT_TRUE(history[0].implicit);
  EXPECT_TRUE(history[1].open);
  EXPECT_EQ(UndoDepth(doc), 1);
  EXPECT_EQ(HostErrors().size(), 1u);
}

// A button that finds nothing to do still brackets its (missing) records in a group; the
// group must neither become a step nor throw away what there is to redo.
TEST_F(UndoHistoryTest, EmptyGroupLeavesNoStepAndKeepsRedo) {
  SetParameter(doc, objs[0], 1, std::int32_t{120});
  ASSERT_TRUE(Undo(doc));
  bd->StartUndo(doc);
  bd->StartUndo(doc);  // nested: still the one group
  bd->EndUndo(doc);
  bd->EndUndo(doc);
  EXPECT_TRUE(UndoHistory(doc).empty());
  ASSERT_TRUE(Redo(doc));
  EXPECT_EQ(bc->GetInt32(Container(objs[0]), 1, 0), 120);
  EXPECT_EQ(UndoHistory(doc).size(), 1u) << "the edit is the only step";
}

TEST_F(UndoHistoryTest, LimitsDropTheOldestStepsAndKeepTheNewest) {
  const auto edit = [&](KvNode* n, std::int32_t value) { SetParameter(doc, n, 1, value); };
  for (std::int32_t value = 10; value < 20; ++value) edit(objs[0], value);
  EXPECT_EQ(UndoHistory(doc).size(), 10u) << "a new document keeps every step";
  SetUndoLimits(doc, {3, 0});
  EXPECT_EQ(UndoHistory(doc).size(), 3u);
  while (Undo(doc)) {
  }
  EXPECT_EQ(bc->GetInt32(Container(objs[0]), 1, -1), 16) << "back to the 7th edit, no further";

  // Every step holds a snapshot of 200 kB: past 100 kB only the newest is kept.
  SetUndoLimits(doc, {0, 100000});
  SetParameterRaw(Container(objs[1]), 2, std::string(200000, 'x'));
  edit(objs[1], 1);
  edit(objs[1], 2);
  ASSERT_EQ(UndoHistory(doc).size(), 1u);
  EXPECT_TRUE(Undo(doc));
  EXPECT_EQ(bc->GetInt32(Container(objs[1]), 1, -1), 1);
}

TEST_F(UndoHistoryTest, FreedObjectsDropOutOfTheHistory) {
  KvNode* loose = AllocObject(KV_TYPE_NULL);
  bd->InsertObject(doc, loose, nullptr, nullptr);
  bd->AddUndo(doc, KV_UNDOTYPE_CHANGE, loose);
  bl->Remove(loose);
  FreeObject(loose);
  ASSERT_EQ(UndoHistory(doc).size(), 1u);
  EXPECT_TRUE(UndoHistory(doc)[0].records.empty());
  EXPECT_TRUE(Undo(doc));
}

// The user's deletion: the object with its children goes as one step, undo puts it back
// exactly in its place (first, amid or last of its list), redo takes it again, and the
// host frees what it kept once the step is gone, however it goes.
TEST_F(UndoHistoryTest, DeletionIsOneStepAndNothingOutlivesIt) {
  struct Row {
    const char* what;
    int deleted;                            // of objs, after objs[2] went under objs[1]
    std::function<void(KvDocument*)> end;  // what ends the step before the document is freed
  };
  const std::vector<Row> rows{
      {"first at the top, with a child, freed with the history", 0, [](KvDocument*) {}},
      {"amid its list, undone, the redo discarded", 1,
       [&](KvDocument* d) {
         Undo(d);
         SetParameter(d, objs[0], 1, std::int32_t{9});
       }},
      {"the child, trimmed by a step limit", 2,
       [&](KvDocument* d) {
         SetParameter(d, objs[0], 1, std::int32_t{9});
         SetUndoLimits(d, {1, 0});
       }},
      {"last at the top, then the object it came after freed", 3,
       [&](KvDocument*) {
         bl->Remove(objs[1]);
         FreeObject(objs[1]);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ResetHost();
    objs.clear();
    SetUp();
    MoveObject(doc, objs[2], objs[1], Position::Last);
    const std::string before = DocumentText(doc);
    const std::size_t steps = UndoHistory(doc).size();
    DeleteObject(doc, objs[row.deleted]);
    const std::string after = DocumentText(doc);
    EXPECT_EQ(after.find("#" + std::to_string(ObjectSerial(objs[row.deleted])) + " "), std::string::npos) << after;
    EXPECT_EQ(UndoHistory(doc).size(), steps + 1);
    ASSERT_TRUE(Undo(doc));
    EXPECT_EQ(DocumentText(doc), before);
    ASSERT_TRUE(Redo(doc));
    EXPECT_EQ(DocumentText(doc), after);
    row.end(doc);
    FreeDocument(doc);
    EXPECT_EQ(LiveAllocations(), 0);
    EXPECT_TRUE(HostErrors().empty()) << HostErrors().front();
  }
}

// A deletion of what is not in the document is refused, named, and changes nothing.
TEST_F(UndoHistoryTest, DeletionOfWhatIsNotInTheDocumentIsRefused) {
  KvDocument* other = NewDocument();
  KvNode* elsewhere = AllocObject(KV_TYPE_NULL);
  bd->InsertObject(other, elsewhere, nullptr, nullptr);
  KvNode* loose = AllocObject(KV_TYPE_NULL);
  const std::string before = DocumentText(doc);
  for (KvNode* node : {loose, elsewhere, static_cast<KvNode*>(nullptr)}) {
    DeleteObject(doc, node);
    EXPECT_EQ(DocumentText(doc), before);
    EXPECT_TRUE(UndoHistory(doc).empty());
  }
  ASSERT_EQ(HostErrors().size(), 3u);
  EXPECT_EQ(HostErrors().back(), "DeleteObject of an object that is not in the document");
  EXPECT_EQ(TopObjects(other), std::vector<KvNode*>{elsewhere});
  FreeObject(loose);
}

}  // namespace
