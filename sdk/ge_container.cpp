#include "ge_container.h"

#include "ge_objects.h"
#include "host_os.h"

namespace {

KvVector ToHost(const Vector& v) { return KvVector{v.x, v.y, v.z}; }

}  // namespace

BaseContainer::BaseContainer() : _h(g_os.Bc->Alloc()) {}

BaseContainer::BaseContainer(const BaseContainer& other) : _h(g_os.Bc->Alloc()) {
  if (_h != nullptr && other._h != nullptr) g_os.Bc->CopyTo(other._h, _h);
}

BaseContainer& BaseContainer::operator=(const BaseContainer& other) {
  if (this != &other && _h != nullptr && other._h != nullptr) g_os.Bc->CopyTo(other._h, _h);
  return *this;
}

BaseContainer::~BaseContainer() {
  if (_h != nullptr) g_os.Bc->Free(_h);
}

Float BaseContainer::GetFloat(Int32 id, Float preset) const {
  return _h != nullptr ? g_os.Bc->GetFloat(_h, id, preset) : preset;
}

Int32 BaseContainer::GetInt32(Int32 id, Int32 preset) const {
  return _h != nullptr ? g_os.Bc->GetInt32(_h, id, preset) : preset;
}

Bool BaseContainer::GetBool(Int32 id, Bool preset) const {
  return _h != nullptr ? g_os.Bc->GetBool(_h, id, preset) : preset;
}

Vector BaseContainer::GetVector(Int32 id, const Vector& preset) const {
  if (_h == nullptr) return preset;
  const KvVector v = g_os.Bc->GetVector(_h, id, ToHost(preset));
  return Vector(v.x, v.y, v.z);
}

String BaseContainer::GetString(Int32 id, const String& preset) const {
  if (_h == nullptr) return preset;
  return String::Adopt(g_os.Bc->GetString(_h, id, preset.GetHandle()));
}

BaseList2D* BaseContainer::GetLink(Int32 id, const BaseDocument* doc, Int32 instanceOf) const {
  if (_h == nullptr) return nullptr;
  KvDocument* hostDoc = const_cast<KvDocument*>(reinterpret_cast<const KvDocument*>(doc));
  return reinterpret_cast<BaseList2D*>(g_os.Bc->GetLink(_h, id, hostDoc, instanceOf));
}

void BaseContainer::SetFloat(Int32 id, Float v) {
  if (_h != nullptr) g_os.Bc->SetFloat(_h, id, v);
}
void BaseContainer::SetInt32(Int32 id, Int32 v) {
  if (_h != nullptr) g_os.Bc->SetInt32(_h, id, v);
}
void BaseContainer::SetBool(Int32 id, Bool v) {
  if (_h != nullptr) g_os.Bc->SetBool(_h, id, v);
}
void BaseContainer::SetVector(Int32 id, const Vector& v) {
  if (_h != nullptr) g_os.Bc->SetVector(_h, id, ToHost(v));
}
void BaseContainer::SetString(Int32 id, const String& v) {
  if (_h != nullptr) g_os.Bc->SetString(_h, id, v.GetHandle());
}

void BaseContainer::SetLink(Int32 id, BaseList2D* link) {
  if (_h != nullptr) g_os.Bc->SetLink(_h, id, reinterpret_cast<KvNode*>(link));
}

Bool BaseContainer::RemoveData(Int32 id) { return _h != nullptr && g_os.Bc->Remove(_h, id); }

void BaseContainer::MergeContainer(const BaseContainer& src) {
  if (_h != nullptr && src._h != nullptr) g_os.Bc->Merge(_h, src._h);
}
