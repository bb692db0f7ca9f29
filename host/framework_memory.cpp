// Framework memory of the general table: zeroed blocks, accounted, known by address.
#include "framework_memory.h"

#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "accounting.h"
#include "console.h"

namespace kvhost {
namespace {

std::unordered_set<void*>& Blocks() {
  static std::unordered_set<void*> blocks;
  return blocks;
}

// Framework memory is asked for from several threads at once (contours of distinct
// objects): the set of live blocks is shared by all of them.
std::mutex& BlocksLock() {
  static std::mutex lock;
  return lock;
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
  const std::lock_guard<std::mutex> hold(BlocksLock());
  Blocks().insert(memory);
  return memory;
}

void FreeFrameworkMemory(void* memory) {
  if (memory == nullptr) return;
  bool known = false;
  {
    const std::lock_guard<std::mutex> hold(BlocksLock());
    known = Blocks().erase(memory) != 0;
  }
  if (!known) {
    ReportHostError("framework memory freed that the host did not allocate");
    return;
  }
  std::free(memory);
  Release(AllocKind::Memory);
}

// Memory still live at a reset is a leak of a module that is unloaded by now.
void FreeLeakedFrameworkMemory() {
  const std::lock_guard<std::mutex> hold(BlocksLock());
  for (void* block : Blocks()) std::free(block);
  Blocks().clear();
}

}  // namespace kvhost
