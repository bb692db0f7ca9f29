#include "ge_resources.h"

#include "ge_general.h"
#include "operatingsystem.h"

Bool GeResource::Init(const Filename& folder) {
  attempted = true;
  if (path == nullptr) path = NewObjClear<Filename>(folder);
  handle = g_os.Lr->Load(folder.GetHandle());
  return handle != nullptr;
}

void GeResource::Free() {
  if (handle != nullptr) {
    g_os.Lr->Free(handle);
    handle = nullptr;
  }
  DeleteObj(path);
  attempted = false;
}

String GeResource::LoadString(Int32 id) const {
  if (handle == nullptr) return String();
  return String::Adopt(g_os.Lr->LoadString(handle, id));
}

String GeLoadString(Int32 id) { return g_resource.LoadString(id); }

Filename GeGetPluginPath() {
  if (g_pluginPath == nullptr) return Filename();
  return g_pluginPath->GetDirectory();
}

AutoBitmap::AutoBitmap(const String& name, Float pixelRatio) {
  Filename file = g_resource.GetPath() != nullptr ? *g_resource.GetPath() : Filename();
  file = file + Filename(name);
  bitmap = reinterpret_cast<BaseBitmap*>(g_os.Bm->Load(file.GetHandle(), pixelRatio));
}

AutoBitmap::~AutoBitmap() {
  if (bitmap != nullptr) g_os.Bm->Free(reinterpret_cast<KvBitmap*>(bitmap));
}
