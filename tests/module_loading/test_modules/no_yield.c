/* A module that lacks g_CpuYieldDelegate: the loader must refuse it by that name. */
#include "host_tables.h"

#define KV_EXPORT __attribute__((visibility("default")))

KV_EXPORT KvModuleRecord g_maxon = {{0, 0}, KV_TABLE_LAYOUT_VERSION, 0, "net.keelvane.test"};

KV_EXPORT int32_t c4d_main(int32_t action, intptr_t first, void* second, void* third) {
  (void)action;
  (void)first;
  (void)second;
  (void)third;
  return 1;
}
