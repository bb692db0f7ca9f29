// Scenes around an arrow, built the way a user builds them, and readable views of what the
// module did to them: undo records and the messages the module sent to each object (the
// whole document as one comparable text is the host's DocumentText).
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "module_fixture.h"

namespace kvtest {

inline std::string Name(const KvNode* node) {
  if (node == nullptr) return "none";
  return std::to_string(kvhost::ObjectType(node)) + "#" +
         std::to_string(kvhost::ObjectSerial(node));
}

inline std::string VectorText(const KvVector& p) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, "(%.17g,%.17g,%.17g)", p.x, p.y, p.z);
  return buffer;
}

inline KvNode* Link(KvNode* node, std::int32_t id) {
  const auto v = kvhost::GetParameter(kvhost::Container(node), id);
  EXPECT_TRUE(v && std::holds_alternative<KvNode*>(*v)) << "link parameter " << id;
  return v && std::holds_alternative<KvNode*>(*v) ? std::get<KvNode*>(*v) : nullptr;
}
inline std::string Vec(KvNode* node, std::int32_t id) {
  const auto v = kvhost::GetParameter(kvhost::Container(node), id);
  EXPECT_TRUE(v && std::holds_alternative<KvVector>(*v)) << "vector parameter " << id;
  return v && std::holds_alternative<KvVector>(*v) ? VectorText(std::get<KvVector>(*v)) : "absent";
}
inline std::string Vec(double x, double y, double z) { return VectorText(KvVector{x, y, z}); }

inline std::string New(const KvNode* node) { return "NEWOBJ " + Name(node); }
inline std::string Change(const KvNode* node) { return "CHANGE " + Name(node); }

inline std::vector<std::string> RecordTexts(const kvhost::UndoStepView& step) {
  std::vector<std::string> out;
  for (const auto& r : step.records) {
    if (r.type == KV_UNDOTYPE_CHANGE) {
      out.push_back(Change(r.node));
    } else if (r.type == KV_UNDOTYPE_NEWOBJ) {
      out.push_back(New(r.node));
    } else {
      out.push_back("type " + std::to_string(r.type) + " " + Name(r.node));
    }
  }
  return out;
}

// Message types the module sent to node, in order (the host's own deliveries left out).
inline std::vector<std::int32_t> ModuleMessages(const KvNode* node) {
  std::vector<std::int32_t> out;
  for (const auto& entry : kvhost::MessageLog(node)) {
    if (entry.sender == kvhost::MessageSender::Module) out.push_back(entry.type);
  }
  return out;
}

using Records = std::vector<std::string>;
using Messages = std::vector<std::int32_t>;

// A started module, a document, and the user's ways of building a scene in it. No test
// may leave the host reporting a misuse (an unbalanced undo group, a bad insertion, ...).
class SceneTest : public ModuleTest {
 protected:
  void TearDown() override {
    for (const std::string& e : kvhost::HostErrors()) ADD_FAILURE() << "host error: " << e;
    for (KvNode* node : detached) kvhost::FreeObject(node);
    ModuleTest::TearDown();
  }

  // A new host object created from the menu and dragged under parent (top level when null).
  KvNode* Add(std::int32_t type, KvNode* parent = nullptr,
              kvhost::Position where = kvhost::Position::Last) {
    KvNode* node = kvhost::CreateObjectFromMenu(doc, type);
    EXPECT_NE(node, nullptr) << "type " << type;
    if (node != nullptr) kvhost::MoveObject(doc, node, parent, where);
    return node;
  }
  void Move(KvNode* node, KvNode* parent, kvhost::Position where = kvhost::Position::Last) {
    kvhost::MoveObject(doc, node, parent, where);
  }
  // A spline in no document: a link to it reads as no link. Freed after the test.
  KvNode* SplineInNoDocument() {
    detached.push_back(kvhost::AllocObject(KV_TYPE_SPLINE));
    return detached.back();
  }

  // The arrow moved last under a new null that holds another null, the sibling, before it.
  struct Nest {
    KvNode* parent;
    KvNode* sibling;
  };
  Nest NestUnderParent(KvNode* arrow) {
    KvNode* parent = Add(KV_TYPE_NULL);
    KvNode* sibling = Add(KV_TYPE_NULL, parent);
    Move(arrow, parent, kvhost::Position::Last);
    return {parent, sibling};
  }
  // The new Extrude that took the arrow's place in nest: first under the parent, before
  // the sibling, and nothing else there; null when there is no such Extrude.
  KvNode* ExtrudeInPlace(const Nest& nest) const {
    const std::vector<KvNode*> children = kvhost::Children(nest.parent);
    const bool inPlace = children.size() == 2 && kvhost::ObjectType(children[0]) == KV_TYPE_EXTRUDE &&
                         children[1] == nest.sibling;
    EXPECT_TRUE(inPlace) << kvhost::DocumentText(doc);
    return inPlace ? children[0] : nullptr;
  }

