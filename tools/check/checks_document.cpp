// The checks of what the module does to a document: preset files saved, loaded, cut and
// corrupted (presets), and undo and redo after the user's actions (undo).
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

namespace {

// The buttons a user presses in the undo check: all but the two with file dialogs.
std::vector<std::int32_t> PlainButtons(const kvhost::Description& description) {
  std::vector<std::int32_t> ids;
  for (const kvhost::DescParameter& p : description.parameters) {
    if (p.type == kvhost::ParamType::Button && p.id != ARROW_PRESET_LOAD && p.id != ARROW_PRESET_SAVE) {
      ids.push_back(p.id);
    }
  }
  return ids;
}

struct Document {
  std::vector<KvNode*> nodes;  // every object in the tree, depth first
  std::vector<KvNode*> arrows;
};

void Collect(KvNode* node, Document& d) {
  d.nodes.push_back(node);
  if (kvhost::ObjectType(node) == Okeelvane) d.arrows.push_back(node);
  for (KvNode* c : kvhost::Children(node)) Collect(c, d);
}

Document Contents(const KvDocument* doc) {
  Document d;
  for (KvNode* top : kvhost::TopObjects(doc)) Collect(top, d);
  return d;
}

// One random action of the user on doc; its text, or empty when it could not be done.
std::string RandomAction(kvtool::PluginSession& session, CheckContext& context,
                         const std::vector<std::int32_t>& buttons) {
  KvDocument* doc = session.Document();
  const Document d = Contents(doc);
  auto pick = [&](const std::vector<KvNode*>& from) {
    return from[static_cast<std::size_t>(context.Integer(0, static_cast<std::int64_t>(from.size()) - 1))];
  };
  const std::int64_t kind = d.arrows.empty() ? 0 : context.Integer(0, 9);
  if (kind <= 1) {
    session.NewArrow();
    return "create an arrow";
  }
  if (kind == 2) {
    KvNode* node = pick(d.nodes);
    KvNode* parent = context.Chance(0.3) ? nullptr : pick(d.nodes);
    if (parent != nullptr && kvhost::IsInside(parent, node)) return {};
    kvhost::MoveObject(doc, node, parent, context.Chance(0.5) ? kvhost::Position::First : kvhost::Position::Last);
    return "place #" + std::to_string(kvhost::ObjectSerial(node)) + " under " +
           (parent != nullptr ? "#" + std::to_string(kvhost::ObjectSerial(parent)) : "the top");
  }
  KvNode* arrow = pick(d.arrows);
  const std::string target = "#" + std::to_string(kvhost::ObjectSerial(arrow));
  if (kind <= 6) {
    const auto values = RandomArrowValues(session.ArrowDescription(), context, false);
    const ParameterEdit& e = values[static_cast<std::size_t>(context.Integer(0, static_cast<std::int64_t>(values.size()) - 1))];
    kvhost::SetParameter(doc, arrow, e.id, e.value);
    return "set " + target + " " + EditsText({e});
  }
  const std::int32_t button = buttons[static_cast<std::size_t>(context.Integer(0, static_cast<std::int64_t>(buttons.size()) - 1))];
  kvhost::PressButton(arrow, button);
  const kvhost::DescParameter* p = kvhost::FindParameter(session.ArrowDescription(), button);
  return "press " + target + " " + (p != nullptr ? p->symbol : std::to_string(button));
}

// Asks arrow, twice, whether each of its parameters is editable. Empty when both answers
// agree and the document is as before, else what went wrong.
std::string EnablingFault(kvtool::PluginSession& session, KvNode* arrow) {
  const std::string before = kvhost::DocumentText(session.Document());
  for (const kvhost::DescParameter& p : session.ArrowDescription().parameters) {
    const bool first = kvhost::IsEnabled(arrow, p.id);
    if (kvhost::IsEnabled(arrow, p.id) != first) return "two answers for " + p.symbol;
    const std::string after = kvhost::DocumentText(session.Document());
    if (after != before) return "a change of the document asking about " + p.symbol + " (" + FirstDifference(before, after) + ")";
  }
  return {};
}

// What differs between an arrow after its reset and a new arrow: the first value the new
// one holds that the reset one does not hold alike, or empty.
std::string ResetDifference(kvtool::PluginSession& session, KvNode* reset, KvNode* fresh) {
  const KvContainer* got = kvhost::Container(reset);
  const KvContainer* want = kvhost::Container(fresh);
  for (const std::int32_t id : kvhost::ParameterIds(want)) {
    const auto value = kvhost::GetParameter(got, id);
    const auto wanted = kvhost::GetParameter(want, id);
    // Each shown text gives back its value alone, so equal texts are equal values.
    if (!value || value->index() != wanted->index() || kvtool::ValueText(*value) != kvtool::ValueText(*wanted)) {
      const kvhost::DescParameter* p = kvhost::FindParameter(session.ArrowDescription(), id);
      return (p != nullptr ? p->symbol : std::to_string(id)) + " is " +
             (value ? kvtool::ValueText(*value) : std::string("not held")) + ", a new arrow's " +
             kvtool::ValueText(*wanted);
    }
  }
  return {};
}

}  // namespace

