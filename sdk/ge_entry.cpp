// The entry point the host calls: system initialisation and end around the plug-in's own
// start, message and end.
#include "ge_entry.h"

#include "ge_export.h"
#include "ge_general.h"
#include "operatingsystem.h"

Filename* g_pluginPath = nullptr;
GeResource g_resource;

#if defined(_WIN32) && defined(__GLIBCXX__)
// The Windows module carries its own static copy of the C++ runtime, whose exception
// emergency pool is allocated when the library loads and never returned: a host that loads
// and unloads the module again and again would lose it at every unload.
namespace __gnu_cxx {
void __freeres();
}
#endif

namespace {

// Action 1 calls not yet matched by an action 3.
Int32 g_initCount = 0;

// True from an action 1 that took the host's tables and passed its checks until the last
// action 3. Only then do actions 2 and 6 reach the plug-in: before, after a refusal and
// after the end there are no tables it may call through.
Bool g_accepted = false;

Int32 InitSystem(intptr_t first, void* third) {
  if (g_initCount++ != 0) return KV_RESULT_OK;
  Int32 apiVersion = 0;
  if (!InitOS(reinterpret_cast<const KvHostTables*>(first), &apiVersion)) return KV_RESULT_REFUSED;

  const Bool tooOld = apiVersion < g_minHostApiVersion;
  const Bool noPath = third == nullptr;
  // Both checks only read what the host handed over and both refuse with nothing kept, so
  // the order in which they are made cannot be seen: one condition serves both flavours.
  if (tooOld || noPath) {
    FreeOS();
    return KV_RESULT_REFUSED;
  }
  g_accepted = true;

  void* holder = NewMemClear(static_cast<Int>(sizeof(Filename)));
  if (holder == nullptr) {
    g_pluginPath = nullptr;
    return KV_RESULT_OK;
  }
  g_pluginPath = new (holder) Filename();
  g_pluginPath->CopyFrom(static_cast<const KvFilename*>(third));
  return KV_RESULT_OK;
}

Int32 EndSystem() {
  // An action 3 without its action 1 has nothing to end (and must not make the next
  // action 1 look like a nested one).
  if (g_initCount == 0) return KV_RESULT_OK;
  if (--g_initCount != 0) return KV_RESULT_OK;
  // Without the host's tables nothing was kept, and the releases below call nothing.
  if (g_accepted) PluginEnd();
  g_resource.Free();
  DeleteObj(g_pluginPath);
  g_accepted = false;
  FreeOS();  // the tables are the host's to take back now
#if defined(_WIN32) && defined(__GLIBCXX__)
  __gnu_cxx::__freeres();  // the module throws nothing, so the pool is never needed after
#endif
  return KV_RESULT_OK;
}

}  // namespace

extern "C" KV_EXPORT Int32 c4d_main(Int32 action, intptr_t first, void* second, void* third) {
  switch (action) {
    case KV_ACTION_INIT_SYSTEM:
      return InitSystem(first, third);
    case KV_ACTION_START:
      // Without accepted tables the plug-in could call nothing: a host that starts a
      // module whose initialisation was refused, or that has ended, gets a failed start.
      if (!g_accepted) return KV_RESULT_FAILED;
      return PluginStart() ? KV_RESULT_OK : KV_RESULT_FAILED;
    case KV_ACTION_END:
      return EndSystem();
    case KV_ACTION_PROBE:
      return KV_RESULT_PROBE;
    case KV_ACTION_MESSAGE:
      if (!g_accepted) return KV_RESULT_UNHANDLED;
      return PluginMessage(static_cast<Int32>(first), second) ? KV_RESULT_OK : KV_RESULT_UNHANDLED;
    default:
      return KV_RESULT_UNHANDLED;
  }
}
