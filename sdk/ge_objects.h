// The object tree, objects and splines. None of these classes is constructed by the
// module: a pointer to one is the host's handle for that node, and each method forwards
// it to the host.
#pragma once

#include "ge_containers.h"
#include "ge_types.h"

class BaseDocument;

class GeListNode {
 public:
  GeListNode() = delete;
  GeListNode(const GeListNode&) = delete;
  GeListNode& operator=(const GeListNode&) = delete;

  GeListNode* GetUp() const;
  GeListNode* GetDown() const;
  GeListNode* GetNext() const;
  GeListNode* GetPred() const;
  // Detaches the node (with its children) from its tree.
  void Remove();
  // Inserts this detached node as the first / last child of parent.
  void InsertUnder(GeListNode* parent);
  void InsertUnderLast(GeListNode* parent);
  Bool Message(Int32 type, void* data = nullptr);
  Int32 GetType() const;
  BaseDocument* GetDocument() const;

  KvNode* GetHandle() const { return reinterpret_cast<KvNode*>(const_cast<GeListNode*>(this)); }
  static GeListNode* FromHandle(KvNode* node) { return reinterpret_cast<GeListNode*>(node); }
};

class BaseList2D : public GeListNode {
 public:
  // The node's live parameter container.
  BaseContainer* GetDataInstance();
  const BaseContainer* GetDataInstance() const;
  // Sets every value of bc on the node (add true), or replaces its container.
  void SetData(const BaseContainer& bc, Bool add = true);
};

class BaseTag : public BaseList2D {
 public:
  void* GetDataAddressW();
  Int32 GetDataCount() const;
};

class BaseObject : public BaseList2D {
 public:
  // A new detached object of the given type, or null.
  static BaseObject* Alloc(Int32 type);
  // Releases a detached object and its children; sets obj to null.
  static void Free(BaseObject*& obj);

  BaseObject* GetUp() const { return static_cast<BaseObject*>(GeListNode::GetUp()); }
  BaseObject* GetDown() const { return static_cast<BaseObject*>(GeListNode::GetDown()); }
  BaseObject* GetNext() const { return static_cast<BaseObject*>(GeListNode::GetNext()); }
  BaseObject* GetPred() const { return static_cast<BaseObject*>(GeListNode::GetPred()); }
  BaseTag* GetTag(Int32 type, Int32 nr = 0) const;
};

class SplineObject : public BaseObject {
 public:
  // A new detached spline with pointCount points, or null.
  static SplineObject* Alloc(Int32 pointCount, SPLINETYPE type);
  // The writable points of the point tag, or null when the spline has no point storage.
  Vector* GetPointW();
  Int32 GetPointCount() const;
};
