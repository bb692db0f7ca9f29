// The scene commands that change the document, each as the user does it in the host.
#include <chrono>
#include <filesystem>
#include <iostream>

#include "file_paths.h"

#include "scene_script.h"
#include "tool_error.h"

namespace kvtool {
namespace {

void Expect(bool ok, const char* usage) {
  if (!ok) Refuse(std::string("usage: ") + usage);
}

std::int32_t TypeNamed(const std::string& word) {
  if (word == "extrude") return KV_TYPE_EXTRUDE;
  if (word == "cloner") return KV_TYPE_CLONER;
  if (word == "splinewrap") return KV_TYPE_SPLINE_WRAP;
  if (word == "spline") return KV_TYPE_SPLINE;
  if (word == "null") return KV_TYPE_NULL;
  if (word == "arrow") return Okeelvane;
  if (const auto number = ParseInt32(word)) return *number;
  Refuse("unknown object type '" + word + "' (extrude, cloner, splinewrap, spline, null, or a number)");
}

}  // namespace

void SceneScript::Arrow(const Words& words) {
  Expect(words.size() >= 2, "arrow NAME [NAME=VALUE...]");
  CheckNewName(words[1]);
  std::vector<Edit> edits;
  const ParameterLookup lookup = [this](std::string_view n) { return session_.ArrowParameter(n); };
  for (std::size_t i = 2; i < words.size(); ++i) {
    edits.push_back(ParseEdit(words[i], lookup, Links(), session_.ArrowNames()));
  }
  KvNode* arrow = session_.NewArrow();
  Name(arrow, words[1]);
  for (const Edit& edit : edits) ApplyEdit(arrow, edit);
}

void SceneScript::Object(const Words& words) {
  Expect(words.size() == 3, "object NAME TYPE");
  CheckNewName(words[1]);
  const std::int32_t type = TypeNamed(words[2]);
  KvNode* node = kvhost::CreateObjectFromMenu(session_.Document(), type);
  if (node == nullptr) {
    Refuse("the host cannot create an object of type " + std::to_string(type) +
          " (neither a host type nor a registered plug-in)");
  }
  Name(node, words[1]);
}

void SceneScript::Place(const Words& words) {
  const char* usage = "place NAME under PARENT [first|last] | place NAME top [first|last]";
  Expect(words.size() >= 3, usage);
  KvNode* node = InDocument(words[1]);
  KvNode* parent = nullptr;
  std::size_t next = 3;
  if (words[2] == "under") {
    Expect(words.size() >= 4, usage);
    parent = InDocument(words[3]);
    next = 4;
    if (kvhost::IsInside(parent, node)) {
      Refuse("'" + words[1] + "' cannot go under itself or an object inside it");
    }
  } else if (words[2] != "top") {
    Refuse(std::string("usage: ") + usage);
  }
  kvhost::Position where = kvhost::Position::First;
  if (words.size() > next) {
    Expect(words.size() == next + 1 && (words[next] == "first" || words[next] == "last"), usage);
    if (words[next] == "last") where = kvhost::Position::Last;
  }
  kvhost::MoveObject(session_.Document(), node, parent, where);
}

void SceneScript::Set(const Words& words) {
  Expect(words.size() >= 3, "set OBJECT NAME=VALUE...");
  KvNode* node = InDocument(words[1]);
  const ParameterLookup lookup = session_.LookupFor(node);
  const NameList names = kvhost::ObjectType(node) == Okeelvane ? session_.ArrowNames() : NameList{};
  std::vector<Edit> edits;
  for (std::size_t i = 2; i < words.size(); ++i) {
    edits.push_back(ParseEdit(words[i], lookup, Links(), names));
  }
  for (const Edit& edit : edits) ApplyEdit(node, edit);
}

void SceneScript::Press(const Words& words) {
  Expect(words.size() == 3, "press OBJECT BUTTON");
  KvNode* node = InDocument(words[1]);
  if (kvhost::ObjectType(node) != Okeelvane) {
    Refuse("'" + words[1] + "' is a " + KindOfType(kvhost::ObjectType(node)) +
          " and has no buttons of the arrow");
  }
  const auto button = session_.ArrowParameter(words[2]);
  if (!button) Refuse("unknown button '" + words[2] + "'");
  if (button->kind != ValueKind::Button) Refuse(button->name + " is not a button");
  const std::size_t pending = kvhost::PendingDialogAnswers();
  const std::size_t updates = PluginSession::UpdatesFromModule(node);
  const auto before = std::chrono::file_clock::now();
  kvhost::PressButton(node, button->id);
  const std::size_t taken = pending - kvhost::PendingDialogAnswers();
  std::optional<std::string> answer;
  for (std::size_t i = 0; i < taken && !answers_.empty(); ++i) {
    answer = answers_.front();
    answers_.pop_front();
  }
  // The module opens preset files without the host's error dialog, so a failed save or
  // load would pass unseen: say what the file system tells, as the panel does.
  if (taken == 0 || !answer) return;
  std::string failure;
  if (button->id == ARROW_PRESET_LOAD && PluginSession::UpdatesFromModule(node) == updates) {
    failure = "preset load of '" + *answer + "' failed: " + PluginSession::LoadFailure(*answer);
  } else if (button->id == ARROW_PRESET_SAVE) {
    // The module's suffix rule: "a" is saved as "a.kvp".
    const std::string file = kvhost::HasSuffix(*answer, "kvp") ? *answer : kvhost::WithSuffix(*answer, "kvp");
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::path(file).parent_path().empty() ? fs::path(".") : fs::path(file).parent_path();
    std::string why;
    if (!fs::is_directory(folder, ec)) {
      why = "no folder '" + folder.string() + "'";
    } else if (fs::is_directory(file, ec)) {
      why = "it is a folder";
    } else if (!fs::exists(file, ec) || fs::last_write_time(file, ec) < before - std::chrono::seconds(1)) {
      why = "the module wrote no file";
    }
    if (!why.empty()) failure = "preset save to '" + file + "' failed: " + why;
  }
  if (failure.empty()) return;
  std::cerr << where_ << failure << "\n";
  ++failures_;
}

void SceneScript::ApplyEdit(KvNode* node, const Edit& edit) {
  session_.ApplyChecked(node, edit, strict_, where_);
}

void SceneScript::Dialog(const Words& words) {
  Expect(words.size() == 2, "dialog PATH | dialog cancel");
  if (words[1] == "cancel") {
    kvhost::QueueDialogCancel();
    answers_.emplace_back(std::nullopt);
  } else {
    kvhost::QueueDialogAnswer(words[1]);
    answers_.emplace_back(words[1]);
  }
}

void SceneScript::Plane(const Words& words) {
  Expect(words.size() == 2, "plane XY|ZY|XZ");
  const std::string& p = words[1];
  std::int32_t plane = -1;
  if (p == "XY" || p == "0") plane = 0;
  if (p == "ZY" || p == "1") plane = 1;
  if (p == "XZ" || p == "2") plane = 2;
  if (plane < 0) Refuse("unknown plane '" + p + "' (XY, ZY or XZ)");
  kvhost::SetSplinePlane(session_.Document(), plane);
}

void SceneScript::UndoRedo(const Words& words, bool undo) {
  Expect(words.size() <= 2, undo ? "undo [N]" : "redo [N]");
  int count = 1;
  if (words.size() == 2) {
    const auto n = ParseInt32(words[1]);
    if (!n || *n < 1) Refuse("'" + words[1] + "' is not a count (1 or more)");
    count = *n;
  }
  for (int i = 0; i < count; ++i) {
    const bool done = undo ? kvhost::Undo(session_.Document()) : kvhost::Redo(session_.Document());
    if (!done) {
      Refuse(std::string("nothing to ") + (undo ? "undo" : "redo") + " after " + std::to_string(i) +
            " of " + std::to_string(count) + " steps");
    }
  }
}

}  // namespace kvtool
