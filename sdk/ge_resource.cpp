#include "ge_resource.h"

#include "ge_general.h"
#include "host_os.h"

Bool GeResource::Init(const Filename& folder) {
  _attempted = true;
  if (_path == nullptr) _path = NewObjClear<Filename>(folder);
  _handle = g_os.Lr->Load(folder.GetHandle());
  return _handle != nullptr;
}

void GeResource::Free() {
  if (_handle != nullptr) {
    g_os.Lr->Free(_handle);
    _handle = nullptr;
  }
  DeleteObj(_path);
  _attempted = false;
}

String GeResource::LoadString(Int32 id) const {
  if (_handle == nullptr) return String();
  return String::Adopt(g_os.Lr->LoadString(_handle, id));
}

String GeLoadString(Int32 id) { return g_resource.LoadString(id); }

Filename GeGetPluginPath() {
  if (g_pluginPath == nullptr) return Filename();
  return g_pluginPath->GetDirectory();
}

Int32 BaseBitmap::GetBw() const { return g_os.Bm->GetWidth(GetHandle()); }
Int32 BaseBitmap::GetBh() const { return g_os.Bm->GetHeight(GetHandle()); }

AutoBitmap::AutoBitmap(const String& name, Float pixelRatio) {
  Filename file = g_resource.GetPath() != nullptr ? *g_resource.GetPath() : Filename();
  file = file + Filename(name);
  _bitmap = reinterpret_cast<BaseBitmap*>(g_os.Bm->Load(file.GetHandle(), pixelRatio));
}

AutoBitmap::~AutoBitmap() {
  if (_bitmap != nullptr) g_os.Bm->Free(reinterpret_cast<KvBitmap*>(_bitmap));
}