void RunUndo(CheckContext& context, CheckResult& result) {
  const std::int64_t sequences = context.Cases(5);
  constexpr int kActions = 20;
  for (std::int64_t s = 0; s < sequences && result.passed; ++s) {
    auto session = OpenSession(context);
    KvDocument* doc = session->Document();
    const std::vector<std::int32_t> buttons = PlainButtons(session->ArrowDescription());
    std::string history;
    for (int a = 0; a < kActions && result.passed; ++a) {
      const std::string before = kvhost::DocumentText(doc);
      const std::size_t steps = kvhost::UndoHistory(doc).size();
      std::string action;
      bool back = false;
      if (context.Chance(0.15) && kvhost::Undo(doc)) {
        action = "undo", back = true;
      } else if (context.Chance(0.1) && kvhost::Redo(doc)) {
        action = "redo", back = true;
      } else {
        action = RandomAction(*session, context, buttons);
      }
      if (action.empty()) continue;
      history += (history.empty() ? "" : "; ") + action;
      context.progress(s * kActions + a, sequences * kActions, history);
      ++result.cases;
      const std::string after = kvhost::DocumentText(doc);
      // Greying is a question: it answers the same twice and changes nothing. One arrow a
      // step keeps long runs quick.
      if (const auto arrows = Contents(doc).arrows; !arrows.empty()) {
        KvNode* asked = arrows[static_cast<std::size_t>(context.Integer(0, static_cast<std::int64_t>(arrows.size()) - 1))];
        if (const std::string fault = EnablingFault(*session, asked); !fault.empty()) {
          return result.Fail(fault + " after " + history, "the same answer twice and the document unchanged");
        }
      }
      if (!back && kvhost::UndoHistory(doc).size() == steps) {
        if (after != before) {
          return result.Fail("a change without an undo step after " + history + " (" + FirstDifference(before, after) + ")",
                             "every change of the document undoable");
        }
        continue;
      }
      // One step back and forth again gives exactly the document before and after.
      const bool undoFirst = action != "undo";
      if (!(undoFirst ? kvhost::Undo(doc) : kvhost::Redo(doc)) || kvhost::DocumentText(doc) != before) {
        return result.Fail("after " + history + ", one " + (undoFirst ? "undo" : "redo") + " gave " +
                               FirstDifference(before, kvhost::DocumentText(doc)),
                           "the document exactly as before the last action");
      }
      if (!(undoFirst ? kvhost::Redo(doc) : kvhost::Undo(doc)) || kvhost::DocumentText(doc) != after) {
        return result.Fail("after " + history + ", one " + (undoFirst ? "redo" : "undo") + " gave " +
                               FirstDifference(after, kvhost::DocumentText(doc)),
                           "the document exactly as after the last action");
      }
    }
  }
  // Reset gives what a new arrow holds, whatever the arrow held before.
  for (std::int64_t n = 0; n < context.Cases(5) && result.passed; ++n) {
    auto session = OpenSession(context);
    KvNode* arrow = session->NewArrow();
    const auto edits = RandomArrowValues(session->ArrowDescription(), context, true);
    const std::string values = EditsText(edits);
    context.progress(n, context.Cases(5), "ARROW_RESET after " + values);
    WriteValues(arrow, edits);
    kvhost::PressButton(arrow, ARROW_RESET);
    ++result.cases;
    if (const std::string difference = ResetDifference(*session, arrow, session->NewArrow()); !difference.empty()) {
      return result.Fail("after ARROW_RESET on " + values + ", " + difference, "every value a new arrow holds");
    }
  }
}

}  // namespace kvcheck
