#include "ge_plugins.h"

#include "ge_general.h"
#include "operatingsystem.h"

Bool NodeData::Init(GeListNode*) { return true; }
Bool NodeData::Message(GeListNode*, Int32, void*) { return true; }
Bool NodeData::GetDEnabling(GeListNode*, const DescID&, const GeData&, DESCFLAGS_ENABLE,
                            const BaseContainer*) {
  return true;
}

BaseObject* ObjectData::GetVirtualObjects(BaseObject*, const HierarchyHelp*) { return nullptr; }
SplineObject* ObjectData::GetContour(BaseObject*, BaseDocument*, Float, BaseThread*) {
  return nullptr;
}

void DeleteNodeData(NodeData* data) {
  if (data == nullptr) return;
  data->~NodeData();
  DeleteMemPtr(data);
}

// The host calls plain C functions; these turn each call into the virtual method of the
// instance the allocator made.
namespace {

ObjectData* Data(void* data) { return static_cast<ObjectData*>(static_cast<NodeData*>(data)); }

void* AllocatorTrampoline(void* context) {
  DataAllocator* alloc = reinterpret_cast<DataAllocator*>(context);
  return static_cast<void*>(alloc());
}

void DestructorTrampoline(void* data) { DeleteNodeData(static_cast<NodeData*>(data)); }

bool InitTrampoline(void* data, KvNode* node) {
  return Data(data)->Init(GeListNode::FromHandle(node));
}

bool MessageTrampoline(void* data, KvNode* node, int32_t type, void* msgData) {
  return Data(data)->Message(GeListNode::FromHandle(node), type, msgData);
}

bool GetDEnablingTrampoline(void* data, KvNode* node, const KvDescId* id, const void* value,
                            int32_t flags, const KvContainer* itemDesc) {
  const DescID* descId = reinterpret_cast<const DescID*>(id);
  const BaseContainer* desc = reinterpret_cast<const BaseContainer*>(itemDesc != nullptr ? &itemDesc : nullptr);
  return Data(data)->GetDEnabling(GeListNode::FromHandle(node), *descId, GeData(value),
                                  static_cast<DESCFLAGS_ENABLE>(flags), desc);
}

KvNode* GetVirtualObjectsTrampoline(void* data, KvNode* op, void* hh) {
  BaseObject* result = Data(data)->GetVirtualObjects(reinterpret_cast<BaseObject*>(op),
                                                     static_cast<const HierarchyHelp*>(hh));
  return result != nullptr ? result->GetHandle() : nullptr;
}

KvNode* GetContourTrampoline(void* data, KvNode* op, KvDocument* doc, double lod, void* bt) {
  SplineObject* result = Data(data)->GetContour(reinterpret_cast<BaseObject*>(op),
                                                reinterpret_cast<BaseDocument*>(doc), lod,
                                                static_cast<BaseThread*>(bt));
  return result != nullptr ? result->GetHandle() : nullptr;
}

}  // namespace

Bool RegisterObjectPlugin(Int32 id, const String& name, Int32 info, DataAllocator* alloc,
                          const String& description, BaseBitmap* icon, Int32 diskLevel) {
  if (description.IsPopulated() &&
      !g_os.Pl->RegisterDescription(id, description.GetHandle(), g_resource.GetHandle())) {
    return false;
  }
  KvObjectPluginRecord record{};
  record.info = info;
  record.description = description.GetHandle();
  record.icon = icon != nullptr ? icon->GetHandle() : nullptr;
  record.diskLevel = diskLevel;
  record.allocatorContext = reinterpret_cast<void*>(alloc);
  record.Allocator = AllocatorTrampoline;
  record.Destructor = DestructorTrampoline;
  record.Init = InitTrampoline;
  record.Message = MessageTrampoline;
  record.GetDEnabling = GetDEnablingTrampoline;
  if ((info & OBJECT_GENERATOR) != 0) record.GetVirtualObjects = GetVirtualObjectsTrampoline;
  if ((info & OBJECT_ISSPLINE) != 0) record.GetContour = GetContourTrampoline;
  return g_os.Pl->RegisterObjectPlugin(static_cast<Int32>(PLUGINTYPE::OBJECT), id,
                                       name.GetHandle(), &record, static_cast<Int32>(sizeof(record)));
}
