// keelvane preset save / show: preset files written and read by the module's own save
// and load buttons, through their file dialogs.
#include <iostream>
#include <memory>

#include "arrow_parameters.h"
#include "commands.h"
#include "description/okeelvane.h"
#include "json_text.h"
#include "plugin_session.h"
#include "tool_error.h"
#include "value_text.h"

namespace kvtool {
namespace {

struct SaveOptions {
  std::string output;
  std::vector<std::string> sets;
  bool strict = false;
};

struct ShowOptions {
  std::string file;
  std::string format = "text";
};

int RunSave(const ToolOptions& tool, const SaveOptions& o) {
  PluginSession session(ChoosePluginFolder(tool.plugin));
  const std::vector<Edit> edits = session.ParseArrowEdits(o.sets);
  KvNode* arrow = session.NewArrow();
  for (const Edit& edit : edits) session.ApplyChecked(arrow, edit, o.strict, "keelvane preset save: ");
  const std::string written = session.SavePreset(arrow, o.output);
  session.WarnAboutHostErrors();
  std::cout << written << "\n";
  return 0;
}

int RunShow(const ToolOptions& tool, const ShowOptions& o) {
  PluginSession session(ChoosePluginFolder(tool.plugin));
  KvNode* arrow = session.NewArrow();
  session.LoadPreset(arrow, o.file);

  Json json = Json::object();
  std::string text = "preset " + o.file + "\n";
  // The values a preset file carries, in the order of the file.
  for (std::int32_t item = kFirstPresetItem; const ArrowParameter* p = PresetItemParameter(item); ++item) {
    const std::int32_t id = p->id;
    const kvhost::DescParameter* described = kvhost::FindParameter(session.ArrowDescription(), id);
    const std::string name = described != nullptr ? described->symbol : std::to_string(id);
    const auto value = kvhost::GetParameter(kvhost::Container(arrow), id);
    if (!value) throw ToolError(kStatusFailed, "the arrow holds no " + name + " after the load");
    json[name] = ValueJson(*value);
    std::string line = "  " + name;
    line.resize(std::max<std::size_t>(line.size() + 1, 31), ' ');
    text += line + ValueText(*value) + "\n";
  }
  session.WarnAboutHostErrors();
  std::cout << (o.format == "json" ? JsonText(json) + "\n" : text);
  return 0;
}

}  // namespace

void AddPresetCommands(CLI::App& app, std::vector<Command>& commands) {
  CLI::App* preset = app.add_subcommand("preset", "Save and show preset files (.kvp).");
  preset->require_subcommand(1);

  auto save = std::make_shared<SaveOptions>();
  CLI::App* saveApp = preset->add_subcommand(
      "save",
      "Write the preset of a default arrow with the --set edits through the save button; "
      "the module's suffix rule applies (\"a\" becomes \"a.kvp\"). Prints the path written.");
  saveApp->add_option("--output", save->output, "preset file to write")->required();
  saveApp->add_option("--set", save->sets, "NAME=VALUE, the user's edit (repeatable)")
      ->allow_extra_args(false);
  saveApp->add_flag("--strict", save->strict,
                    "refuse (status 2) an edit outside the description's range or of a greyed "
                    "parameter, which otherwise warns");
  saveApp->footer("Example: keelvane preset save --output wide --set ARROW_HEAD_WIDTH=120");
  commands.push_back(
      {"preset save", saveApp, [save](const ToolOptions& tool) { return RunSave(tool, *save); }});

  auto show = std::make_shared<ShowOptions>();
  CLI::App* showApp = preset->add_subcommand(
      "show",
      "Load FILE into a new default arrow through the load button and print every value "
      "a preset carries, as the object holds them after the load.");
  showApp->add_option("FILE", show->file, "preset file to load")->required();
  showApp->add_option("--format", show->format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  showApp->footer("Example: keelvane preset show wide.kvp --format json");
  commands.push_back(
      {"preset show", showApp, [show](const ToolOptions& tool) { return RunShow(tool, *show); }});
}

}  // namespace kvtool
