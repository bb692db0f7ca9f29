// The module's record in the host framework, exported as g_maxon, the exported yield
// delegate, and the framework's registration of the module at load.
#pragma once

#include "ge_export.h"
#include "ge_types.h"

extern "C" {
extern KV_EXPORT KvModuleRecord g_maxon;
extern KV_EXPORT KvCpuYieldDelegate g_CpuYieldDelegate;
}

// Registers the module under its identifier with the framework's generated entries (its
// registration unit and its reflection registration), and gives g_maxon the framework
// version the module declares. A plug-in constructs one, statically, in its main file, so
// that the record is filled at load, before the host calls c4d_main.
class ModuleRegistration {
 public:
  ModuleRegistration(const char* identifier, UInt64 frameworkVersion);
};
