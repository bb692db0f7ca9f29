#include "scene_script.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>

#include "commands.h"
#include "tool_error.h"

namespace kvtool {
namespace {

// Pre-order walk of the document tree.
void Walk(KvNode* node, const std::function<void(KvNode*)>& visit) {
  visit(node);
  for (KvNode* child : kvhost::Children(node)) Walk(child, visit);
}

void WalkDocument(const KvDocument* doc, const std::function<void(KvNode*)>& visit) {
  for (KvNode* top : kvhost::TopObjects(doc)) Walk(top, visit);
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
}

}  // namespace

std::vector<std::string> SplitSceneLine(std::string_view line) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
        word += line[++i];
      } else if (c == '"') {
        quoted = false;
      } else {
        word += c;
      }
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == '#') {
      break;
    } else if (std::isspace(static_cast<unsigned char>(c)) != 0) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) Refuse("a quote is not closed");
  if (inWord) words.push_back(word);
  return words;
}

std::string KindOfType(std::int32_t type) {
  switch (type) {
    case KV_TYPE_EXTRUDE: return "extrude";
    case KV_TYPE_CLONER: return "cloner";
    case KV_TYPE_SPLINE_WRAP: return "splinewrap";
    case KV_TYPE_SPLINE: return "spline";
    case KV_TYPE_NULL: return "null";
    case Okeelvane: return "arrow";
    default: return "object";
  }
}

SceneScript::SceneScript(PluginSession& session, bool json, std::ostream& out, bool strict)
    : session_(session), json_(json), out_(out), strict_(strict) {}

int SceneScript::Run(std::istream& in, const std::string& input) {
  std::string line;
  int lineNumber = 0, commands = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    // A byte order mark, as some editors write at the start of a UTF-8 file.
    if (lineNumber == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    where_ = input + ":" + std::to_string(lineNumber) + ": ";
    try {
      const Words words = SplitSceneLine(line);
      if (words.empty()) continue;
      ++commands;
      RunCommand(words);
      NameNewObjects();
    } catch (const ToolError& e) {
      const int ran = commands - 1;
      throw ToolError(e.status, input + ":" + std::to_string(lineNumber) + ": " + e.what() +
                                    "\nscene: stopped at line " + std::to_string(lineNumber) +
                                    " after " + std::to_string(ran) +
                                    (ran == 1 ? " command" : " commands"));
    }
    for (const std::string& e : session_.TakeHostErrors()) {
      std::cerr << input << ":" << lineNumber << ": host: " << e << "\n";
    }
  }
  if (const std::size_t unused = kvhost::PendingDialogAnswers(); unused > 0) {
    std::cerr << input << ": " << unused << " dialog answer(s) were not taken by any dialog\n";
  }
  return commands;
}

void SceneScript::RunCommand(const Words& words) {
  const std::string& verb = words[0];
  if (verb == "arrow") return Arrow(words);
  if (verb == "object") return Object(words);
  if (verb == "place") return Place(words);
  if (verb == "set") return Set(words);
  if (verb == "press") return Press(words);
  if (verb == "dialog") return Dialog(words);
  if (verb == "plane") return Plane(words);
  if (verb == "undo") return UndoRedo(words, true);
  if (verb == "redo") return UndoRedo(words, false);
  if (verb == "print") return Print(words);
  Refuse("unknown command '" + verb +
        "' (arrow, object, place, set, press, dialog, plane, undo, redo, print)");
}

void SceneScript::NameNewObjects() {
  WalkDocument(session_.Document(), [this](KvNode* node) {
    if (names_.count(kvhost::ObjectSerial(node)) > 0) return;
    const std::string kind = KindOfType(kvhost::ObjectType(node));
    std::string name;
    do {
      name = kind + std::to_string(++counters_[kind]);
    } while (serials_.count(name) > 0);
    Name(node, name);
  });
}

void SceneScript::CheckNewName(const std::string& name) const {
  static const char* const reserved[] = {"none", "top", "tree", "contour", "undo",
                                         "messages", "console", "cancel"};
  bool valid = !name.empty() && std::isalpha(static_cast<unsigned char>(name[0])) != 0;
  for (char c : name) valid = valid && IsNameChar(c);
  if (!valid) Refuse("'" + name + "' is not a name (a letter, then letters, digits, _ - .)");
  for (const char* word : reserved) {
    if (name == word) Refuse("'" + name + "' is a word of the script and cannot name an object");
  }
  if (serials_.count(name) > 0) Refuse("the name '" + name + "' is taken already");
}

void SceneScript::Name(KvNode* node, const std::string& name) {
  serials_[name] = kvhost::ObjectSerial(node);
  names_[kvhost::ObjectSerial(node)] = name;
}

std::string SceneScript::NameOf(const KvNode* node) const {
  if (node == nullptr) return "none";
  const auto it = names_.find(kvhost::ObjectSerial(node));
  if (it != names_.end()) return it->second;
  return KindOfType(kvhost::ObjectType(node)) + "#" + std::to_string(kvhost::ObjectSerial(node));
}

