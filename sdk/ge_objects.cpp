#include "ge_objects.h"

#include "operatingsystem.h"

namespace {

KvNode* H(GeListNode* node) { return node != nullptr ? node->GetHandle() : nullptr; }

}  // namespace

GeListNode* GeListNode::GetUp() const { return FromHandle(g_os.Bl->GetUp(GetHandle())); }
GeListNode* GeListNode::GetDown() const { return FromHandle(g_os.Bl->GetDown(GetHandle())); }
GeListNode* GeListNode::GetNext() const { return FromHandle(g_os.Bl->GetNext(GetHandle())); }
GeListNode* GeListNode::GetPred() const { return FromHandle(g_os.Bl->GetPred(GetHandle())); }
void GeListNode::Remove() { g_os.Bl->Remove(GetHandle()); }
void GeListNode::InsertUnder(GeListNode* parent) { g_os.Bl->InsertUnder(GetHandle(), H(parent)); }
void GeListNode::InsertUnderLast(GeListNode* parent) {
  g_os.Bl->InsertUnderLast(GetHandle(), H(parent));
}
Bool GeListNode::Message(Int32 type, void* data) { return g_os.Bl->Message(GetHandle(), type, data); }
Int32 GeListNode::GetType() const { return g_os.Bl->GetType(GetHandle()); }
BaseDocument* GeListNode::GetDocument() const {
  return reinterpret_cast<BaseDocument*>(g_os.Bl->GetDocument(GetHandle()));
}

// The host hands out the address of its slot holding the node's container handle;
// BaseContainer consists of exactly that handle.
BaseContainer* BaseList2D::GetDataInstance() {
  return reinterpret_cast<BaseContainer*>(const_cast<KvContainer**>(g_os.Bl->GetDataInstance(GetHandle())));
}

const BaseContainer* BaseList2D::GetDataInstance() const {
  return const_cast<BaseList2D*>(this)->GetDataInstance();
}

void BaseList2D::SetData(const BaseContainer& bc, Bool add) {
  KvContainer* live = *g_os.Bl->GetDataInstance(GetHandle());
  if (bc.GetHandle() == nullptr) return;  // a local container the host could not make
  if (add) {
    g_os.Bc->Merge(live, bc.GetHandle());
  } else {
    g_os.Bc->CopyTo(bc.GetHandle(), live);
  }
}

void* BaseTag::GetDataAddressW() { return g_os.Tg->GetDataAddressW(GetHandle()); }
Int32 BaseTag::GetDataCount() const { return g_os.Tg->GetDataCount(GetHandle()); }

BaseObject* BaseObject::Alloc(Int32 type) {
  return reinterpret_cast<BaseObject*>(g_os.Bo->Alloc(type));
}

void BaseObject::Free(BaseObject*& obj) {
  if (obj != nullptr) g_os.Bo->Free(obj->GetHandle());
  obj = nullptr;
}

BaseTag* BaseObject::GetTag(Int32 type, Int32 nr) const {
  return reinterpret_cast<BaseTag*>(g_os.Tg->GetTag(GetHandle(), type, nr));
}

SplineObject* SplineObject::Alloc(Int32 pointCount, SPLINETYPE type) {
  return reinterpret_cast<SplineObject*>(g_os.Bo->AllocSpline(pointCount, static_cast<Int32>(type)));
}

Vector* SplineObject::GetPointW() {
  BaseTag* tag = GetTag(Tpoint);
  return tag != nullptr ? static_cast<Vector*>(tag->GetDataAddressW()) : nullptr;
}

Int32 SplineObject::GetPointCount() const {
  const BaseTag* tag = GetTag(Tpoint);
  return tag != nullptr ? tag->GetDataCount() : 0;
}
