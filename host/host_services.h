// Services shared by the stand-in host's table implementations: allocation accounting
// with fault injection, host strings, and the host's own error reports.
//
// The tables are plain C function pointers without a context argument, so the host is
// one per process, as the real application is. Everything here is process-wide.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "host_tables.h"

// The concrete type behind the opaque string handle.
struct KvString {
  std::string utf8;
};

namespace kvhost {

// What an allocation made through the tables is. Faults are armed per kind.
enum class AllocKind {
  Memory,     // framework memory (general table Alloc)
  String,
  Container,
  PathHolder, // path objects (file name table Alloc)
  File,       // file objects
  Object,     // host objects other than splines
  Spline,
  Bitmap,
  Resource,
  Count
};

const char* AllocKindName(AllocKind kind);

// Accounts one allocation of kind. Returns false, and accounts nothing, when a fault is
// armed for that kind: the caller must then fail the allocation.
bool TryAllocate(AllocKind kind);
// Accounts the release of one allocation of kind.
void Release(AllocKind kind);

// Test power: the next count allocations of kind fail. Off unless asked for.
// With skip > 0, that many allocations of kind succeed first.
void FailNextAllocation(AllocKind kind, int count = 1, int skip = 0);
// Disarms every armed allocation fault.
void ClearAllocationFaults();

std::int64_t LiveAllocations(AllocKind kind);
std::int64_t LiveAllocations();  // all kinds
std::int64_t TotalAllocations(AllocKind kind);

// New accounted string; null when the String kind's fault fires.
KvString* NewString(std::string_view utf8);
// Releases a string made by NewString (or the string table); null is ignored.
void FreeString(KvString* s);
// The text of a string handle; null reads as empty.
std::string_view StringText(const KvString* s);

// Records an error the host reports to the user (file errors, unanswered dialogs, ...).
// Tests read them back from the host's event log.
void ReportHostError(std::string message);

}  // namespace kvhost
