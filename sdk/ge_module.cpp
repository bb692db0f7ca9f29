#include "ge_module.h"

namespace {

// The framework entries every module carries: its registration unit and its reflection
// registration.
constexpr UInt32 kGeneratedRegistrations = 2;

}  // namespace

ModuleRegistration::ModuleRegistration(KvModuleRecord& record, const char* identifier) {
  record.layoutVersion = KV_TABLE_LAYOUT_VERSION;
  record.identifier = identifier;
  record.registrationCount = kGeneratedRegistrations;
}
