// The browser panel's document: the module loaded into the stand-in host with one
// document, and every change the page asks for performed through the host as the user's
// edit, button, drag, menu command or undo. The page only shows what State returns: the
// tree, the selected object's parameters with their enabling, the contour and the
// host's records (message boxes, console lines, errors).
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "json_text.h"
#include "local_files.h"
#include "plugin_session.h"
#include "tool_error.h"

namespace kvtool {

// The panel's document is nested at most this deep (an object at the top is at level 1);
// a move that would nest it deeper is refused.
constexpr std::size_t kMaxNesting = 100;
// The document's undo keeps at most this many steps, holding at most this many bytes.
constexpr kvhost::UndoLimits kPanelUndoLimits{100, 32 * 1024 * 1024};

// Calls visit for every object of doc in the tree's order (a parent before its children)
// with its depth (0 at the top), until visit returns false. A loop, not a recursion: the
// depth is the user's to choose.
void ForEachObject(const KvDocument* doc, const std::function<bool(KvNode* node, std::size_t depth)>& visit);

// A value the page sent for one of the arrow's fields was refused: the message names the
// field by its label, and parameter tells the page which field to mark.
struct FieldRefusal : ToolError {
  FieldRefusal(std::int32_t id, const std::string& message) : ToolError(kStatusBadInput, message), parameter(id) {}
  std::int32_t parameter;
};

// A preset the module wrote, to be handed to the browser.
struct SavedPreset {
  std::string fileName;
  std::string bytes;
};

class Panel {
 public:
  // Loads the module of folder and creates one arrow from the menu. Throws a ToolError.
  explicit Panel(const std::filesystem::path& pluginFolder);
  ~Panel();
  Panel(const Panel&) = delete;
  Panel& operator=(const Panel&) = delete;

  // What the page shows, with object (a serial) selected; without it, or when it is no
  // longer in the document, the first arrow of the tree. Message boxes and the panel's own
  // notes on what an action did not do are returned once.
  Json State(std::optional<std::uint64_t> object);
  // Grows with every action that went through; the state carries it, so that a page can
  // tell that another one changed the document. Safe from any thread.
  std::uint64_t Version() const { return version_; }

  // Each action below throws a ToolError with kStatusBadInput, having changed nothing,
  // when its input is wrong; each returns the serial of the object to select next. Undo
  // goes back at most to the document the panel started with.

  // kind: "arrow", "spline" or "null", created from the host's menu.
  std::uint64_t Add(std::string_view kind);
  // The user's edit of parameter id of object; value as the page sends it (number, bool,
  // string, or for links the target's serial or null), numbers in the unit shown.
  std::uint64_t Set(std::uint64_t object, std::int32_t id, const Json& value);
  // A button of the arrow's description other than the two preset buttons. When Make
  // Spline Wrap placed no deformer, a note says why.
  std::uint64_t Press(std::uint64_t object, std::int32_t id);
  // The user's drag: object goes first or last under parent (nullopt: the top level).
  std::uint64_t Move(std::uint64_t object, std::optional<std::uint64_t> parent, bool last);
  void Undo();
  void Redo();
  // The load button with its file dialog answered with bytes (as a temporary file);
  // name is the user's file name, for messages.
  std::uint64_t LoadPreset(std::uint64_t object, std::string_view bytes, std::string_view name);
  // The save button with its file dialog answered with a temporary path; the file the
  // module wrote.
  SavedPreset SavePreset(std::uint64_t object);

  KvDocument* Document() const { return session_.Document(); }
  // The private folder (0700) for uploads and saved presets; gone with the panel.
  const std::filesystem::path& Scratch() const { return scratch_.Path(); }
  // Removes the private folder now (a process that must exit at once calls it).
  void RemoveScratch() const;
  // The object of serial in the document; null when there is none.
  KvNode* Find(std::uint64_t serial) const;
  // The object's name on the page: its type's name and a number counting the objects of
  // that type in the order they were made ("Extrude 1"), kept while the panel runs.
  std::string NameOf(const KvNode* node);

 private:
  KvNode* InDocument(std::uint64_t serial) const;  // throws when absent
  KvNode* Arrow(std::uint64_t serial) const;       // throws unless an arrow
  void TreeAndObjects(Json& tree, Json& objects);
  Json ObjectJson(KvNode* node);
  Json ArrowParameters(KvNode* arrow);
  Json Preview(KvNode* arrow);
  // text with the private folder's path taken out, for the page.
  std::string Private(std::string text) const;
  // Names every object of the document that has none yet, in the order they were made.
  void NameNewObjects();
  // Why Make Spline Wrap placed no deformer, seen from the arrow's place and settings.
  std::string WrapNotPlaced(KvNode* arrow) const;

  PluginSession session_;
  kvhost::ScratchFolder scratch_;  // private folder for uploads and saved presets
  std::size_t dialogsReturned_ = 0;
  std::vector<std::string> notices_;  // for the next state
  std::map<std::uint64_t, std::string> names_;  // by serial
  std::map<std::int32_t, int> counters_;        // by type: the last number given
  std::atomic<std::uint64_t> version_{1};
};

}  // namespace kvtool
