#include "ge_containers.h"

#include "ge_objects.h"
#include "operatingsystem.h"

namespace {

KvVector ToHost(const Vector& v) { return KvVector{v.x, v.y, v.z}; }

}  // namespace

BaseContainer::BaseContainer() : handle(g_os.Bc->Alloc()) {}

BaseContainer::BaseContainer(const BaseContainer& other) : handle(g_os.Bc->Alloc()) {
  if (handle != nullptr && other.handle != nullptr) g_os.Bc->CopyTo(other.handle, handle);
}

BaseContainer& BaseContainer::operator=(const BaseContainer& other) {
  if (this != &other && handle != nullptr && other.handle != nullptr) g_os.Bc->CopyTo(other.handle, handle);
  return *this;
}

BaseContainer::~BaseContainer() {
  if (handle != nullptr) g_os.Bc->Free(handle);
}

Float BaseContainer::GetFloat(Int32 id, Float preset) const {
  return handle != nullptr ? g_os.Bc->GetFloat(handle, id, preset) : preset;
}

Int32 BaseContainer::GetInt32(Int32 id, Int32 preset) const {
  return handle != nullptr ? g_os.Bc->GetInt32(handle, id, preset) : preset;
}

Bool BaseContainer::GetBool(Int32 id, Bool preset) const {
  return handle != nullptr ? g_os.Bc->GetBool(handle, id, preset) : preset;
}

Vector BaseContainer::GetVector(Int32 id, const Vector& preset) const {
  if (handle == nullptr) return preset;
  const KvVector v = g_os.Bc->GetVector(handle, id, ToHost(preset));
  return Vector(v.x, v.y, v.z);
}

String BaseContainer::GetString(Int32 id, const String& preset) const {
  if (handle == nullptr) return preset;
  return String::Adopt(g_os.Bc->GetString(handle, id, preset.GetHandle()));
}

BaseList2D* BaseContainer::GetLink(Int32 id, const BaseDocument* doc, Int32 instanceOf) const {
  if (handle == nullptr) return nullptr;
  KvDocument* hostDoc = const_cast<KvDocument*>(reinterpret_cast<const KvDocument*>(doc));
  return reinterpret_cast<BaseList2D*>(g_os.Bc->GetLink(handle, id, hostDoc, instanceOf));
}

void BaseContainer::SetFloat(Int32 id, Float v) {
  if (handle != nullptr) g_os.Bc->SetFloat(handle, id, v);
}
void BaseContainer::SetInt32(Int32 id, Int32 v) {
  if (handle != nullptr) g_os.Bc->SetInt32(handle, id, v);
}
void BaseContainer::SetBool(Int32 id, Bool v) {
  if (handle != nullptr) g_os.Bc->SetBool(handle, id, v);
}
void BaseContainer::SetVector(Int32 id, const Vector& v) {
  if (handle != nullptr) g_os.Bc->SetVector(handle, id, ToHost(v));
}
void BaseContainer::SetString(Int32 id, const String& v) {
  if (handle != nullptr) g_os.Bc->SetString(handle, id, v.GetHandle());
}

void BaseContainer::SetLink(Int32 id, BaseList2D* link) {
  if (handle != nullptr) g_os.Bc->SetLink(handle, id, reinterpret_cast<KvNode*>(link));
}
