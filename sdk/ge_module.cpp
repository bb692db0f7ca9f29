#include "ge_module.h"

namespace {

// The framework entries every module carries: its registration unit and its reflection
// registration.
constexpr UInt32 kGeneratedRegistrations = 2;

void CpuYield() {}

}  // namespace

// Zero until the registration fills it at load.
extern "C" {
KV_EXPORT KvModuleRecord g_maxon = {{0, 0}, 0, 0, nullptr};
KV_EXPORT KvCpuYieldDelegate g_CpuYieldDelegate = CpuYield;
}

ModuleRegistration::ModuleRegistration(const char* identifier, UInt64 frameworkVersion) {
  g_maxon.frameworkVersion[0] = frameworkVersion;
  g_maxon.frameworkVersion[1] = frameworkVersion;
  g_maxon.layoutVersion = KV_TABLE_LAYOUT_VERSION;
  g_maxon.identifier = identifier;
  g_maxon.registrationCount = kGeneratedRegistrations;
}
