// The stand-in host's test powers, all in one place: what a test (or the command-line
// tool, which answers dialogs from its script) may do to the host that no module can.
// Scripted answers for file and message dialogs, fault injection, a chosen API version or
// a null sub-table, and the allocation counts. Every power is off unless asked for, and
// ResetHost turns each off again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "accounting.h"
#include "host_tables.h"

namespace kvhost {

// ---- Allocation counts and faults (accounting.cpp, objects.cpp) ------------------------

// The next count allocations of kind fail; with skip > 0, that many succeed first.
void FailNextAllocation(AllocKind kind, int count = 1, int skip = 0);
// Disarms every armed allocation fault.
void ClearAllocationFaults();
std::int64_t LiveAllocations(AllocKind kind);
std::int64_t LiveAllocations();  // all kinds
std::int64_t TotalAllocations(AllocKind kind);
// The bytes of the framework memory blocks live now (framework_memory.cpp).
std::int64_t LiveFrameworkBytes();
// The next spline allocated gets a point tag without storage (null data, count 0).
void FailNextSplineStorage();

// ---- The record handed to modules (tables.cpp) -----------------------------------------

void SetHostApiVersion(std::int32_t version);
// The next record handed to c4d_main by a Module has sub-table index (KV_SUBTABLE_Ge ..
// KV_SUBTABLE_FL) null. Only for that one call.
void NullSubTableForNextCall(int index);
// The next record handed over holds a copy of sub-table index whose function number
// function (counted from 0 after the header) is null. Only for that one call.
void NullFunctionForNextCall(int index, int function);
// Index of a sub-table by its name ("t_C4DOS_Bc" or "Bc"); -1 when unknown.
int SubTableIndex(const std::string& name);

// ---- File dialogs (dialogs.cpp) --------------------------------------------------------

// One file dialog as the module showed it.
struct ShownDialog {
  std::int32_t type = 0;
  std::int32_t mode = 0;
  std::string startPath;  // the path the dialog was shown with (folder and file part)
  std::string title;
  std::string forceSuffix;
  bool answered = false;  // false when no answer was queued for it
};

// The next dialog answers with path (as if the user picked it).
void QueueDialogAnswer(std::string path);
// The next dialog answers as cancelled.
void QueueDialogCancel();
// Every dialog shown since the last ClearDialogs, oldest first.
const std::vector<ShownDialog>& ShownDialogs();
// Number of queued answers not yet taken by a dialog.
std::size_t PendingDialogAnswers();
// Forgets the shown dialogs and drops the queued answers.
void ClearDialogs();

// ---- Message dialogs (console.cpp) -----------------------------------------------------

// The answers the next message dialogs give, in order; then 1 again.
void ScriptDialogAnswers(std::vector<std::int32_t> answers);

// ---- File streams (file_stream.cpp) ----------------------------------------------------

// The nth open / typed read / typed write from now fails (1 = the next one), as a real
// I/O error would.
void FailNextOpen(int nth = 1);
void FailNextRead(int nth = 1);
void FailNextWrite(int nth = 1);
// Disarms the three powers above.
void ClearFileFaults();
// The opens, typed reads and typed writes asked of the file service since the last
// reset, each counted where the powers above count it: the nth from now is the one that
// FailNext...(n) fails.
struct FileOperations {
  std::int64_t opens = 0;
  std::int64_t reads = 0;
  std::int64_t writes = 0;
};
FileOperations FileOperationCounts();
void ResetFileOperationCounts();
// From now on the file service delivers a file's bytes at most `most` at a time, as a
// pipe or a network share does, so that a typed read is assembled from pieces (a value may straddle
// two); 0 turns it off.
void DeliverReadsInPieces(std::size_t most);
// Largest buffer a string read has reserved since the last reset; a read never reserves
// more than the file still holds.
std::int64_t LargestStringReservation();
void ResetLargestStringReservation();

// ---- The module's requests (requests.cpp) ----------------------------------------------

struct ParameterRead {
  const KvContainer* container;
  std::int32_t id;
};
struct ResourceRequest {
  std::string what;  // "string 10000", "bitmap <path>"
  bool resolved = false;
};
// Starts (forgetting earlier records) or stops recording what the module asks for.
void RecordRequests(bool on);
// Every id the module read from a container through the table (Get* and GetType), in
// order, since recording started.
std::vector<ParameterRead> ParameterReads();
// Every string and bitmap the module asked the resources for, since recording started.
std::vector<ResourceRequest> ResourceRequests();

// ---- Reset (reset.cpp) -----------------------------------------------------------------

// Clears the dialog script and records, the file faults, the operation counts, the pieces
// reads come in and the reservation high-water mark: everything of the file services a test can leave behind.
void ResetFileServices();

}  // namespace kvhost
