// The exchange check: with a second plug-in folder, presets move between the two modules.
// Each module saves presets of random values; the other loads each with exactly those
// values and, saving it again, writes the same bytes. With one folder there is nothing to
// exchange and the check passes at once.
#include <algorithm>

#include "check_support.h"
#include "description/okeelvane.h"
#include "tool_error.h"

namespace kvcheck {
namespace fs = std::filesystem;
namespace {

struct Saved {
  std::vector<ParameterEdit> values;  // the preset name among them
  fs::path file;
  std::string bytes;
};

// A preset name of a few letters and, now and then, one not in ASCII.
std::string RandomName(CheckContext& context) {
  std::string name;
  for (std::int64_t n = context.Integer(0, 12); n > 0; --n) {
    name += context.Chance(0.1) ? std::string("\xC3\xA9") : std::string(1, static_cast<char>('a' + context.Integer(0, 25)));
  }
  return name;
}

}  // namespace

void RunExchange(CheckContext& context, CheckResult& result) {
  if (context.other.empty()) {
    result.figures = "one plug-in folder: nothing to exchange";
    return;
  }
  static constexpr int kSets[] = {2, 4, 8, 12, 20};
  const int sets = kSets[context.level - 1];
  const fs::path folder = ScratchOf(context);
  const fs::path plugins[2] = {context.plugin, context.other};
  std::vector<Saved> saved[2];
  result.figures = std::to_string(sets) + " presets each way";
  // The first module saves; the second loads those, saves again and saves its own; the
  // first loads and saves again the second's.
  for (int pass = 0; pass < 3 && result.passed; ++pass) {
    const int self = pass % 2;
    const int from = 1 - self;
    auto session = OpenSession(context, plugins[self]);
    KvNode* arrow = session->NewArrow();
    if (pass > 0) {
      for (std::size_t n = 0; n < saved[from].size() && result.passed; ++n) {
        const Saved& s = saved[from][n];
        const std::string values = EditsText(s.values);
        const std::string what = "a preset saved by " + plugins[from].string() + " loaded in " + plugins[self].string();
        context.progress(pass * sets + static_cast<std::int64_t>(n), 3 * sets, what + ": " + values);
        ++result.cases;
        // Other values before: a parameter the preset carries must change to the saved
        // value; one it does not carry keeps its own (and the bytes saved again tell).
        const std::vector<ParameterEdit> before = PresetValues(*session, context);
        WriteValues(arrow, before);
        try {
          session->LoadPreset(arrow, s.file.string());
        } catch (const kvtool::ToolError& e) {
          return result.Fail(what + " was refused (" + e.what() + "): " + values, "it loads");
        }
        for (const ParameterEdit& e : s.values) {
          const auto now = kvhost::GetParameter(kvhost::Container(arrow), e.id);
          const std::string text = now ? kvtool::ValueText(*now) : "unset";
          const auto kept = std::find_if(before.begin(), before.end(), [&](const ParameterEdit& b) { return b.id == e.id; });
          if (text != kvtool::ValueText(e.value) && (kept == before.end() || text != kvtool::ValueText(kept->value))) {
            return result.Fail(what + " gave " + e.symbol + " " + text + ": " + values,
                               "the saved " + kvtool::ValueText(e.value));
          }
        }
        const fs::path again = folder / ("again-" + std::to_string(self) + ".kvp");
        session->SavePreset(arrow, again.string());
        if (kvhost::ReadWholeFile(again).value_or("") != s.bytes) {
          return result.Fail(what + " and saved again there gave other bytes: " + values, "the same bytes");
        }
      }
    }
    if (pass == 2) break;
    for (int n = 0; n < sets; ++n) {
      Saved s;
      s.values = PresetValues(*session, context);
      s.values.push_back({ARROW_PRESET_NAME, "ARROW_PRESET_NAME", RandomName(context)});
      s.file = folder / ("saved-" + std::to_string(self) + "-" + std::to_string(n) + ".kvp");
      WriteValues(arrow, s.values);
      session->SavePreset(arrow, s.file.string());
      s.bytes = kvhost::ReadWholeFile(s.file).value_or("");
      saved[self].push_back(std::move(s));
    }
  }
}

}  // namespace kvcheck
