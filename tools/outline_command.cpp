// keelvane outline: the contour of an arrow made from its defaults, an optional preset
// and the user's edits, in one of the outline formats.
#include <iostream>
#include <memory>

#include "commands.h"
#include "output_file.h"
#include "plugin_session.h"
#include "tool_error.h"

namespace kvtool {
namespace {

struct OutlineOptions {
  std::string preset;
  std::vector<std::string> sets;
  std::string format;  // empty: from the extension of output, else text
  std::string output;
  bool strict = false;
};

const std::vector<OutputFormat>& OutlineFormats() {
  static const std::vector<OutputFormat> formats{
      {"text", {"txt", "text"}}, {"json", {"json"}}, {"svg", {"svg"}}, {"csv", {"csv"}}, {"obj", {"obj"}}};
  return formats;
}

int RunOutline(const ToolOptions& tool, const OutlineOptions& o) {
  const std::string format = ChooseOutputFormat(o.format, o.output, OutlineFormats(), "text");
  CheckOutputIsFile(o.output);
  PluginSession session(ChoosePluginFolder(tool.plugin));
  const std::vector<Edit> edits = session.ParseArrowEdits(o.sets);
  KvNode* arrow = session.NewArrow();
  if (!o.preset.empty()) session.LoadPreset(arrow, o.preset);
  for (const Edit& edit : edits) session.ApplyChecked(arrow, edit, o.strict, "keelvane outline: ");
  const Outline outline = session.Contour(arrow);
  WriteOutput(o.output, FormatOutline(outline, format));
  session.WarnAboutHostErrors();
  if (!o.output.empty() && o.output != "-") {
    std::cout << "outline: " << outline.points.size() << " points written to " << o.output
              << " (" << format << ")\n";
  }
  return kStatusOk;
}

}  // namespace

void AddOutlineCommand(CLI::App& app, std::vector<Command>& commands) {
  auto o = std::make_shared<OutlineOptions>();
  CLI::App* sub = app.add_subcommand(
      "outline",
      "Create an arrow with its defaults, load --preset if given, apply each --set in order "
      "as the user's edit, and write the contour the module returns.");
  sub->add_option("--preset", o->preset, "preset file loaded through the load button");
  sub->add_option("--set", o->sets, "NAME=VALUE, the user's edit (repeatable, applied in order)")
      ->allow_extra_args(false);
  sub->add_option("--format", o->format,
                  "text, json, svg, csv or obj (default: from the extension of --output "
                  ".txt .json .svg .csv .obj, else text)")
      ->check(CLI::IsMember(OutlineFormatNames()));
  sub->add_option("--output", o->output, "file to write (default: stdout)");
  sub->add_flag("--strict", o->strict,
                "refuse (status 2) an edit outside the description's range or of a greyed "
                "parameter, which otherwise warns");
  sub->footer(
      "Example: keelvane outline --set ARROW_CHEVRON_HEAD=on --set PRIM_PLANE=1 --format svg "
      "--output arrow.svg");
  commands.push_back({"outline", sub, [o](const ToolOptions& tool) { return RunOutline(tool, *o); }});
}

}  // namespace kvtool
