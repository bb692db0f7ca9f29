// Framework memory of the general table: zeroed blocks, accounted, known by address.
#include "framework_memory.h"

#include <cstdlib>
#include <unordered_set>

#include "accounting.h"
#include "console.h"

namespace kvhost {
namespace {

std::unordered_set<void*>& Blocks() {
  static std::unordered_set<void*> blocks;
  return blocks;
}

}  // namespace

void* AllocFrameworkMemory(std::int64_t size) {
  if (size < 0) return nullptr;
  if (!TryAllocate(AllocKind::Memory)) return nullptr;
  void* memory = std::calloc(1, size == 0 ? 1 : static_cast<std::size_t>(size));
  if (memory == nullptr) {
    Release(AllocKind::Memory);
    return nullptr;
  }
  Blocks().insert(memory);
  return memory;
}

void FreeFrameworkMemory(void* memory) {
  if (memory == nullptr) return;
  if (Blocks().erase(memory) == 0) {
    ReportHostError("framework memory freed that the host did not allocate");
    return;
  }
  std::free(memory);
  Release(AllocKind::Memory);
}

// Memory still live at a reset is a leak of a module that is unloaded by now.
void FreeLeakedFrameworkMemory() {
  for (void* block : Blocks()) std::free(block);
  Blocks().clear();
}

}  // namespace kvhost
