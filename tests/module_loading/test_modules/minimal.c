/* A module that exports everything the loader needs and answers every action with its
   number (action 1: 1), so the loader's protocol can be watched. */
#include "host_tables.h"

#define KV_EXPORT __attribute__((visibility("default")))

static void Yield(void) {}

KV_EXPORT KvModuleRecord g_maxon = {{0, 0}, KV_TABLE_LAYOUT_VERSION, 0, "net.keelvane.test"};
KV_EXPORT KvCpuYieldDelegate g_CpuYieldDelegate = Yield;

KV_EXPORT int32_t c4d_main(int32_t action, intptr_t first, void* second, void* third) {
  (void)first;
  (void)second;
  (void)third;
  return action == KV_ACTION_INIT_SYSTEM || action == KV_ACTION_START || action == KV_ACTION_END ||
                 action == KV_ACTION_MESSAGE
             ? KV_RESULT_OK
             : KV_RESULT_UNHANDLED;
}
