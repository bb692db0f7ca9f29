// The presets check: preset files saved, loaded, cut and corrupted.
#include "check_support.h"
#include "description/okeelvane.h"
#include "tool_error.h"

namespace kvcheck {
namespace fs = std::filesystem;
namespace {

std::string ReadBytes(const fs::path& path) { return kvhost::ReadWholeFile(path).value_or(""); }

// The most bytes one delivery brings when a preset is read as from a pipe.
constexpr std::size_t kPiece = 17;

// Presses load with file; true when the module loaded it.
bool Load(kvtool::PluginSession& session, KvNode* arrow, const fs::path& file) {
  try {
    session.LoadPreset(arrow, file.string());
    return true;
  } catch (const kvtool::ToolError&) {
    return false;
  }
}

}  // namespace

void RunPresets(CheckContext& context, CheckResult& result) {
  auto session = OpenSession(context);
  KvNode* arrow = session->NewArrow();
  // In the check's own scratch folder, which the run keeps when the check fails.
  const fs::path folder = ScratchOf(context);
  // Every offset of each file is cut, so the number of files grows slowly with the level.
  static constexpr std::int64_t kObjects[] = {2, 4, 8, 12, 20};
  const std::int64_t objects = kObjects[context.level - 1];
  const fs::path file = folder / "saved.kvp";
  for (std::int64_t n = 0; n < objects && result.passed; ++n) {
    const auto saved = PresetValues(*session, context);
    const std::string values = EditsText(saved);
    context.progress(n, objects, "preset of " + values);
    WriteValues(arrow, saved);
    session->SavePreset(arrow, file.string());
    const std::string bytes = ReadBytes(file);
    const auto other = PresetValues(*session, context);
    WriteValues(arrow, other);
    const std::int64_t liveBefore = kvhost::LiveAllocations();
    ++result.cases;
    if (!Load(*session, arrow, file)) return result.Fail("a saved preset did not load: " + values, "it loads");
    for (std::size_t i = 0; i < saved.size(); ++i) {
      const auto now = kvhost::GetParameter(kvhost::Container(arrow), saved[i].id);
      const std::string text = now ? kvtool::ValueText(*now) : "unset";
      if (text != kvtool::ValueText(saved[i].value) && text != kvtool::ValueText(other[i].value)) {
        return result.Fail(saved[i].symbol + " is " + text +
                               " after saving " + values,
                           "the saved " + kvtool::ValueText(saved[i].value));
      }
    }
    // The same file read as a pipe or a network share delivers it, 17 bytes at a time:
    // the same values, and as many more host allocations live (an undo step) as then.
    const std::string whole = kvhost::DocumentText(session->Document());
    const std::int64_t grown = kvhost::LiveAllocations() - liveBefore;
    WriteValues(arrow, other);
    const std::int64_t live = kvhost::LiveAllocations();
    kvhost::DeliverReadsInPieces(kPiece);
    const bool pieces = Load(*session, arrow, file);
    kvhost::DeliverReadsInPieces(0);
    ++result.cases;
    if (const std::string now = kvhost::DocumentText(session->Document()); !pieces || now != whole) {
      return result.Fail("a saved preset read " + std::to_string(kPiece) + " bytes at a time " +
                             (pieces ? "loaded other values (" + FirstDifference(whole, now) + ")" : "did not load") +
                             ": " + values,
                         "the values of the file read whole");
    }
    if (const std::int64_t now = kvhost::LiveAllocations() - live; now != grown) {
      return result.Fail("a saved preset read " + std::to_string(kPiece) + " bytes at a time left " +
                             std::to_string(now) + " more host allocations live: " + values,
                         std::to_string(grown) + ", as after reading it whole");
    }
    session->SavePreset(arrow, file.string());
    if (ReadBytes(file) != bytes) return result.Fail("other bytes when saved again: " + values, "the same bytes");

    // Cut at every offset, then random bytes changed: the object is exactly as it was,
    // or the file loaded; a cut file that loads gives the values of the whole file.
    const fs::path broken = folder / "broken.kvp";
    const std::int64_t corruptions = context.Cases(10);
    const std::int64_t total = static_cast<std::int64_t>(bytes.size()) + corruptions;
    for (std::int64_t k = 0; k < total && result.passed; ++k) {
      std::string text = bytes;
      std::string what;
      if (k < static_cast<std::int64_t>(bytes.size())) {
        text.resize(static_cast<std::size_t>(k));
        what = "the file cut at byte " + std::to_string(k);
      } else {
        what = "the file with bytes";
        for (std::int64_t changes = context.Integer(1, 4); changes > 0; --changes) {
          const auto at = static_cast<std::size_t>(context.Integer(0, static_cast<std::int64_t>(text.size()) - 1));
          text[at] = static_cast<char>(context.Integer(0, 255));
          what += " " + std::to_string(at);
        }
        what += " changed";
      }
      context.progress(n * total + k, objects * total, what);
      WriteValues(arrow, other);
      const std::string before = kvhost::DocumentText(session->Document());
      kvhost::WriteWholeFile(broken, text);
      ++result.cases;
      const bool loaded = Load(*session, arrow, broken);
      const std::string after = kvhost::DocumentText(session->Document());
      if (!loaded && after != before) {
        return result.Fail(what + " was refused but changed the object (" + FirstDifference(before, after) +
                               "); saved: " + values,
                           "the object exactly as it was");
      }
      if (loaded && k < static_cast<std::int64_t>(bytes.size())) {
        session->SavePreset(arrow, (folder / "again.kvp").string());
        if (ReadBytes(folder / "again.kvp") != bytes) {
          return result.Fail(what + " loaded other values than the whole file; saved: " + values,
                             "refused, or the whole file's values");
        }
      }
    }
  }
}

}  // namespace kvcheck
