// The stand-in host's data model behind the opaque handles: containers, nodes (objects and
// tags), documents with their undo history, registered plug-ins. Internal to host/; tests
// use host.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "accounting.h"
#include "bitmaps.h"
#include "host_tables.h"

namespace kvhost {

// A stored link names its object by serial number, so that a freed object reads as gone
// instead of as a dangling pointer. 0 is the empty link.
struct LinkValue {
  std::uint64_t serial = 0;
};

// Alternative order follows KV_VALUE_INT32 .. KV_VALUE_LINK (index + 1).
using StoredValue = std::variant<std::int32_t, double, bool, KvVector, std::string, LinkValue>;

bool SameValue(const StoredValue& a, const StoredValue& b);

}  // namespace kvhost

struct KvContainer {
  std::map<std::int32_t, kvhost::StoredValue> values;
};

namespace kvhost {

struct PluginEntry;

// Who delivered a message to an object: the host itself (user actions) or the module
// through the list-node table.
enum class MessageSender { Host, Module };

struct MessageLogEntry {
  std::int32_t type;
  MessageSender sender;
};

}  // namespace kvhost

struct KvNode {
  std::uint64_t serial = 0;
  std::int32_t type = 0;
  std::int32_t splineType = 0;  // for a spline: the type it was allocated with
  kvhost::AllocKind kind = kvhost::AllocKind::Object;
  bool accounted = true;  // tags are part of their object and not accounted on their own
  KvContainer* data = nullptr;  // the live container; the slot's address is handed out
  KvNode* up = nullptr;
  KvNode* down = nullptr;
  KvNode* next = nullptr;
  KvNode* pred = nullptr;
  KvDocument* doc = nullptr;  // set on the top-level objects of a document only
  KvNode* owner = nullptr;    // for a tag: its object
  std::vector<KvNode*> tags;
  bool hasStorage = false;    // for a variable tag: whether the data array exists
  std::vector<double> storage;
  std::int32_t dataCount = 0;
  const kvhost::PluginEntry* plugin = nullptr;
  void* pluginData = nullptr;
  std::vector<kvhost::MessageLogEntry> messages;
};

namespace kvhost {

// Where a node sits: under parent after pred, at the top of topDoc after pred, or detached.
struct Place {
  KvNode* parent = nullptr;
  KvDocument* topDoc = nullptr;
  KvNode* pred = nullptr;
};

// The record of the user's deletion (DeleteObject): the host's own, no module makes one.
constexpr std::int32_t kUndoDelete = -1;

struct UndoRecord {
  std::int32_t type = 0;
  KvNode* node = nullptr;
  Place before;
  Place after;  // captured when the record is undone
  bool hasContainer = false;  // CHANGE records snapshot the container; NEWOBJ ones do not
  KvContainer beforeData;
  KvContainer afterData;
};

struct UndoStep {
  std::vector<UndoRecord> records;
  bool open = false;      // StartUndo without its EndUndo (so far)
  bool implicit = false;  // made by an AddUndo outside any group
};

// How much undo a document keeps (SetUndoLimits); 0 is no limit.
struct UndoLimits {
  std::size_t steps = 0;
  std::size_t bytes = 0;  // the snapshots of the undo and redo steps together
};

}  // namespace kvhost

struct KvDocument {
  KvNode* first = nullptr;
  std::int32_t splinePlane = 0;
  int undoDepth = 0;
  int unbalancedEnds = 0;
  int closedGroups = 0;  // outermost groups closed, empty ones included
  std::vector<kvhost::UndoStep> undo;
  std::vector<kvhost::UndoStep> redo;
  kvhost::UndoLimits undoLimits;
};

namespace kvhost {

struct PluginEntry {
  std::int32_t pluginType = 0;
  std::int32_t id = 0;
  std::string name;
  std::string description;
  KvObjectPluginRecord record{};
  std::optional<KvBitmap> icon;  // the host's own copy (not accounted); none when null
};

// Tables of the services over the model (each in its file).
KvContainerTable* ContainerTable();
KvListNodeTable* ListNodeTable();
KvTagTable* TagTable();
KvObjectTable* ObjectTable();
KvDocumentTable* DocumentTable();
KvPluginTable* PluginTable();

// Object tree (object_tree.cpp).
KvNode* LiveNode(std::uint64_t serial);  // null once freed
KvNode* NewNode(std::int32_t type, AllocKind kind);  // accounted; null on a fault
void FreeNode(KvNode* node);                          // detaches, frees children and tags
KvNode* NewTag(KvNode* object, std::int32_t type);   // not accounted: part of the object
KvDocument* DocumentOf(const KvNode* node);
Place PlaceOf(const KvNode* node);
void Detach(KvNode* node);
// Inserts a detached node at place (after pred, or first when pred is null).
void InsertAt(KvNode* node, const Place& place);
bool DeliverMessage(KvNode* node, std::int32_t type, void* data, MessageSender sender);
void FreeAllNodes();
void ForEachLiveNode(void (*fn)(KvNode*, void*), void* context);

// Documents (documents.cpp, undo.cpp).
bool StartUndo(KvDocument* doc);
bool AddUndo(KvDocument* doc, std::int32_t type, KvNode* object);
bool EndUndo(KvDocument* doc);
void ClearHistory(KvDocument* doc);
void ForgetNode(KvDocument* doc, const KvNode* node);
void ForgetNodeInHistories(const KvNode* node);
void DiscardRedo(KvDocument* doc);
void FreeAllDocuments();
void ReleasePluginNodes(const PluginEntry* plugin);

// Plug-ins (plugins.cpp).
const PluginEntry* FindPluginEntry(std::int32_t id);
void ClearPlugins();
void UnregisterPlugin(std::int32_t id);

// Faults of objects.cpp.
void ResetObjectFaults();

// Containers (containers.cpp): frees those a module leaked, at the host's reset.
void FreeLeakedContainers();

// Tables (tables.cpp).
void ResetTables();
KvHostTables* TablesForNextCall();

// Records of the module's requests (requests.cpp), kept while recording is on.
void NoteParameterRead(const KvContainer* container, std::int32_t id);
void NoteResourceRequest(std::string what, bool resolved);

}  // namespace kvhost