// Objects are found by serial in the document, else among the objects the undo and redo
// histories keep alive (undone new objects): a name never leads to a freed object.
SceneScript::Found SceneScript::Lookup(std::string_view name) const {
  const auto it = serials_.find(name);
  if (it == serials_.end()) return {};
  const std::uint64_t serial = it->second;
  Found found;
  WalkDocument(session_.Document(), [&](KvNode* node) {
    if (kvhost::ObjectSerial(node) == serial) found = {node, true};
  });
  if (found.node != nullptr) return found;
  for (const auto& steps : {kvhost::UndoHistory(session_.Document()),
                            kvhost::RedoHistory(session_.Document())}) {
    for (const kvhost::UndoStepView& step : steps) {
      for (const kvhost::UndoRecordView& record : step.records) {
        if (kvhost::ObjectSerial(record.node) == serial) return {record.node, false};
      }
    }
  }
  return {};
}

KvNode* SceneScript::InDocument(std::string_view name) const {
  const Found found = Lookup(name);
  if (found.node == nullptr) {
    if (serials_.find(name) != serials_.end()) Refuse("object '" + std::string(name) + "' is gone");
    Refuse("no object named '" + std::string(name) + "'");
  }
  if (!found.inDocument) {
    Refuse("object '" + std::string(name) + "' is not in the document (undone)");
  }
  return found.node;
}

LinkResolver SceneScript::Links() const {
  return [this](std::string_view name, bool* known) -> KvNode* {
    const Found found = Lookup(name);
    *known = found.node != nullptr;
    return found.node;
  };
}

LinkName SceneScript::LinkNames() const {
  return [this](const KvNode* node) { return NameOf(node); };
}

namespace {

struct SceneOptions {
  std::string script = "-";
  bool json = false;
  bool strict = false;
};

int RunSceneCommand(const ToolOptions& tool, const SceneOptions& o) {
  std::ifstream file;
  std::istream* in = &std::cin;
  std::string input = "<stdin>";
  if (o.script != "-") {
    std::error_code ec;
    if (!std::filesystem::exists(o.script, ec)) {
      throw ToolError(kStatusBadInput, "cannot read script '" + o.script + "': no such file");
    }
    if (std::filesystem::is_directory(o.script, ec)) {
      throw ToolError(kStatusBadInput, "cannot read script '" + o.script + "': it names a folder");
    }
    file.open(o.script);
    if (!file) {
      throw ToolError(kStatusBadInput, "cannot read script '" + o.script + "': " + std::strerror(errno));
    }
    in = &file;
    input = o.script;
  }
  PluginSession session(ChoosePluginFolder(tool.plugin));
  SceneScript scene(session, o.json, std::cout, o.strict);
  const int commands = scene.Run(*in, input);
  const int failed = scene.Failures();
  const std::string status = failed == 0 ? "ok" : std::to_string(failed) + " failed";
  const std::string summary = "scene: " + std::to_string(commands) + " commands, " + status;
  if (o.json) {
    std::cout << JsonText(Json{{"print", "summary"}, {"commands", commands},
                               {"status", failed == 0 ? "ok" : "failed"}, {"failed", failed},
                               {"text", summary}})
              << "\n";
  } else {
    std::cout << summary << "\n";
  }
  return failed == 0 ? kStatusOk : kStatusFailed;
}

}  // namespace

void AddSceneCommand(CLI::App& app, std::vector<Command>& commands) {
  auto o = std::make_shared<SceneOptions>();
  CLI::App* sub = app.add_subcommand(
      "scene", "Run a scene script (a file, or - for stdin) against a new document.");
  sub->add_option("SCRIPT", o->script, "script file, or - (default) for stdin");
  sub->add_flag("--json", o->json, "each print as one JSON document on its own line");
  sub->add_flag("--strict", o->strict,
                "stop (status 2) at an edit outside the description's range or of a greyed "
                "parameter, which otherwise warns");
  sub->footer(
      "Commands, one a line (# starts a comment; \"quotes\" keep blanks):\n"
      "  arrow NAME [NAME=VALUE...]        create an arrow from the menu, then the edits\n"
      "  object NAME TYPE                  create a host object at the top: extrude, cloner,\n"
      "                                    splinewrap, spline, null, or a type number\n"
      "  place NAME under PARENT [first|last]   drag NAME under PARENT (default first)\n"
      "  place NAME top [first|last]       drag NAME to the top level\n"
      "  set OBJECT NAME=VALUE...          the user's edits; host objects take numeric ids;\n"
      "                                    a link names an object, or none\n"
      "  press OBJECT BUTTON               press a button (code name or id)\n"
      "  dialog PATH | dialog cancel       the answer of the next file dialog\n"
      "  plane XY|ZY|XZ                    the document's spline plane\n"
      "  undo [N], redo [N]\n"
      "  print tree | print OBJECT | print contour OBJECT | print undo\n"
      "  print messages OBJECT | print console\n"
      "Objects the module makes are named by kind and number in order of appearance:\n"
      "extrude1, cloner1, splinewrap1, ... (the first Extrude is extrude1, and so on).\n"
      "Example:\n"
      "  arrow a ARROW_EXTRUDE_CAPS=on\n"
      "  press a ARROW_MAKE_EXTRUDE\n"
      "  print tree                        # extrude1 holds a\n"
      "A wrong line stops the script with status 2 and names the line.");
  commands.push_back({"scene", sub, [o](const ToolOptions& tool) { return RunSceneCommand(tool, *o); }});
}

}  // namespace kvtool
