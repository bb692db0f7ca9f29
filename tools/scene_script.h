// Scene scripts: one command a line, run against one document of a plug-in session the
// way a user works in the host (menu, drags, edits, buttons, file dialogs, undo), with
// print commands that show what the document and the host hold.
//
// Every object has a name: the one the script gave it (arrow, object), or, for objects
// the module made, its kind and a number in order of appearance (extrude1, cloner1,
// splinewrap1, ...), given as soon as the command that made it has run.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json_text.h"
#include "plugin_session.h"
#include "value_text.h"

namespace kvtool {

class SceneScript {
 public:
  // strict: an edit the arrow would take with a warning (see PluginSession::EditWarnings)
  // stops the script instead.
  SceneScript(PluginSession& session, bool json, std::ostream& out, bool strict = false);

  // Runs every line of in; input names the script in messages. Returns the number of
  // commands run. A wrong line throws a ToolError (status 2) naming the line and what is
  // wrong; a failed host operation one with status 1.
  int Run(std::istream& in, const std::string& input);
  // Button presses whose operation failed (a preset not saved or not loaded); each is
  // reported on stderr with its line, and the script goes on.
  int Failures() const { return failures_; }

 private:
  using Words = std::vector<std::string>;
  struct Found {
    KvNode* node = nullptr;
    bool inDocument = false;
  };

  void RunCommand(const Words& words);
  void NameNewObjects();

  // Names (scene_script.cpp).
  void CheckNewName(const std::string& name) const;
  void Name(KvNode* node, const std::string& name);
  std::string NameOf(const KvNode* node) const;
  Found Lookup(std::string_view name) const;   // node null when the name means nothing live
  KvNode* InDocument(std::string_view name) const;  // throws unless in the document
  LinkResolver Links() const;
  LinkName LinkNames() const;

  // Commands that change the document (scene_commands.cpp).
  void Arrow(const Words& words);
  void Object(const Words& words);
  void Place(const Words& words);
  void Set(const Words& words);
  void Press(const Words& words);
  void Dialog(const Words& words);
  void Plane(const Words& words);
  void UndoRedo(const Words& words, bool undo);
  void ApplyEdit(KvNode* node, const Edit& edit);

  // Prints (scene_printing.cpp).
  void Print(const Words& words);
  void PrintTree();
  void PrintObject(std::string_view name);
  void PrintContour(std::string_view name);
  void PrintUndo();
  void PrintMessages(std::string_view name);
  void PrintConsole();
  void Emit(const std::string& text, const Json& json);

  PluginSession& session_;
  bool json_;
  std::ostream& out_;
  bool strict_;
  std::string where_;  // "script:line: " of the line being run
  int failures_ = 0;
  std::deque<std::optional<std::string>> answers_;  // dialog answers queued, cancel as none
  std::map<std::string, std::uint64_t, std::less<>> serials_;  // name -> object serial
  std::map<std::uint64_t, std::string> names_;                 // object serial -> name
  std::map<std::string, int> counters_;                        // last number per kind
};

// Splits a line into words at blanks; "double quotes" keep blanks and '#' (with \" and
// \\ inside), and '#' outside quotes starts a comment. Throws on an unclosed quote.
std::vector<std::string> SplitSceneLine(std::string_view line);
// The kind of object a type is, as scripts and names spell it (extrude, cloner, ...).
std::string KindOfType(std::int32_t type);

}  // namespace kvtool
