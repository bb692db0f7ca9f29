// The module's entry point: start-up, resources, registration of the arrow object and
// shut-down, as the host drives them through c4d_main.
#include "description/okeelvane.h"
#include "flavour.h"
#include "keelvane.h"
#include "symbols.h"

#define MODULE_IDENTIFIER "com.orlendt-software.keelvane"

namespace {

// Console lines carry fixed source locations: the host's users and its tooling know the
// lines by them, wherever the statement stands in this file.
constexpr SourceLocation kLoadedLocation{"main", 22};
constexpr SourceLocation kFailedLocation{"main", 17};
constexpr SourceLocation kResourceFailedLocation{"main", 41};

constexpr Int32 ARROW_INFO_FLAGS = OBJECT_GENERATOR | OBJECT_ISSPLINE;  // 132

void CpuYield() {}

}  // namespace

extern "C" {
KV_EXPORT KvModuleRecord g_maxon = {{kFrameworkVersionAtLoad, kFrameworkVersionAtLoad}, 0, 0, nullptr};
KV_EXPORT KvCpuYieldDelegate g_CpuYieldDelegate = CpuYield;
}

static ModuleRegistration s_moduleRegistration(g_maxon, MODULE_IDENTIFIER);

Int32 g_initCount = 0;
Filename* g_pluginPath = nullptr;
GeResource g_resource;

Bool PluginStart();
void PluginEnd();
Bool PluginMessage(Int32 id, void* data);

namespace {

Bool RegisterArrowObject() {
  const String name = GeLoadString(IDS_ARROW);
  AutoBitmap icon(String("keelvane.tif"), 1.0);
  return RegisterObjectPlugin(ID_ARROW_OBJECT, name, ARROW_INFO_FLAGS, ArrowObject::Alloc,
                              String("Okeelvane"), icon, 0);
}

Bool LoadModuleResources() {
  if (!g_resource.WasAttempted()) g_resource.Init(GeGetPluginPath() + Filename("res"));
  if (g_resource.IsLoaded()) return true;
  ApplicationOutput(String("Keelvane: failed to load resource file."), kResourceFailedLocation);
  return false;
}

Int32 InitSystem(intptr_t first, void* third) {
  if (g_initCount++ != 0) return 1;
  Int32 apiVersion = 0;
  if (!InitOS(reinterpret_cast<const KvHostTables*>(first), &apiVersion)) return -3;

  const Bool tooOld = apiVersion < MIN_HOST_API_VERSION;
  const Bool noPath = third == nullptr;
  if (kVersionTestedBeforePath ? (tooOld || noPath) : (noPath || tooOld)) return -3;

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

Bool PluginStart() {
  if (RegisterArrowObject()) {
    ApplicationOutput(String("Orlendt Software: Keelvane successfully loaded."), kLoadedLocation);
    return true;
  }
  ApplicationOutput(String("Orlendt Software: Failed to load Keelvane."), kFailedLocation);
  return false;
}

void PluginEnd() {}

Bool PluginMessage(Int32 id, void*) {
  switch (id) {
    case 0:
      return true;
    case 1:
      return LoadModuleResources();
    default:
      return false;
  }
}

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
