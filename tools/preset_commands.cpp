// keelvane preset save / show: preset files written and read by the module's own save
// and load buttons, through their file dialogs.
#include <iostream>
#include <memory>

#include "commands.h"
#include "description/okeelvane.h"
#include "json_text.h"
#include "plugin_session.h"
#include "tool_error.h"
#include "value_text.h"

namespace kvtool {
namespace {

// The values a preset file carries, in the order of the file.
constexpr std::int32_t kPresetParameters[] = {
    ARROW_PRESET_NAME,         ARROW_HEAD_LENGTH,        ARROW_HEAD_WIDTH,
    ARROW_HEAD_SWEEP,          ARROW_CHEVRON_HEAD,       ARROW_CHEVRON_SQUARE_ENDS,
    ARROW_CHEVRON_THICKNESS,   ARROW_DOUBLE,             ARROW_DOUBLE_SHAFT_LENGTH,
    ARROW_DOUBLE_SHAFT_WIDTH,  ARROW_SHAFT,              ARROW_SHAFT_LENGTH,
    ARROW_SHAFT_WIDTH,         ARROW_TAIL_NOTCH,         ARROW_TAPER_HEAD,
    ARROW_TAPER_TAIL,          ARROW_FLETCHING,          ARROW_FLETCHING_LENGTH,
    ARROW_FLETCHING_HEIGHT,    ARROW_FLETCHING_SWEEP,    KV_PRIM_PLANE,
    KV_PRIM_REVERSE,              KV_SPLINEOBJECT_INTERPOLATION,     KV_SPLINEOBJECT_SUB,
    KV_SPLINEOBJECT_ANGLE,              KV_SPLINEOBJECT_MAXIMUMLENGTH};

struct SaveOptions {
  std::string output;
  std::vector<std::string> sets;
};

struct ShowOptions {
  std::string file;
  std::string format = "text";
};

int RunSave(const ToolOptions& tool, const SaveOptions& o) {
  PluginSession session(ChoosePluginFolder(tool.plugin));
  const std::vector<Edit> edits = session.ParseArrowEdits(o.sets);
  KvNode* arrow = session.NewArrow();
  for (const Edit& edit : edits) session.Apply(arrow, edit);
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
  for (std::int32_t id : kPresetParameters) {
    const kvhost::DescParameter* p = kvhost::FindParameter(session.ArrowDescription(), id);
    const std::string name = p != nullptr ? p->symbol : std::to_string(id);
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
  saveApp->footer("Example: keelvane preset save --output wide --set ARROW_HEAD_WIDTH=120");
  commands.push_back(
      {"preset save", saveApp, [save](const ToolOptions& tool) { return RunSave(tool, *save); }});

  auto show = std::make_shared<ShowOptions>();
  CLI::App* showApp = preset->add_subcommand(
      "show",
      "Load FILE into a new default arrow through the load button and print the 26 values "
      "a preset carries, as the object holds them after the load.");
  showApp->add_option("FILE", show->file, "preset file to load")->required();
  showApp->add_option("--format", show->format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  showApp->footer("Example: keelvane preset show wide.kvp --format json");
  commands.push_back(
      {"preset show", showApp, [show](const ToolOptions& tool) { return RunShow(tool, *show); }});
}

}  // namespace kvtool
