/* A stand-in module for the inspection's tests: the three symbols the host looks up and
   nothing else, built for each system and file kind the tests need. EXTRA_EXPORT adds a
   fourth export; FOREIGN_IMPORT makes the entry call a library that is not the system's. */
#if defined(_WIN32)
#define EXPORTED __declspec(dllexport)
#else
#define EXPORTED __attribute__((visibility("default")))
#endif

#ifdef FOREIGN_IMPORT
int foreign_function(void);
#endif

EXPORTED int c4d_main(int action, void* first, void* second, void* third) {
  (void)first;
  (void)second;
  (void)third;
#ifdef FOREIGN_IMPORT
  return foreign_function() + action;
#else
  return action;
#endif
}

EXPORTED char g_maxon[16];

static void NoYield(void) {}
EXPORTED void (*g_CpuYieldDelegate)(void) = NoYield;

#ifdef EXTRA_EXPORT
EXPORTED int g_extra;
#endif
