// The actions of the browser panel, each performed through the host as the user does it.
#include "panel.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "description/okeelvane.h"
#include "input_text.h"
#include "panel_values.h"
#include "tool_error.h"

namespace kvtool {
namespace fs = std::filesystem;

namespace {

// Levels from node's level to the deepest level below it: 1 for an object without children.
std::size_t LevelsOf(const KvDocument* doc, const KvNode* node) {
  std::size_t top = 0, deepest = 0;
  bool below = false;
  ForEachObject(doc, [&](KvNode* n, std::size_t depth) {
    if (below && depth <= top) return false;
    if (n == node) {
      below = true;
      top = deepest = depth;
    }
    if (below) deepest = std::max(deepest, depth);
    return true;
  });
  return deepest - top + 1;
}

// The level an object at node's place has: 1 at the top.
std::size_t LevelOf(const KvDocument* doc, const KvNode* node) {
  std::size_t level = 0;
  ForEachObject(doc, [&](KvNode* n, std::size_t depth) {
    if (n == node) level = depth + 1;
    return n != node;
  });
  return level;
}

// The UTF-8 character at the start of text: its code point and its length in bytes;
// length 0 when the bytes there are no well-formed character (overlong, surrogate, cut).
std::pair<char32_t, std::size_t> Utf8Char(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  const std::size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
  if (length == 0 || length > text.size()) return {0, 0};
  char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {0, 0};
    cp = (cp << 6) | (byte(i) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {0, 0};
  return {cp, length};
}

// The preset's name as a file name of at most 100 bytes before ".kvp": ASCII letters,
// digits, '-' and '_', and characters beyond ASCII other than controls, blanks and
// direction marks; everything else becomes '_'.
std::string FileNameFor(std::string_view presetName) {
  constexpr std::size_t kNameBytes = 100;
  std::string name;
  while (!presetName.empty()) {
    const auto [cp, length] = Utf8Char(presetName);
    const bool plain = (cp >= 'a' && cp <= 'z') || (cp >= 'A' && cp <= 'Z') || (cp >= '0' && cp <= '9') ||
                       cp == '-' || cp == '_';
    const bool letter = cp > 0xA0 && !(cp >= 0x2000 && cp <= 0x206F) && cp != 0xFEFF && cp < 0xFFF0;
    name += (length > 0 && (plain || letter)) ? presetName.substr(0, length) : std::string_view("_");
    presetName.remove_prefix(std::max<std::size_t>(length, 1));
  }
  name = std::string(Utf8Prefix(name, kNameBytes));
  return (name.empty() ? std::string("arrow") : name) + ".kvp";
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

const char* const kWrapNotPlaced = "No Spline Wrap was placed: ";

std::size_t CountOfType(const KvDocument* doc, std::int32_t type) {
  std::size_t count = 0;
  ForEachObject(doc, [&](KvNode* node, std::size_t) {
    count += kvhost::ObjectType(node) == type ? 1 : 0;
    return true;
  });
  return count;
}

// The label the arrow's description gives parameter id, its symbol where it gives none.
std::string LabelOf(const kvhost::Description& description, std::int32_t id) {
  const kvhost::DescParameter* p = kvhost::FindParameter(description, id);
  if (p == nullptr) return std::to_string(id);
  return p->label.empty() ? p->symbol : p->label;
}

template <typename T>
T ParameterOr(KvNode* node, std::int32_t id, T otherwise) {
  if (const auto v = kvhost::GetParameter(kvhost::Container(node), id)) {
    if (const auto* t = std::get_if<T>(&*v)) return *t;
  }
  return otherwise;
}

}  // namespace

// The scratch folder is 0700 under a name nobody can guess: uploads in it are for this
// user alone.
Panel::Panel(const fs::path& pluginFolder) : session_(pluginFolder), scratch_("serve") {
  session_.NewArrow();
  // The document as it starts is what undo goes back to, not a step to undo.
  kvhost::ClearHistory(Document());
  kvhost::SetUndoLimits(Document(), kPanelUndoLimits);
}

Panel::~Panel() = default;

void Panel::RemoveScratch() const { scratch_.Remove(); }

std::string Panel::Private(std::string text) const {
  return ReplaceAll(std::move(text), scratch_.Path().string(), "(temporary folder)");
}

KvNode* Panel::Find(std::uint64_t serial) const {
  KvNode* found = nullptr;
  ForEachObject(Document(), [&](KvNode* node, std::size_t) {
    if (kvhost::ObjectSerial(node) == serial) found = node;
    return found == nullptr;
  });
  return found;
}

KvNode* Panel::InDocument(std::uint64_t serial) const {
  KvNode* node = Find(serial);
  if (node == nullptr) Refuse("there is no object #" + std::to_string(serial) + " in the document");
  return node;
}

KvNode* Panel::Arrow(std::uint64_t serial) const {
  KvNode* node = InDocument(serial);
  if (kvhost::ObjectType(node) != Okeelvane) {
    Refuse("object #" + std::to_string(serial) + " is a " + kvhost::ObjectTypeName(kvhost::ObjectType(node)) +
           ", not an arrow");
  }
  return node;
}

std::uint64_t Panel::Add(std::string_view kind) {
  KvNode* node = nullptr;
  if (kind == "arrow") {
    node = session_.NewArrow();
  } else if (kind == "spline" || kind == "null") {
    node = kvhost::CreateObjectFromMenu(Document(), kind == "spline" ? KV_TYPE_SPLINE : KV_TYPE_NULL);
    if (node == nullptr) throw ToolError(kStatusFailed, "the host could not create the object");
  } else {
    Refuse("cannot add " + QuotedInput(kind) + " (arrow, spline or null)");
  }
  NameNewObjects();
  ++version_;
  return kvhost::ObjectSerial(node);
}

std::uint64_t Panel::Set(std::uint64_t object, std::int32_t id, const Json& value) {
  KvNode* node = InDocument(object);
  if (kvhost::ObjectType(node) != Okeelvane) {
    Refuse("the parameters of a " + kvhost::ObjectTypeName(kvhost::ObjectType(node)) +
           " are shown read-only here");
  }
  const kvhost::DescParameter* p = kvhost::FindParameter(session_.ArrowDescription(), id);
  if (p == nullptr) Refuse("the arrow has no parameter " + std::to_string(id));
  const std::string label = p->label.empty() ? p->symbol : p->label;
  // The host's panel lets nobody edit a greyed field.
  if (!kvhost::IsEnabled(node, id)) throw FieldRefusal(id, label + " is greyed out by the current settings");
  kvhost::Value stored;
  try {
    stored = StoredValue(*p, value, [this](std::uint64_t serial) { return Find(serial); });
  } catch (const ToolError& e) {
    throw FieldRefusal(id, e.what());
  }
  kvhost::SetParameter(Document(), node, id, stored);
  NameNewObjects();
  ++version_;
  return object;
}

std::uint64_t Panel::Press(std::uint64_t object, std::int32_t id) {
  KvNode* arrow = Arrow(object);
  const kvhost::DescParameter* p = kvhost::FindParameter(session_.ArrowDescription(), id);
  if (p == nullptr || p->type != kvhost::ParamType::Button) {
    Refuse("the arrow has no button " + std::to_string(id));
  }
  if (id == ARROW_PRESET_LOAD || id == ARROW_PRESET_SAVE) {
    Refuse(p->symbol + " needs a file: use the page's Load or Save preset action");
  }
  const std::size_t wraps = CountOfType(Document(), KV_TYPE_SPLINE_WRAP);
  // Why no deformer will be placed depends on the arrow's place before the press.
  const std::string why = id == ARROW_MAKE_WRAP ? WrapNotPlaced(arrow) : "";
  const std::int32_t interpolation = ParameterOr<std::int32_t>(arrow, KV_SPLINEOBJECT_INTERPOLATION, -1);
  kvhost::PressButton(arrow, id);
  if (id == ARROW_MAKE_WRAP && CountOfType(Document(), KV_TYPE_SPLINE_WRAP) == wraps) {
    std::string notice = kWrapNotPlaced + why;
    if (ParameterOr<std::int32_t>(arrow, KV_SPLINEOBJECT_INTERPOLATION, -1) != interpolation) {
      notice += ". The arrow's interpolation was switched to " +
                LabelOf(session_.ArrowDescription(), ARROW_WRAP_NATURAL_INTERPOLATION) +
                " all the same; Undo takes that back";
    }
    notices_.push_back(notice);
  }
  // Named now, so that an object undone before the page saw it still takes its number.
  NameNewObjects();
  ++version_;
  return object;
}

std::string Panel::WrapNotPlaced(KvNode* arrow) const {
  const kvhost::Description& description = session_.ArrowDescription();
  const auto label = [&](std::int32_t id) { return LabelOf(description, id); };
  if (ParameterOr<KvNode*>(arrow, ARROW_WRAP_SPLINE, nullptr) == nullptr) {
    return "no path spline is linked; choose one in " + label(ARROW_WRAP_SPLINE);
  }
  // The deformer the arrow already has: a child, then the siblings nearest first.
  const auto wrap = [](const KvNode* n) { return kvhost::ObjectType(n) == KV_TYPE_SPLINE_WRAP; };
  const std::vector<KvNode*> children = kvhost::Children(arrow);
  KvNode* parent = kvhost::Parent(arrow);
  const std::vector<KvNode*> siblings = parent != nullptr ? kvhost::Children(parent) : kvhost::TopObjects(Document());
  if (std::any_of(children.begin(), children.end(), wrap) ||
      std::any_of(siblings.begin(), siblings.end(), wrap)) {
    return "the arrow has one already";
  }
  const bool addExtrude = ParameterOr<bool>(arrow, ARROW_WRAP_ADD_EXTRUDE, false);
  if (!addExtrude && parent != nullptr && kvhost::ObjectType(parent) != KV_TYPE_EXTRUDE) {
    return "the arrow's parent is a " + kvhost::ObjectTypeName(kvhost::ObjectType(parent)) + "; switch on " +
           label(ARROW_WRAP_ADD_EXTRUDE);
  }
  return "the host could not make the objects it needs";
}

void Panel::NameNewObjects() {
  std::vector<KvNode*> unnamed;
  ForEachObject(Document(), [&](KvNode* node, std::size_t) {
    if (names_.count(kvhost::ObjectSerial(node)) == 0) unnamed.push_back(node);
    return true;
  });
  // Serials grow as objects are made.
  std::sort(unnamed.begin(), unnamed.end(),
            [](const KvNode* a, const KvNode* b) { return kvhost::ObjectSerial(a) < kvhost::ObjectSerial(b); });
  for (const KvNode* node : unnamed) {
    const std::int32_t type = kvhost::ObjectType(node);
    names_[kvhost::ObjectSerial(node)] = kvhost::ObjectTypeName(type) + " " + std::to_string(++counters_[type]);
  }
}

std::string Panel::NameOf(const KvNode* node) {
  const auto it = names_.find(kvhost::ObjectSerial(node));
  if (it != names_.end()) return it->second;
  NameNewObjects();
  return names_[kvhost::ObjectSerial(node)];
}

std::uint64_t Panel::Move(std::uint64_t object, std::optional<std::uint64_t> parent, bool last) {
  KvNode* node = InDocument(object);
  KvNode* target = parent ? InDocument(*parent) : nullptr;
  if (target != nullptr && kvhost::IsInside(target, node)) {
    Refuse("an object cannot go under itself or an object inside it");
  }
  const std::size_t levels = (target != nullptr ? LevelOf(Document(), target) : 0) + LevelsOf(Document(), node);
  if (levels > kMaxNesting) {
    Refuse("the move would nest objects " + std::to_string(levels) + " levels deep; the panel allows at most " +
           std::to_string(kMaxNesting));
  }
  kvhost::MoveObject(Document(), node, target,
                     last ? kvhost::Position::Last : kvhost::Position::First);
  ++version_;
  return object;
}

void Panel::Undo() {
  if (!kvhost::Undo(Document())) Refuse("nothing to undo");
  ++version_;
}

void Panel::Redo() {
  if (!kvhost::Redo(Document())) Refuse("nothing to redo");
  ++version_;
}

std::uint64_t Panel::LoadPreset(std::uint64_t object, std::string_view bytes, std::string_view name) {
  KvNode* arrow = Arrow(object);
  const fs::path file = scratch_ / "upload.kvp";
  if (!kvhost::WriteWholeFile(file, bytes)) {
    throw ToolError(kStatusFailed, "cannot keep the upload: the temporary folder is not writable");
  }
  std::string failure;
  try {
    session_.LoadPreset(arrow, file.string());
  } catch (const ToolError& e) {
    // The message names the temporary file; the user knows the file by its own name.
    failure = Private(ReplaceAll(e.what(), file.string(), name.empty() ? "upload" : std::string(Utf8Prefix(name, 100))));
  }
  std::error_code ec;
  fs::remove(file, ec);
  if (!failure.empty()) Refuse(failure);
  ++version_;
  return object;
}

SavedPreset Panel::SavePreset(std::uint64_t object) {
  KvNode* arrow = Arrow(object);
  std::string presetName;
  if (const auto v = kvhost::GetParameter(kvhost::Container(arrow), ARROW_PRESET_NAME)) {
    if (const auto* s = std::get_if<std::string>(&*v)) presetName = *s;
  }
  const fs::path folder = scratch_ / "save";
  const std::string fileName = FileNameFor(presetName);
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  std::string written;
  try {
    written = session_.SavePreset(arrow, (folder / fileName).string());
  } catch (const ToolError& e) {
    fs::remove_all(folder, ec);
    // The user knows the file by its name; where it was written stays on the server.
    throw ToolError(e.status, Private(ReplaceAll(e.what(), (folder / fileName).string(), fileName)));
  }
  SavedPreset saved;
  saved.fileName = fs::path(written).filename().string();
  std::optional<std::string> bytes = kvhost::ReadWholeFile(written);
  fs::remove_all(folder, ec);
  if (!bytes) throw ToolError(kStatusFailed, "cannot read the saved preset '" + saved.fileName + "' back");
  saved.bytes = std::move(*bytes);
  return saved;
}

}  // namespace kvtool
