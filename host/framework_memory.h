// Framework memory: the blocks of the general table's Alloc and Free, zeroed, accounted as
// AllocKind::Memory, and known by address so that a foreign or double free is reported
// instead of crashing.
#pragma once

#include <cstdint>

namespace kvhost {

// A zeroed block of size bytes; null for a negative size, when out of memory or when the
// Memory kind's fault fires.
void* AllocFrameworkMemory(std::int64_t size);
// Frees a block of AllocFrameworkMemory; null is ignored, any other pointer is reported.
void FreeFrameworkMemory(void* memory);
// Frees the blocks still live (a module's leaks), at the host's reset.
void FreeLeakedFrameworkMemory();

}  // namespace kvhost
