// The user's actions as the host performs them.
#include "console.h"
#include "host.h"

namespace kvhost {
namespace {


KvDescId DepthOne(std::int32_t id) {
  KvDescId descId{};
  descId.depth = 1;
  descId.level[0].id = id;
  return descId;
}

}  // namespace

bool SendMessage(KvNode* node, std::int32_t type, void* data) {
  return DeliverMessage(node, type, data, MessageSender::Host);
}

KvNode* CreateObjectFromMenu(KvDocument* doc, std::int32_t type) {
  KvNode* node = ObjectTable()->Alloc(type);
  if (node == nullptr) return nullptr;
  SendMessage(node, KV_MSG_MENUPREPARE, doc);
  DocumentTable()->InsertObject(doc, node, nullptr, nullptr);
  StartUndo(doc);
  AddUndo(doc, KV_UNDOTYPE_NEWOBJ, node);
  EndUndo(doc);
  return node;
}

bool SetParameter(KvDocument* doc, KvNode* node, std::int32_t id, const Value& v) {
  // The object's reaction to the change belongs to the same undo step as the edit, so
  // that one undo takes back the edit and what the object pushed into others.
  StartUndo(doc);
  AddUndo(doc, KV_UNDOTYPE_CHANGE, node);
  SetParameterRaw(node->data, id, v);
  const KvDescId descId = DepthOne(id);
  KvMsgPostSetParameter msg{&descId};
  const bool answer = SendMessage(node, KV_MSG_DESCRIPTION_POSTSETPARAMETER, &msg);
  EndUndo(doc);
  return answer;
}

bool PressButton(KvNode* node, std::int32_t id) {
  KvMsgDescriptionCommand msg{DepthOne(id)};
  return SendMessage(node, KV_MSG_DESCRIPTION_COMMAND, &msg);
}

void MoveObject(KvDocument* doc, KvNode* node, KvNode* parent, Position where) {
  if (parent != nullptr && IsInside(parent, node)) {
    ReportHostError("MoveObject: an object cannot go under itself");
    return;
  }
  StartUndo(doc);
  AddUndo(doc, KV_UNDOTYPE_CHANGE, node);
  Detach(node);
  Place place{parent, parent == nullptr ? doc : nullptr, nullptr};
  if (where == Position::Last) {
    KvNode* last = parent != nullptr ? parent->down : doc->first;
    while (last != nullptr && last->next != nullptr) last = last->next;
    place.pred = last;
  }
  InsertAt(node, place);
  EndUndo(doc);
}

KvNode* GetContour(KvNode* node, KvDocument* doc, double lod) {
  if (node == nullptr || node->plugin == nullptr || node->plugin->record.GetContour == nullptr) {
    return nullptr;
  }
  return node->plugin->record.GetContour(node->pluginData, node, doc, lod, nullptr);
}

bool IsEnabled(KvNode* node, std::int32_t id) {
  if (node == nullptr || node->plugin == nullptr ||
      node->plugin->record.GetDEnabling == nullptr) {
    return true;
  }
  const KvDescId descId = DepthOne(id);
  return node->plugin->record.GetDEnabling(node->pluginData, node, &descId, nullptr, 0,
                                           nullptr);
}

}  // namespace kvhost
