// The module's record in the host framework, exported as g_maxon, and the framework's
// registration of the module at load.
#pragma once

#include "ge_types.h"

// Registers the module under its identifier with the framework's generated entries (its
// registration unit and its reflection registration). Constructed once, statically.
class ModuleRegistration {
 public:
  ModuleRegistration(KvModuleRecord& record, const char* identifier);
};
