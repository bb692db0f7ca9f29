// Framework memory of the general table: zeroed blocks, accounted, known by address.
#include "framework_memory.h"

#include <cstdlib>
#include <mutex>
#include <unordered_map>

#include "accounting.h"
#include "console.h"
#include "test_powers.h"

namespace kvhost {
namespace {

// Each live block with its size.
std::unordered_map<void*, std::int64_t>& Blocks() {
  static std::unordered_map<void*, std::int64_t> blocks;
  return blocks;
}

std::int64_t g_liveBytes = 0;  // the sizes of the blocks, under BlocksLock

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
  Blocks().emplace(memory, size);
  g_liveBytes += size;
  return memory;
}

void FreeFrameworkMemory(void* memory) {
  if (memory == nullptr) return;
  bool known = false;
  {
    const std::lock_guard<std::mutex> hold(BlocksLock());
    const auto block = Blocks().find(memory);
    known = block != Blocks().end();
    if (known) {
      g_liveBytes -= block->second;
      Blocks().erase(block);
    }
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
  for (const auto& block : Blocks()) std::free(block.first);
  Blocks().clear();
  g_liveBytes = 0;
}

std::int64_t LiveFrameworkBytes() {
  const std::lock_guard<std::mutex> hold(BlocksLock());
  return g_liveBytes;
}

}  // namespace kvhost
