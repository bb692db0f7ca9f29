// Undo that really undoes. A step is a group (StartUndo .. EndUndo, nesting counted) or a
// record made outside any group. A group closed without a record leaves no step, and only
// a record (not the opening of a group) discards what there was to redo: a command that
// turns out to change nothing must not cost the user their redo.
//
// A CHANGE record (KV_UNDOTYPE_CHANGE) snapshots the object's container and its place
// (parent or document top level, predecessor) before the change; a NEWOBJ record
// (KV_UNDOTYPE_NEWOBJ) is made after an insertion, and its "before" is the detached object.
// A delete record (the user's deletion, kUndoDelete) keeps only the place the object is
// taken from: while the step can be undone the host keeps the object, detached, and frees
// it when the step is dropped (trimmed or cleared) with the object still out of the tree.
//
// Undo walks a step's records backwards, each time keeping the object's present state as
// the record's "after" and restoring its "before"; redo walks forwards restoring "after".
// Walking in order means each snapshot is applied to the document as it was when the
// snapshot was taken, so an object recorded twice in one group (moved twice) ends at its
// first record's state, and predecessors named by a snapshot are in place when it is
// restored. An undone new object stays alive, detached, for redo; it is freed when the
// redo step is discarded.
#include <algorithm>

#include "console.h"
#include "host.h"

