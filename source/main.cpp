// What the module decides at its entry: its identifier, its accepted host, its resources,
// the registration of the arrow object and the console lines that report them. The SDK's
// entry framework (ge_entry.h) calls PluginStart, PluginMessage and PluginEnd.
#include "description/okeelvane.h"
#include "flavour.h"
#include "keelvane.h"
#include "symbols.h"

#define MODULE_IDENTIFIER "com.orlendt-software.keelvane"

static ModuleRegistration s_moduleRegistration(MODULE_IDENTIFIER, kFrameworkVersionAtLoad);

const Int32 g_minHostApiVersion = MIN_HOST_API_VERSION;

namespace {

// Console lines carry fixed source locations: the host's users and its tooling know the
// lines by them, wherever the statement stands in this file.
constexpr SourceLocation kLoadedLocation{"main", 22};
constexpr SourceLocation kFailedLocation{"main", 17};
constexpr SourceLocation kResourceFailedLocation{"main", 41};

constexpr Int32 ARROW_INFO_FLAGS = OBJECT_GENERATOR | OBJECT_ISSPLINE;  // 132

Bool RegisterArrowObject() {
  const String name = GeLoadString(IDS_ARROW);
  AutoBitmap icon(String("keelvane.tif"), 1.0);
  return RegisterObjectPlugin(ID_ARROW_OBJECT, name, ARROW_INFO_FLAGS, ArrowAllocator(),
                              String("Okeelvane"), icon, 0);
}

Bool LoadModuleResources() {
  if (!g_resource.WasAttempted()) g_resource.Init(GeGetPluginPath() + Filename("res"));
  if (g_resource.IsLoaded()) return true;
  ApplicationOutput(String("Keelvane: failed to load resource file."), kResourceFailedLocation);
  return false;
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
    case KV_PLUGINMESSAGE_NONE:
      return true;
    case KV_PLUGINMESSAGE_LOAD_RESOURCES:
      return LoadModuleResources();
    default:
      return false;
  }
}
