// The entry point the host calls: system initialisation and end around the plug-in's own
// start, message and end.
#include "ge_entry.h"

#include "ge_export.h"
#include "ge_general.h"
#include "host_os.h"

Int32 g_initCount = 0;
Filename* g_pluginPath = nullptr;
GeResource g_resource;

namespace {

Int32 InitSystem(intptr_t first, void* third) {
  if (g_initCount++ != 0) return 1;
  Int32 apiVersion = 0;
  if (!InitOS(reinterpret_cast<const KvHostTables*>(first), &apiVersion)) return -3;

  const Bool tooOld = apiVersion < g_minHostApiVersion;
  const Bool noPath = third == nullptr;
  if (g_versionTestedBeforePath ? (tooOld || noPath) : (noPath || tooOld)) return -3;

  void* holder = NewMemClear(static_cast<Int>(sizeof(Filename)));
  if (holder == nullptr) {
    g_pluginPath = nullptr;
    return 1;
  }
  g_pluginPath = new (holder) Filename();
  g_pluginPath->CopyFrom(static_cast<const KvFilename*>(third));
  return 1;
}

Int32 EndSystem() {
  if (--g_initCount != 0) return 1;
  PluginEnd();
  g_resource.Free();
  DeleteObj(g_pluginPath);
  return 1;
}

}  // namespace

extern "C" KV_EXPORT Int32 c4d_main(Int32 action, intptr_t first, void* second, void* third) {
  switch (action) {
    case 1:
      return InitSystem(first, third);
    case 2:
      return PluginStart() ? 1 : 0;
    case 3:
      return EndSystem();
    case 4:
      return 5;
    case 6:
      return PluginMessage(static_cast<Int32>(first), second) ? 1 : -1;
    default:
      return -1;
  }
}