namespace kvhost {
namespace {


void Restore(KvNode* node, const Place& place, bool hasContainer, const KvContainer& data) {
  Detach(node);
  InsertAt(node, place);
  if (hasContainer) node->data->values = data.values;
}

UndoRecord MakeRecord(std::int32_t type, KvNode* object) {
  UndoRecord record;
  record.type = type;
  record.node = object;
  if (type == kUndoDelete) record.before = PlaceOf(object);
  if (type == KV_UNDOTYPE_CHANGE) {
    record.before = PlaceOf(object);
    record.hasContainer = true;
    record.beforeData = *object->data;
  }
  return record;
}

bool Mentions(const UndoRecord& r, const KvNode* node) {
  return r.node == node || r.before.parent == node || r.before.pred == node ||
         r.after.parent == node || r.after.pred == node;
}

// What a step holds, near enough for a limit: its records and their snapshots.
std::size_t StepBytes(const UndoStep& step) {
  std::size_t bytes = sizeof(UndoStep);
  for (const UndoRecord& r : step.records) {
    bytes += sizeof(UndoRecord);
    for (const KvContainer* data : {&r.beforeData, &r.afterData}) {
      for (const auto& [id, value] : data->values) {
        bytes += 64;  // the map's node
        if (const auto* text = std::get_if<std::string>(&value)) bytes += text->capacity();
      }
    }
  }
  return bytes;
}

// The objects that delete records of steps hold out of the tree, by serial.
std::vector<std::uint64_t> DeletedObjects(std::vector<UndoStep>::const_iterator from,
                                          std::vector<UndoStep>::const_iterator to) {
  std::vector<std::uint64_t> serials;
  for (; from != to; ++from) {
    for (const UndoRecord& r : from->records) {
      if (r.type == kUndoDelete) serials.push_back(r.node->serial);
    }
  }
  return serials;
}

// Frees what was deleted, or created and undone, and can no longer be brought back: each
// object still alive and out of every tree. Called once the steps that held them are gone.
void FreeDeleted(const std::vector<std::uint64_t>& serials) {
  for (std::uint64_t serial : serials) {
    KvNode* node = LiveNode(serial);
    if (node != nullptr && node->up == nullptr && node->doc == nullptr) FreeNode(node);
  }
}

// Drops the oldest steps while the history is over a limit. Called with no group open.
void Trim(KvDocument* doc) {
  const UndoLimits& limits = doc->undoLimits;
  if (limits.steps == 0 && limits.bytes == 0) return;
  std::size_t bytes = 0;
  if (limits.bytes != 0) {
    for (const auto* steps : {&doc->undo, &doc->redo}) {
      for (const UndoStep& step : *steps) bytes += StepBytes(step);
    }
  }
  std::size_t drop = 0;
  const auto over = [&] {
    const std::size_t kept = doc->undo.size() - drop;
    return kept > 1 && ((limits.steps != 0 && kept > limits.steps) || (limits.bytes != 0 && bytes > limits.bytes));
  };
  for (; over(); ++drop) {
    if (limits.bytes != 0) bytes -= StepBytes(doc->undo[drop]);
  }
  const auto end = doc->undo.begin() + static_cast<std::ptrdiff_t>(drop);
  const std::vector<std::uint64_t> deleted = DeletedObjects(doc->undo.begin(), end);
  doc->undo.erase(doc->undo.begin(), end);
  FreeDeleted(deleted);
}

// Ends the outermost group: it becomes a closed step, or nothing when it holds no record.
void CloseGroup(KvDocument* doc) {
  doc->undoDepth = 0;
  ++doc->closedGroups;
  if (doc->undo.empty()) return;
  doc->undo.back().open = false;
  if (doc->undo.back().records.empty()) doc->undo.pop_back();
  Trim(doc);
}

void CloseOpenGroup(KvDocument* doc, const char* what) {
  if (doc->undoDepth == 0) return;
  ReportHostError(std::string(what) + " while an undo group is open");
  CloseGroup(doc);
}

std::vector<UndoStepView> Views(const std::vector<UndoStep>& steps) {
  std::vector<UndoStepView> out;
  for (const UndoStep& step : steps) {
    UndoStepView view{{}, step.open, step.implicit};
    for (const UndoRecord& r : step.records) view.records.push_back({r.type, r.node});
    out.push_back(std::move(view));
  }
  return out;
}

}  // namespace

void DiscardRedo(KvDocument* doc) {
  std::vector<std::uint64_t> undoneNew;
  for (const UndoStep& step : doc->redo) {
    for (const UndoRecord& r : step.records) {
      if (r.type == KV_UNDOTYPE_NEWOBJ) undoneNew.push_back(r.node->serial);
    }
  }
  doc->redo.clear();
  FreeDeleted(undoneNew);
}

void ClearHistory(KvDocument* doc) {
  DiscardRedo(doc);
  const std::vector<std::uint64_t> deleted = DeletedObjects(doc->undo.begin(), doc->undo.end());
  doc->undo.clear();
  doc->undoDepth = 0;
  FreeDeleted(deleted);
}

// A freed object can no longer be restored: its records, and records that would put
// another object under or after it, are dropped; an object deleted from under or after it
// can no longer come back, and is freed too.
void ForgetNode(KvDocument* doc, const KvNode* node) {
  std::vector<std::uint64_t> deleted;
  for (auto* steps : {&doc->undo, &doc->redo}) {
    for (UndoStep& step : *steps) {
      auto& rs = step.records;
      const auto gone = std::remove_if(rs.begin(), rs.end(), [&](const UndoRecord& r) { return Mentions(r, node); });
      for (auto it = gone; it != rs.end(); ++it) {
        if (it->type == kUndoDelete && it->node != node) deleted.push_back(it->node->serial);
      }
      rs.erase(gone, rs.end());
    }
  }
  FreeDeleted(deleted);
}

namespace {

// Adds record to the open group; the group's first record makes what was undone
// unreachable, so the redo steps go.
void AddToGroup(KvDocument* doc, UndoRecord record) {
  UndoStep& group = doc->undo.back();
  if (group.records.empty()) DiscardRedo(doc);
  group.records.push_back(std::move(record));
}

}  // namespace

bool StartUndo(KvDocument* doc) {
  if (doc == nullptr) return false;
  if (doc->undoDepth++ == 0) {
    UndoStep step;
    step.open = true;
    doc->undo.push_back(std::move(step));
  }
  return true;
}

bool AddUndo(KvDocument* doc, std::int32_t type, KvNode* object) {
  if (doc == nullptr || object == nullptr) return false;
  if (type != KV_UNDOTYPE_CHANGE && type != KV_UNDOTYPE_NEWOBJ) {
    ReportHostError("AddUndo of unknown undo type " + std::to_string(type));
    return false;
  }
  if (type == KV_UNDOTYPE_NEWOBJ && DocumentOf(object) != doc) {
    ReportHostError("AddUndo NEWOBJ of an object that is not in the document");
  }
  if (doc->undoDepth == 0) {
    DiscardRedo(doc);
    UndoStep step;
    step.implicit = true;
    step.records.push_back(MakeRecord(type, object));
    doc->undo.push_back(std::move(step));
    Trim(doc);
    return true;
  }
  AddToGroup(doc, MakeRecord(type, object));
  return true;
}

void DeleteObject(KvDocument* doc, KvNode* node) {
  if (doc == nullptr || node == nullptr || DocumentOf(node) != doc) {
    ReportHostError("DeleteObject of an object that is not in the document");
    return;
  }
  StartUndo(doc);
  AddToGroup(doc, MakeRecord(kUndoDelete, node));
  Detach(node);
  EndUndo(doc);
}

bool EndUndo(KvDocument* doc) {
  if (doc == nullptr) return false;
  if (doc->undoDepth == 0) {
    ++doc->unbalancedEnds;
    ReportHostError("EndUndo without StartUndo");
    return false;
  }
  if (doc->undoDepth == 1) {
    CloseGroup(doc);
  } else {
    --doc->undoDepth;
  }
  return true;
}

bool Undo(KvDocument* doc) {
  CloseOpenGroup(doc, "Undo");
  if (doc->undo.empty()) return false;
  UndoStep step = std::move(doc->undo.back());
  doc->undo.pop_back();
  for (auto it = step.records.rbegin(); it != step.records.rend(); ++it) {
    it->after = PlaceOf(it->node);
    if (it->hasContainer) it->afterData = *it->node->data;
    Restore(it->node, it->before, it->hasContainer, it->beforeData);
  }
  doc->redo.push_back(std::move(step));
  return true;
}

bool Redo(KvDocument* doc) {
  CloseOpenGroup(doc, "Redo");
  if (doc->redo.empty()) return false;
  UndoStep step = std::move(doc->redo.back());
  doc->redo.pop_back();
  for (UndoRecord& r : step.records) Restore(r.node, r.after, r.hasContainer, r.afterData);
  doc->undo.push_back(std::move(step));
  return true;
}

void SetUndoLimits(KvDocument* doc, UndoLimits limits) {
  doc->undoLimits = limits;
  if (doc->undoDepth == 0) Trim(doc);
}

std::vector<UndoStepView> UndoHistory(const KvDocument* doc) { return Views(doc->undo); }
std::vector<UndoStepView> RedoHistory(const KvDocument* doc) { return Views(doc->redo); }
int UndoDepth(const KvDocument* doc) { return doc->undoDepth; }
int UnbalancedEndUndos(const KvDocument* doc) { return doc->unbalancedEnds; }
int ClosedUndoGroups(const KvDocument* doc) { return doc->closedGroups; }

}  // namespace kvhost
