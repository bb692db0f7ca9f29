// Bl and Tg: nodes, the object tree (parent, first child, next, previous; top-level lists
// of documents), per-object message logs, and tags.
#include <mutex>
#include <unordered_map>

#include "console.h"
#include "host.h"

namespace kvhost {
namespace {

struct TreeState {
  std::unordered_map<std::uint64_t, KvNode*> live;
  std::uint64_t nextSerial = 1;
};

TreeState& State() {
  static TreeState state;
  return state;
}

// Contours of distinct objects are asked for from several threads at once, and each
// makes and frees a spline: the table of live nodes is shared by all of them.
std::mutex& TreeLock() {
  static std::mutex lock;
  return lock;
}

// Gives node a serial and enters it among the live nodes.
void Enter(KvNode* node) {
  const std::lock_guard<std::mutex> hold(TreeLock());
  node->serial = State().nextSerial++;
  State().live[node->serial] = node;
}

// The first node of the list that place's nodes live in.
KvNode** ListHead(const Place& place) {
  if (place.parent != nullptr) return &place.parent->down;
  if (place.topDoc != nullptr) return &place.topDoc->first;
  return nullptr;
}

}  // namespace

KvNode* LiveNode(std::uint64_t serial) {
  const std::lock_guard<std::mutex> hold(TreeLock());
  const auto it = State().live.find(serial);
  return it != State().live.end() ? it->second : nullptr;
}

KvNode* NewNode(std::int32_t type, AllocKind kind) {
  if (!TryAllocate(kind)) return nullptr;
  auto* node = new KvNode;
  node->type = type;
  node->kind = kind;
  node->data = new KvContainer;
  Enter(node);
  return node;
}

KvNode* NewTag(KvNode* object, std::int32_t type) {
  auto* tag = new KvNode;
  tag->type = type;
  tag->accounted = false;
  tag->owner = object;
  tag->data = new KvContainer;
  Enter(tag);
  object->tags.push_back(tag);
  return tag;
}

namespace {

// Frees one detached node without children, with its tags.
void FreeLeaf(KvNode* node) {
  for (KvNode* tag : node->tags) {
    tag->owner = nullptr;
    FreeNode(tag);
  }
  node->tags.clear();
  if (node->plugin != nullptr && node->pluginData != nullptr &&
      node->plugin->record.Destructor != nullptr) {
    node->plugin->record.Destructor(node->pluginData);
  }
  ForgetNodeInHistories(node);
  {
    const std::lock_guard<std::mutex> hold(TreeLock());
    State().live.erase(node->serial);
  }
  const AllocKind kind = node->kind;
  const bool accounted = node->accounted;
  delete node->data;
  delete node;
  if (accounted) Release(kind);
}

}  // namespace

void FreeNode(KvNode* node) {
  if (node == nullptr) return;
  Detach(node);
  // Deepest first, in a loop: a tree may be nested deeper than a stack would take.
  KvNode* at = node;
  for (;;) {
    while (at->down != nullptr) at = at->down;
    if (at == node) break;
    KvNode* parent = at->up;
    Detach(at);
    FreeLeaf(at);
    at = parent;
  }
  FreeLeaf(node);
}

void ForEachLiveNode(void (*fn)(KvNode*, void*), void* context) {
  std::vector<KvNode*> nodes;
  {
    const std::lock_guard<std::mutex> hold(TreeLock());
    for (const auto& entry : State().live) nodes.push_back(entry.second);
  }
  for (KvNode* n : nodes) fn(n, context);
}

void FreeAllNodes() {
  while (!State().live.empty()) {
    KvNode* node = State().live.begin()->second;
    if (node->owner != nullptr) node = node->owner;
    while (node->up != nullptr) node = node->up;
    FreeNode(node);
  }
}

KvDocument* DocumentOf(const KvNode* node) {
  if (node == nullptr) return nullptr;
  if (node->owner != nullptr) node = node->owner;
  while (node->up != nullptr) node = node->up;
  return node->doc;
}

Place PlaceOf(const KvNode* node) {
  Place place;
  place.parent = node->up;
  place.topDoc = node->up == nullptr ? node->doc : nullptr;
  place.pred = node->pred;
  return place;
}

void Detach(KvNode* node) {
  KvNode** head = ListHead(PlaceOf(node));
  if (head != nullptr && *head == node) *head = node->next;
  if (node->pred != nullptr) node->pred->next = node->next;
  if (node->next != nullptr) node->next->pred = node->pred;
  node->up = node->next = node->pred = nullptr;
  node->doc = nullptr;
}

bool IsInside(const KvNode* node, const KvNode* ancestor) {
  for (const KvNode* n = node; n != nullptr; n = n->up) {
    if (n == ancestor) return true;
  }
  return false;
}

void InsertAt(KvNode* node, const Place& place) {
  if (node->up != nullptr || node->doc != nullptr) {
    ReportHostError("insertion of an object that is still in a tree");
    Detach(node);
  }
  KvNode** head = ListHead(place);
  if (head == nullptr) return;  // a detached place: nothing to do
  if (place.parent != nullptr && IsInside(place.parent, node)) {
    ReportHostError("insertion of an object under itself");
    return;
  }
  KvNode* pred = place.pred;
  if (pred != nullptr && (pred->up != place.parent || PlaceOf(pred).topDoc != place.topDoc)) {
    ReportHostError("insertion after an object that is not in that list");
    pred = nullptr;
  }
  node->up = place.parent;
  node->doc = place.parent == nullptr ? place.topDoc : nullptr;
  node->pred = pred;
  node->next = pred != nullptr ? pred->next : *head;
  if (node->next != nullptr) node->next->pred = node;
  if (pred != nullptr) {
    pred->next = node;
  } else {
    *head = node;
  }
}

bool DeliverMessage(KvNode* node, std::int32_t type, void* data, MessageSender sender) {
  if (node == nullptr) return false;
  node->messages.push_back(MessageLogEntry{type, sender});
  if (node->plugin != nullptr && node->plugin->record.Message != nullptr) {
    return node->plugin->record.Message(node->pluginData, node, type, data);
  }
  return true;
}

namespace {

KvNode* GetUp(const KvNode* n) { return n != nullptr ? n->up : nullptr; }
KvNode* GetDown(const KvNode* n) { return n != nullptr ? n->down : nullptr; }
KvNode* GetNext(const KvNode* n) { return n != nullptr ? n->next : nullptr; }
KvNode* GetPred(const KvNode* n) { return n != nullptr ? n->pred : nullptr; }

void Remove(KvNode* n) {
  if (n != nullptr) Detach(n);
}

KvNode* LastChild(const KvNode* parent) {
  KvNode* last = parent->down;
  while (last != nullptr && last->next != nullptr) last = last->next;
  return last;
}

void InsertUnder(KvNode* n, KvNode* parent) {
  if (n == nullptr || parent == nullptr) return;
  InsertAt(n, Place{parent, nullptr, nullptr});
}

void InsertUnderLast(KvNode* n, KvNode* parent) {
  if (n == nullptr || parent == nullptr) return;
  InsertAt(n, Place{parent, nullptr, LastChild(parent)});
}

bool Message(KvNode* n, int32_t type, void* data) {
  return DeliverMessage(n, type, data, MessageSender::Module);
}

int32_t GetType(const KvNode* n) { return n != nullptr ? n->type : 0; }

KvDocument* GetDocument(const KvNode* n) { return DocumentOf(n); }

KvContainer* const* GetDataInstance(KvNode* n) { return n != nullptr ? &n->data : nullptr; }

KvNode* GetTag(const KvNode* object, int32_t type, int32_t nr) {
  if (object == nullptr || nr < 0) return nullptr;
  for (KvNode* tag : object->tags) {
    if (tag->type == type && nr-- == 0) return tag;
  }
  return nullptr;
}

void* GetDataAddressW(KvNode* tag) {
  if (tag == nullptr || !tag->hasStorage) return nullptr;
  return tag->storage.data();
}

int32_t GetDataCount(const KvNode* tag) { return tag != nullptr ? tag->dataCount : 0; }

}  // namespace

KvListNodeTable* ListNodeTable() {
  static KvListNodeTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvListNodeTable)},
      .GetUp = GetUp,
      .GetDown = GetDown,
      .GetNext = GetNext,
      .GetPred = GetPred,
      .Remove = Remove,
      .InsertUnder = InsertUnder,
      .InsertUnderLast = InsertUnderLast,
      .Message = Message,
      .GetType = GetType,
      .GetDocument = GetDocument,
      .GetDataInstance = GetDataInstance,
  };
  return &table;
}

KvTagTable* TagTable() {
  static KvTagTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvTagTable)},
      .GetTag = GetTag,
      .GetDataAddressW = GetDataAddressW,
      .GetDataCount = GetDataCount,
  };
  return &table;
}

std::vector<KvNode*> Children(const KvNode* node) {
  std::vector<KvNode*> out;
  for (KvNode* c = node != nullptr ? node->down : nullptr; c != nullptr; c = c->next) {
    out.push_back(c);
  }
  return out;
}

const std::vector<MessageLogEntry>& MessageLog(const KvNode* node) { return node->messages; }
void ClearMessageLog(KvNode* node) { node->messages.clear(); }
std::int32_t ObjectType(const KvNode* node) { return node != nullptr ? node->type : 0; }
KvNode* Parent(const KvNode* node) { return node != nullptr ? node->up : nullptr; }

std::uint64_t ObjectSerial(const KvNode* node) { return node != nullptr ? node->serial : 0; }
KvContainer* Container(KvNode* node) { return node != nullptr ? node->data : nullptr; }

}  // namespace kvhost
