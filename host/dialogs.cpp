// Fl: existence tests on the real file system, and file dialogs answered from a script.
// Nobody sits at a headless host, so every dialog takes the next queued answer; a dialog
// with nothing queued is a fault of the test that showed it, reported and cancelled
// rather than left waiting.
#include "dialogs.h"

#include <deque>
#include <filesystem>
#include <optional>
#include <system_error>

#include "console.h"
#include "file_paths.h"
#include "host_strings.h"
#include "test_powers.h"

namespace kvhost {
namespace {

struct DialogScript {
  std::deque<std::optional<std::string>> answers;  // nullopt: cancel
  std::vector<ShownDialog> shown;
};

DialogScript& Script() {
  static DialogScript script;
  return script;
}

const char* ModeName(std::int32_t mode) {
  switch (mode) {
    case 0: return "load";
    case 1: return "save";
    case 2: return "directory";
    default: return "unknown mode";
  }
}

bool FlExists(const KvFilename* fn, bool isDirectory) {
  if (!fn || fn->path.empty()) return false;
  std::error_code ec;
  std::filesystem::file_status status = std::filesystem::status(fn->path, ec);
  if (ec) return false;
  if (isDirectory) return std::filesystem::is_directory(status);
  return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool FlFileSelect(KvFilename* fn, std::int32_t type, std::int32_t mode, const KvString* title,
                  const KvString* forceSuffix) {
  DialogScript& script = Script();
  ShownDialog shown;
  shown.type = type;
  shown.mode = mode;
  shown.startPath = fn ? fn->path : std::string();
  shown.title = std::string(StringText(title));
  shown.forceSuffix = std::string(StringText(forceSuffix));
  shown.answered = !script.answers.empty();
  script.shown.push_back(shown);

  if (script.answers.empty()) {
    ReportHostError("file dialog (" + std::string(ModeName(mode)) + ", title \"" + shown.title +
                    "\", starting at \"" + shown.startPath +
                    "\") was shown with no answer queued; answered as cancelled");
    return false;
  }
  std::optional<std::string> answer = std::move(script.answers.front());
  script.answers.pop_front();
  if (!answer || !fn) return false;
  fn->path = *answer;
  if (!shown.forceSuffix.empty() && !HasSuffix(fn->path, shown.forceSuffix)) {
    fn->path = WithSuffix(fn->path, shown.forceSuffix);
  }
  return true;
}

}  // namespace

void QueueDialogAnswer(std::string path) { Script().answers.emplace_back(std::move(path)); }

void QueueDialogCancel() { Script().answers.emplace_back(std::nullopt); }

const std::vector<ShownDialog>& ShownDialogs() { return Script().shown; }

std::size_t PendingDialogAnswers() { return Script().answers.size(); }

void ClearDialogs() {
  Script().answers.clear();
  Script().shown.clear();
}

KvFileSystemTable* FileSystemTable() {
  static KvFileSystemTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvFileSystemTable)},
      .Exists = FlExists,
      .FileSelect = FlFileSelect,
  };
  return &table;
}

}  // namespace kvhost
