// The real module loaded from its plug-in folder into the stand-in host, with one
// document, as every command of the tool uses it: arrows created from the menu, values
// set as the user's edits, presets saved and loaded through the object's buttons and
// their file dialogs, outlines taken from the object's contour.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "description/okeelvane.h"
#include "host.h"
#include "module.h"
#include "outline_formats.h"
#include "resources.h"
#include "value_parsing.h"

namespace kvtool {

// The module file in a plug-in folder, as the build names it.
constexpr const char* kModuleFileName = KEELVANE_MODULE_FILE_NAME;

// The plug-in folder to load: option (from --plugin) if given, else the environment
// variable KEELVANE_PLUGIN, else <bindir>/../plugins/win/keelvane beside the tool.
std::filesystem::path ChoosePluginFolder(const std::string& option);

// The module file of the plug-in folder. Throws a ToolError (status 1) naming it when
// there is none.
std::filesystem::path ModuleFileOf(const std::filesystem::path& folder);
// The module of the plug-in folder loaded into the host, not yet started. Throws a
// ToolError (status 1) naming the file and what went wrong.
std::unique_ptr<kvhost::Module> LoadPluginModule(const std::filesystem::path& folder);

class PluginSession {
 public:
  // Loads and starts the module of folder. Throws a ToolError (status 1) naming the
  // folder and what went wrong.
  explicit PluginSession(const std::filesystem::path& folder);
  ~PluginSession();
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

  KvDocument* Document() const { return doc_; }
  // The arrow's description as the module's resources give it.
  const kvhost::Description& ArrowDescription() const { return *description_; }

  // A new arrow created from the menu, with its defaults. Throws (status 1) on failure.
  KvNode* NewArrow();
  // The arrow parameter named by code name (in any case) or numeric id.
  std::optional<ParameterRef> ArrowParameter(std::string_view name) const;
  // The code names of the arrow's parameters, for the nearest names of a mistyped one.
  NameList ArrowNames() const;
  // The parameter of a host object type given by its numeric id.
  static std::optional<ParameterRef> HostParameter(std::int32_t objectType, std::string_view id);
  // Lookup for the parameters of node (arrow or host object).
  ParameterLookup LookupFor(const KvNode* node) const;

  // Parses every NAME=VALUE for an arrow; the first bad one throws (status 2).
  std::vector<Edit> ParseArrowEdits(const std::vector<std::string>& texts) const;
  // The user's edit of one parameter.
  void Apply(KvNode* node, const Edit& edit);
  // What an edit of the arrow would store that the user may not mean, as the panel would
  // refuse or grey it: a value outside the description's range (in its unit) or none of
  // its choices, and a parameter the module greys out for the node's current values,
  // named with the switch that greys it. Empty for host objects and plain edits.
  std::vector<std::string> EditWarnings(KvNode* node, const Edit& edit);
  // Apply, after the EditWarnings of the edit: each on stderr after prefix ("keelvane
  // outline: ") or, when strict, the first as a ToolError (status 2), the edit not made.
  void ApplyChecked(KvNode* node, const Edit& edit, bool strict, const std::string& prefix);

  // Why the module did not load the preset file, as far as the file system tells.
  static std::string LoadFailure(const std::string& file);
  // Updates the module sent node itself: the load button sends one after a load that
  // succeeded, and only then.
  static std::size_t UpdatesFromModule(const KvNode* node);

  // Presses the load button with the file dialog answered with file. Throws (status 1)
  // when the module did not load it, with what the host reported.
  void LoadPreset(KvNode* arrow, const std::string& file);
  // Presses the save button with the file dialog answered with file; returns the path
  // the module wrote (with its suffix rule applied). The file appears completely or not
  // at all. Throws (status 1) when nothing was written.
  std::string SavePreset(KvNode* arrow, const std::string& file);

  // The arrow's contour as the host receives it. Throws (status 1) when there is none.
  Outline Contour(KvNode* arrow);

  // Errors the host reported since the last call.
  std::vector<std::string> TakeHostErrors();
  // Writes the errors not yet taken to stderr as warnings.
  void WarnAboutHostErrors();

 private:
  std::filesystem::path folder_;
  std::unique_ptr<kvhost::Module> module_;
  kvhost::ResourceFolder resources_;
  const kvhost::Description* description_ = nullptr;
  KvDocument* doc_ = nullptr;
  std::size_t hostErrorsTaken_ = 0;
};

// Typed reads of a node's live parameters; nullopt when absent or of another type.
std::optional<double> FloatParameter(KvNode* node, std::int32_t id);
std::optional<std::int32_t> IntParameter(KvNode* node, std::int32_t id);
std::optional<bool> BoolParameter(KvNode* node, std::int32_t id);

}  // namespace kvtool
