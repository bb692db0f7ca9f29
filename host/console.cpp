// Ge: framework memory, the console, message dialogs (recorded, answered from a script),
// and the log of errors the host reports to the user.
#include <cstdlib>
#include <deque>
#include <mutex>
#include <unordered_set>

#include "host.h"

namespace kvhost {
namespace {

struct ConsoleState {
  std::vector<ConsoleLine> lines;
  std::vector<DialogRecord> dialogs;
  std::deque<std::int32_t> scriptedAnswers;
  std::vector<std::string> errors;
  std::unordered_set<void*> blocks;  // live framework memory, to catch foreign frees
};

ConsoleState& State() {
  static ConsoleState state;
  return state;
}

// Framework memory is asked for from several threads at once (contours of distinct
// objects): the set of live blocks is shared by all of them.
std::mutex& BlocksLock() {
  static std::mutex lock;
  return lock;
}

void* Alloc(int64_t size) {
  if (size < 0) return nullptr;
  if (!TryAllocate(AllocKind::Memory)) return nullptr;
  void* memory = std::calloc(1, size == 0 ? 1 : static_cast<std::size_t>(size));
  if (memory == nullptr) {
    Release(AllocKind::Memory);
    return nullptr;
  }
  const std::lock_guard<std::mutex> hold(BlocksLock());
  State().blocks.insert(memory);
  return memory;
}

void Free(void* memory) {
  if (memory == nullptr) return;
  bool known = false;
  {
    const std::lock_guard<std::mutex> hold(BlocksLock());
    known = State().blocks.erase(memory) != 0;
  }
  if (!known) {
    ReportHostError("framework memory freed that the host did not allocate");
    return;
  }
  std::free(memory);
  Release(AllocKind::Memory);
}

void Output(const KvString* text, const char* file, int32_t line, int32_t audience,
            int32_t writeMeta, int32_t level) {
  State().lines.push_back(ConsoleLine{std::string(StringText(text)),
                                      file != nullptr ? file : "", line, audience, writeMeta,
                                      level});
}

int32_t MessageDialog(const KvString* text, int32_t flags) {
  ConsoleState& s = State();
  std::int32_t answer = 1;
  if (!s.scriptedAnswers.empty()) {
    answer = s.scriptedAnswers.front();
    s.scriptedAnswers.pop_front();
  }
  s.dialogs.push_back(DialogRecord{std::string(StringText(text)), flags, answer});
  return answer;
}

}  // namespace

KvGeneralTable* GeneralTable() {
  static KvGeneralTable table{{KV_TABLE_LAYOUT_VERSION, sizeof(KvGeneralTable)},
                              Alloc, Free, Output, MessageDialog};
  return &table;
}

void ReportHostError(std::string message) { State().errors.push_back(std::move(message)); }

const std::vector<std::string>& HostErrors() { return State().errors; }
const std::vector<ConsoleLine>& ConsoleLines() { return State().lines; }
const std::vector<DialogRecord>& MessageDialogs() { return State().dialogs; }

void ScriptDialogAnswers(std::vector<std::int32_t> answers) {
  State().scriptedAnswers.assign(answers.begin(), answers.end());
}

// Framework memory still live at a reset is a leak of a module that is unloaded by now.
void ClearConsole() {
  ConsoleState& s = State();
  for (void* block : s.blocks) std::free(block);
  s.lines.clear();
  s.dialogs.clear();
  s.scriptedAnswers.clear();
  s.errors.clear();
  s.blocks.clear();
}

}  // namespace kvhost
