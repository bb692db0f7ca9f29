// Allocation accounting: every allocation made through the tables is counted by kind, so
// that a test can see a leak, and can be made to fail (the powers in test_powers.h).
//
// The tables are plain C function pointers without a context argument, so the host is
// one per process, as the real application is. Everything here is process-wide.
#pragma once

#include <cstdint>

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

// Armed faults of a kind, so that the host's own allocations can step around them.
int ArmedFaults(AllocKind kind);
// Zeroes every count and disarms every fault (the host's reset).
void ResetAllocationCounters();

}  // namespace kvhost
