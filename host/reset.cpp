// The host's reset: everything a test or a module can leave behind, freed or forgotten,
// and every test power off again.
#include "console.h"
#include "framework_memory.h"
#include "host.h"
#include "host_strings.h"
#include "test_powers.h"

namespace kvhost {

void ResetFileServices() {
  ClearDialogs();
  ClearFileFaults();
  ResetLargestStringReservation();
  ResetFileOperationCounts();
  DeliverReadsInPieces(0);
}

void ResetHost() {
  FreeAllDocuments();
  ClearPlugins();
  FreeAllNodes();  // objects the module or a test never freed
  ClearConsole();
  FreeLeakedFrameworkMemory();
  FreeLeakedStrings();
  FreeLeakedContainers();
  ClearAllocationFaults();
  RecordRequests(false);
  ResetObjectFaults();
  ResetFileServices();  // scripted dialogs and file faults of an earlier test
  ResetAllocationCounters();
  ResetTables();
}

}  // namespace kvhost
