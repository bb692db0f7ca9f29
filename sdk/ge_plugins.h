// Plug-in data classes whose virtual methods the host calls, and their registration.
#pragma once

#include "ge_containers.h"
#include "ge_objects.h"
#include "ge_resources.h"
#include "ge_strings.h"

class BaseThread;
struct HierarchyHelp;

// The base of every plug-in data class. The host creates an instance through the
// registered allocator and destroys it through the virtual destructor.
class NodeData {
 public:
  virtual ~NodeData() = default;
  virtual Bool Init(GeListNode* node);
  virtual Bool Message(GeListNode* node, Int32 type, void* data);
  virtual Bool GetDEnabling(GeListNode* node, const DescID& id, const GeData& value,
                            DESCFLAGS_ENABLE flags, const BaseContainer* itemDesc);
};

class ObjectData : public NodeData {
 public:
  // Generator hook; null: no virtual objects.
  virtual BaseObject* GetVirtualObjects(BaseObject* op, const HierarchyHelp* hh);
  // Spline hook; null: no contour.
  virtual SplineObject* GetContour(BaseObject* op, BaseDocument* doc, Float lod, BaseThread* bt);
};

// Makes a new plug-in data instance in framework memory; null when exhausted.
using DataAllocator = NodeData*();

// Registers an object plug-in: first its description (when description is not empty),
// then the plug-in with its allocator, info flags, icon and disk level. The icon and the
// strings stay the caller's.
Bool RegisterObjectPlugin(Int32 id, const String& name, Int32 info, DataAllocator* alloc,
                          const String& description, BaseBitmap* icon, Int32 diskLevel);

// Releases a plug-in data instance made in framework memory.
void DeleteNodeData(NodeData* data);
