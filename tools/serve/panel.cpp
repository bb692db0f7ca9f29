// The actions of the browser panel, each performed through the host as the user does it.
#include "panel.h"

#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

#include "description/okeelvane.h"
#include "panel_values.h"
#include "tool_error.h"

namespace kvtool {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void Refuse(const std::string& why) { throw ToolError(kStatusBadInput, why); }

KvNode* FindBelow(const std::vector<KvNode*>& nodes, std::uint64_t serial) {
  for (KvNode* node : nodes) {
    if (kvhost::ObjectSerial(node) == serial) return node;
    if (KvNode* found = FindBelow(kvhost::Children(node), serial)) return found;
  }
  return nullptr;
}

// The preset's name as a file name: letters, digits, '-' and '_' only.
std::string FileNameFor(const std::string& presetName) {
  std::string name;
  for (char c : presetName) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       (c >= '0' && c <= '9') || c == '-' || c == '_';
    name += plain ? c : '_';
  }
  return (name.empty() ? std::string("arrow") : name) + ".kvp";
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

}  // namespace

std::string TypeLabel(std::int32_t type) {
  switch (type) {
    case kArrowType: return "Arrow";
    case kvhost::kExtrudeType: return "Extrude";
    case kvhost::kClonerType: return "Cloner";
    case kvhost::kSplineWrapType: return "Spline Wrap";
    case kvhost::kSplineType: return "Spline";
    case kvhost::kNullType: return "Null";
    default: return "Object " + std::to_string(type);
  }
}

Panel::Panel(const fs::path& pluginFolder) : session_(pluginFolder) {
  std::error_code ec;
  scratch_ = fs::temp_directory_path(ec) / ("keelvane-serve-" + std::to_string(::getpid()) + "-" +
                                            std::to_string(reinterpret_cast<std::uintptr_t>(this)));
  fs::remove_all(scratch_, ec);
  if (!fs::create_directories(scratch_, ec)) {
    throw ToolError(kStatusFailed, "cannot make a temporary folder '" + scratch_.string() +
                                       "': " + ec.message());
  }
  session_.NewArrow();
}

Panel::~Panel() {
  std::error_code ec;
  fs::remove_all(scratch_, ec);
}

KvNode* Panel::Find(std::uint64_t serial) const {
  return FindBelow(kvhost::TopObjects(Document()), serial);
}

KvNode* Panel::InDocument(std::uint64_t serial) const {
  KvNode* node = Find(serial);
  if (node == nullptr) Refuse("there is no object #" + std::to_string(serial) + " in the document");
  return node;
}

KvNode* Panel::Arrow(std::uint64_t serial) const {
  KvNode* node = InDocument(serial);
  if (kvhost::ObjectType(node) != kArrowType) {
    Refuse("object #" + std::to_string(serial) + " is a " + TypeLabel(kvhost::ObjectType(node)) +
           ", not an arrow");
  }
  return node;
}

std::uint64_t Panel::Add(std::string_view kind) {
  KvNode* node = nullptr;
  if (kind == "arrow") {
    node = session_.NewArrow();
  } else if (kind == "spline" || kind == "null") {
    node = kvhost::CreateObjectFromMenu(Document(), kind == "spline" ? kvhost::kSplineType : kvhost::kNullType);
    if (node == nullptr) throw ToolError(kStatusFailed, "the host could not create the object");
  } else {
    Refuse("cannot add '" + std::string(kind) + "' (arrow, spline or null)");
  }
  return kvhost::ObjectSerial(node);
}

std::uint64_t Panel::Set(std::uint64_t object, std::int32_t id, const Json& value) {
  KvNode* node = InDocument(object);
  if (kvhost::ObjectType(node) != kArrowType) {
    Refuse("the parameters of a " + TypeLabel(kvhost::ObjectType(node)) +
           " are shown read-only here");
  }
  const kvhost::DescParameter* p = kvhost::FindParameter(session_.ArrowDescription(), id);
  if (p == nullptr) Refuse("the arrow has no parameter " + std::to_string(id));
  // The host's panel lets nobody edit a greyed field.
  if (!kvhost::IsEnabled(node, id)) Refuse(p->symbol + " is greyed out by the current settings");
  const kvhost::Value stored =
      StoredValue(*p, value, [this](std::uint64_t serial) { return Find(serial); });
  kvhost::SetParameter(Document(), node, id, stored);
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
  kvhost::PressButton(arrow, id);
  return object;
}

std::uint64_t Panel::Move(std::uint64_t object, std::optional<std::uint64_t> parent, bool last) {
  KvNode* node = InDocument(object);
  KvNode* target = parent ? InDocument(*parent) : nullptr;
  if (target != nullptr && kvhost::IsInside(target, node)) {
    Refuse("an object cannot go under itself or an object inside it");
  }
  kvhost::MoveObject(Document(), node, target,
                     last ? kvhost::Position::Last : kvhost::Position::First);
  return object;
}

void Panel::Undo() {
  if (!kvhost::Undo(Document())) Refuse("nothing to undo");
}

void Panel::Redo() {
  if (!kvhost::Redo(Document())) Refuse("nothing to redo");
}

std::uint64_t Panel::LoadPreset(std::uint64_t object, std::string_view bytes, std::string_view name) {
  KvNode* arrow = Arrow(object);
  const fs::path file = scratch_ / "upload.kvp";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw ToolError(kStatusFailed, "cannot write the upload to '" + file.string() + "'");
  }
  std::string failure;
  try {
    session_.LoadPreset(arrow, file.string());
  } catch (const ToolError& e) {
    // The message names the temporary file; the user knows the file by its own name.
    failure = ReplaceAll(e.what(), file.string(), name.empty() ? "upload" : std::string(name));
  }
  std::error_code ec;
  fs::remove(file, ec);
  if (!failure.empty()) Refuse(failure);
  return object;
}

SavedPreset Panel::SavePreset(std::uint64_t object) {
  KvNode* arrow = Arrow(object);
  std::string presetName;
  if (const auto v = kvhost::GetParameter(kvhost::Container(arrow), ARROW_PRESET_NAME)) {
    if (const auto* s = std::get_if<std::string>(&*v)) presetName = *s;
  }
  const fs::path folder = scratch_ / "save";
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  const std::string written = session_.SavePreset(arrow, (folder / FileNameFor(presetName)).string());
  SavedPreset saved;
  saved.fileName = fs::path(written).filename().string();
  std::ifstream in(written, std::ios::binary);
  saved.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  const bool read = !in.bad();
  fs::remove_all(folder, ec);
  if (!read) throw ToolError(kStatusFailed, "cannot read the saved preset '" + written + "'");
  return saved;
}

}  // namespace kvtool
