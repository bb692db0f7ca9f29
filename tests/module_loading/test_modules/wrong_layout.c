/* A module whose record declares another table layout: the loader must refuse it without
   calling c4d_main (which would record the call in g_called). */
#include "host_tables.h"

#define KV_EXPORT __attribute__((visibility("default")))

static void Yield(void) {}

KV_EXPORT KvModuleRecord g_maxon = {{0, 0}, KV_TABLE_LAYOUT_VERSION + 6, 0, "net.keelvane.old"};
KV_EXPORT KvCpuYieldDelegate g_CpuYieldDelegate = Yield;
KV_EXPORT int g_called = 0;

KV_EXPORT int32_t c4d_main(int32_t action, intptr_t first, void* second, void* third) {
  (void)action;
  (void)first;
  (void)second;
  (void)third;
  g_called = 1;
  return 1;
}