  // Writes a value the way a loaded document holds it: no undo, no message.
  static void Raw(KvNode* node, std::int32_t id, const kvhost::Value& v) {
    kvhost::SetParameterRaw(kvhost::Container(node), id, v);
  }

  void Press(KvNode* node, std::int32_t id) { EXPECT_TRUE(kvhost::PressButton(node, id)); }
  void Edit(KvNode* node, std::int32_t id, const kvhost::Value& v) {
    EXPECT_TRUE(kvhost::SetParameter(doc, node, id, v));
  }

  std::size_t StepCount() const { return kvhost::UndoHistory(doc).size(); }
  Records LastRecords() const {
    const auto history = kvhost::UndoHistory(doc);
    return history.empty() ? Records{"no step"} : RecordTexts(history.back());
  }
  // The last step is a closed group that the module opened (not a stray record).
  void ExpectLastStepClosedGroup() const {
    const auto history = kvhost::UndoHistory(doc);
    ASSERT_FALSE(history.empty());
    EXPECT_FALSE(history.back().open);
    EXPECT_FALSE(history.back().implicit);
    EXPECT_EQ(kvhost::UndoDepth(doc), 0);
  }

  // Forgets every message so far, so that the logs show one action's messages only.
  void ClearLogs() {
    std::vector<KvNode*> pending = kvhost::TopObjects(doc);
    while (!pending.empty()) {
      KvNode* node = pending.back();
      pending.pop_back();
      kvhost::ClearMessageLog(node);
      for (KvNode* child : kvhost::Children(node)) pending.push_back(child);
    }
  }

  // Remembers the document before a command and forgets earlier messages.
  void Mark() {
    before = kvhost::DocumentText(doc);
    steps = StepCount();
    groups = kvhost::ClosedUndoGroups(doc);
    liveObjects = kvhost::LiveAllocations(kvhost::AllocKind::Object);
    liveOther = kvhost::LiveAllocations() - liveObjects;
    ClearLogs();
  }
  // Objects the command left alive; nothing else it allocated may outlive it.
  std::int64_t NewObjects() const {
    const std::int64_t objects = kvhost::LiveAllocations(kvhost::AllocKind::Object);
    EXPECT_EQ(kvhost::LiveAllocations() - objects, liveOther) << "scratch allocations left";
    return objects - liveObjects;
  }
  // The command ran as exactly one undo group, now closed.
  void ExpectOneGroup() const {
    EXPECT_EQ(kvhost::ClosedUndoGroups(doc), groups + 1);
    ASSERT_EQ(StepCount(), steps + 1);
    ExpectLastStepClosedGroup();
  }
  // The command opened and closed one group without a record: no step, nothing changed.
  void ExpectOneEmptyGroup() const {
    EXPECT_EQ(kvhost::ClosedUndoGroups(doc), groups + 1);
    EXPECT_EQ(kvhost::UndoDepth(doc), 0);
    EXPECT_EQ(StepCount(), steps) << "an empty group leaves no step";
    EXPECT_EQ(kvhost::DocumentText(doc), before);
  }
  // The command stopped before opening a group or changing anything.
  void ExpectNothingDone() const {
    EXPECT_EQ(kvhost::ClosedUndoGroups(doc), groups);
    EXPECT_EQ(StepCount(), steps);
    EXPECT_EQ(kvhost::DocumentText(doc), before);
    EXPECT_EQ(NewObjects(), 0);
  }

  // The button pressed with no memory for the first object it makes: one group opened and
  // closed, nothing changed, no object left.
  void PressWithoutMemoryForObjects(KvNode* arrow, std::int32_t button) {
    Mark();
    kvhost::FailNextAllocation(kvhost::AllocKind::Object);
    Press(arrow, button);
    ExpectOneEmptyGroup();
    EXPECT_EQ(NewObjects(), 0);
  }

  // One undo brings back the document as it was before the command, one redo its result.
  void ExpectUndoRedoExact(const std::string& original) {
    const std::string after = kvhost::DocumentText(doc);
    ASSERT_TRUE(kvhost::Undo(doc));
    EXPECT_EQ(kvhost::DocumentText(doc), original) << "after undo";
    ASSERT_TRUE(kvhost::Redo(doc));
    EXPECT_EQ(kvhost::DocumentText(doc), after) << "after redo";
  }

  std::string before;
  std::size_t steps = 0;
  int groups = 0;
  std::int64_t liveObjects = 0;
  std::int64_t liveOther = 0;
  std::vector<KvNode*> detached;  // objects in no document, freed after the test
};

}  // namespace kvtest
