// The print commands of scene scripts: readable text, or one JSON document a print.
#include <ostream>

#include "outline_formats.h"
#include "scene_script.h"
#include "tool_error.h"
#include "value_text.h"

namespace kvtool {
namespace {

std::string RecordName(std::int32_t type) {
  if (type == KV_UNDOTYPE_CHANGE) return "CHANGE";
  if (type == KV_UNDOTYPE_NEWOBJ) return "NEWOBJ";
  return std::to_string(type);
}

std::string MessageName(std::int32_t type) {
  switch (type) {
    case KV_MSG_UPDATE: return "update";
    case KV_MSG_CHANGE: return "change";
    case KV_MSG_DESCRIPTION_POSTSETPARAMETER: return "parameter set";
    case KV_MSG_DESCRIPTION_COMMAND: return "button";
    case KV_MSG_MENUPREPARE: return "menu prepare";
    default: return "message";
  }
}

std::string Indent(int depth) { return std::string(static_cast<std::size_t>(depth) * 2 + 2, ' '); }

}  // namespace

void SceneScript::Emit(const std::string& text, const Json& json) {
  if (json_) {
    out_ << JsonText(json) << "\n";
  } else {
    out_ << text;
  }
}

void SceneScript::Print(const Words& words) {
  const char* usage =
      "print tree | print OBJECT | print contour OBJECT | print undo | print messages OBJECT | "
      "print console";
  if (words.size() == 2 && words[1] == "tree") return PrintTree();
  if (words.size() == 2 && words[1] == "undo") return PrintUndo();
  if (words.size() == 2 && words[1] == "console") return PrintConsole();
  if (words.size() == 3 && words[1] == "contour") return PrintContour(words[2]);
  if (words.size() == 3 && words[1] == "messages") return PrintMessages(words[2]);
  if (words.size() == 2) return PrintObject(words[1]);
  Refuse(std::string("usage: ") + usage);
}

void SceneScript::PrintTree() {
  std::string text = "tree:\n";
  const std::function<Json(KvNode*, int)> visit = [&](KvNode* node, int depth) {
    const std::int32_t type = kvhost::ObjectType(node);
    text += Indent(depth) + NameOf(node) + " (" + KindOfType(type) + ")\n";
    Json children = Json::array();
    for (KvNode* child : kvhost::Children(node)) children.push_back(visit(child, depth + 1));
    return Json{{"name", NameOf(node)}, {"kind", KindOfType(type)}, {"type", type},
                {"children", std::move(children)}};
  };
  Json tree = Json::array();
  for (KvNode* top : kvhost::TopObjects(session_.Document())) tree.push_back(visit(top, 0));
  if (tree.empty()) text += "  (empty)\n";
  Emit(text, Json{{"print", "tree"}, {"tree", std::move(tree)}});
}

void SceneScript::PrintObject(std::string_view name) {
  const Found found = Lookup(name);
  if (found.node == nullptr) Refuse("no object named '" + std::string(name) + "'");
  KvNode* node = found.node;
  const std::int32_t type = kvhost::ObjectType(node);
  std::string text = std::string(name) + " (" + KindOfType(type) + ", type " +
                     std::to_string(type) + (found.inDocument ? "" : ", not in the document") +
                     "):\n";
  Json parameters = Json::object();
  const KvContainer* container = kvhost::Container(node);
  for (std::int32_t id : kvhost::ParameterIds(container)) {
    const kvhost::Value value = *kvhost::GetParameter(container, id);
    std::string key = std::to_string(id);
    std::string label = key;
    if (type == Okeelvane) {
      if (const auto p = session_.ArrowParameter(key)) {
        key = p->name;
        label = p->name + " (" + std::to_string(id) + ")";
      }
    }
    text += "  " + label + " = " + ValueText(value, LinkNames()) + "\n";
    parameters[key] = ValueJson(value, LinkNames());
  }
  Emit(text, Json{{"print", "object"},
                  {"name", std::string(name)},
                  {"kind", KindOfType(type)},
                  {"type", type},
                  {"in_document", found.inDocument},
                  {"parameters", std::move(parameters)}});
}

void SceneScript::PrintContour(std::string_view name) {
  KvNode* node = InDocument(name);
  if (kvhost::ObjectType(node) != Okeelvane) {
    Refuse("'" + std::string(name) + "' is a " + KindOfType(kvhost::ObjectType(node)) +
          ", not an arrow: it has no contour");
  }
  const Outline outline = session_.Contour(node);
  Json json{{"print", "contour"}, {"name", std::string(name)}};
  const Json fields = OutlineJsonValue(outline);
  for (const auto& [key, value] : fields.items()) json[key] = value;
  Emit("contour of " + std::string(name) + ":\n" + OutlineText(outline), json);
}

void SceneScript::PrintUndo() {
  const auto steps = [this](const std::vector<kvhost::UndoStepView>& views, const char* label,
                            std::string& text) {
    Json list = Json::array();
    int n = 0;
    for (const kvhost::UndoStepView& step : views) {
      Json records = Json::array();
      std::string line;
      for (const kvhost::UndoRecordView& r : step.records) {
        records.push_back({{"type", RecordName(r.type)}, {"object", NameOf(r.node)}});
        line += (line.empty() ? "" : ", ") + RecordName(r.type) + " " + NameOf(r.node);
      }
      if (line.empty()) line = "(no records)";
      if (step.open) line += " (open)";
      if (step.implicit) line += " (outside a group)";
      text += "  " + std::string(label) + " " + std::to_string(++n) + ": " + line + "\n";
      list.push_back({{"records", std::move(records)}, {"open", step.open},
                      {"implicit", step.implicit}});
    }
    return list;
  };
  const auto undo = kvhost::UndoHistory(session_.Document());
  const auto redo = kvhost::RedoHistory(session_.Document());
  std::string text = "undo: " + std::to_string(undo.size()) + " steps, " +
                     std::to_string(redo.size()) + " to redo\n";
  Json undoJson = steps(undo, "step", text);
  Json redoJson = steps(redo, "redo", text);
  Emit(text, Json{{"print", "undo"}, {"undo", std::move(undoJson)}, {"redo", std::move(redoJson)}});
}

void SceneScript::PrintMessages(std::string_view name) {
  const Found found = Lookup(name);
  if (found.node == nullptr) Refuse("no object named '" + std::string(name) + "'");
  std::string text = "messages of " + std::string(name) + ":\n";
  Json list = Json::array();
  for (const kvhost::MessageLogEntry& m : kvhost::MessageLog(found.node)) {
    const char* sender = m.sender == kvhost::MessageSender::Host ? "host" : "module";
    text += "  " + std::to_string(m.type) + " " + MessageName(m.type) + " from " + sender + "\n";
    list.push_back({{"type", m.type}, {"name", MessageName(m.type)}, {"sender", sender}});
  }
  Emit(text, Json{{"print", "messages"}, {"name", std::string(name)}, {"messages", std::move(list)}});
}

void SceneScript::PrintConsole() {
  std::string text = "console:\n";
  Json lines = Json::array();
  for (const kvhost::ConsoleLine& line : kvhost::ConsoleLines()) {
    text += "  " + line.text + "\n";
    lines.push_back({{"text", line.text}, {"file", line.file}, {"line", line.line},
                     {"level", line.level}});
  }
  Json json{{"print", "console"}, {"lines", std::move(lines)}};
  // Message boxes are the host's console for people; show them with it.
  Json dialogs = Json::array();
  for (const kvhost::DialogRecord& d : kvhost::MessageDialogs()) {
    std::string shown = d.text;
    for (std::size_t at = shown.find('\n'); at != std::string::npos; at = shown.find('\n', at + 5)) {
      shown.replace(at, 1, "\n    ");
    }
    text += "  [message box] " + shown + "\n";
    dialogs.push_back({{"text", d.text}, {"flags", d.flags}, {"answer", d.answer}});
  }
  json["message_boxes"] = std::move(dialogs);
  Emit(text, json);
}

}  // namespace kvtool
