// Ge: the console, message dialogs (recorded, answered from a script), and the log of
// errors the host reports to the user. The table's memory functions are framework_memory's.
#include "console.h"

#include <deque>

#include "framework_memory.h"
#include "host.h"
#include "host_strings.h"

namespace kvhost {
namespace {

struct ConsoleState {
  std::vector<ConsoleLine> lines;
  std::vector<DialogRecord> dialogs;
  std::deque<std::int32_t> scriptedAnswers;
  std::vector<std::string> errors;
  std::vector<std::string> crashes;  // also in errors
};

ConsoleState& State() {
  static ConsoleState state;
  return state;
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
  static KvGeneralTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvGeneralTable)},
      .Alloc = AllocFrameworkMemory,
      .Free = FreeFrameworkMemory,
      .Output = Output,
      .MessageDialog = MessageDialog,
  };
  return &table;
}

void ReportHostError(std::string message) { State().errors.push_back(std::move(message)); }

void ReportHostCrash(const std::string& call, const std::string& what) {
  std::string message = call + " " + what + ": a crash on a real host";
  State().crashes.push_back(message);
  ReportHostError(std::move(message));
}

const std::vector<std::string>& HostErrors() { return State().errors; }
const std::vector<std::string>& HostCrashes() { return State().crashes; }
const std::vector<ConsoleLine>& ConsoleLines() { return State().lines; }
const std::vector<DialogRecord>& MessageDialogs() { return State().dialogs; }

void ScriptDialogAnswers(std::vector<std::int32_t> answers) {
  State().scriptedAnswers.assign(answers.begin(), answers.end());
}

void ClearConsole() {
  ConsoleState& s = State();
  s.lines.clear();
  s.dialogs.clear();
  s.scriptedAnswers.clear();
  s.errors.clear();
  s.crashes.clear();
}

}  // namespace kvhost
