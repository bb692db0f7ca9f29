// keelvane gallery: one SVG with every outline family side by side, each drawn from the
// contour of an arrow set up by the user's edits and labelled with those edits.
#include <iostream>
#include <memory>

#include "commands.h"
#include "output_file.h"
#include "plugin_session.h"
#include "tool_error.h"

namespace kvtool {
namespace {

struct Family {
  const char* title;
  std::vector<std::string> edits;
};

const std::vector<Family>& Families() {
  static const std::vector<Family> families{
      {"double, solid heads", {"ARROW_DOUBLE=on"}},
      {"double, chevron heads", {"ARROW_DOUBLE=on", "ARROW_CHEVRON_HEAD=on"}},
      {"fletched, chevron head", {"ARROW_CHEVRON_HEAD=on", "ARROW_FLETCHING=on"}},
      {"chevron head with shaft", {"ARROW_CHEVRON_HEAD=on"}},
      {"fletched, solid head", {"ARROW_FLETCHING=on"}},
      {"bevelled, with shaft", {"ARROW_BEVEL=on", "ARROW_BEVEL_SIZE=20"}},
      {"plain", {}},
      {"chevron head alone", {"ARROW_SHAFT=off", "ARROW_CHEVRON_HEAD=on"}},
      {"bevelled head alone", {"ARROW_SHAFT=off", "ARROW_BEVEL=on", "ARROW_BEVEL_SIZE=20"}},
      {"solid head alone", {"ARROW_SHAFT=off"}},
  };
  return families;
}

struct GalleryOptions {
  std::string output;
  std::string format;  // svg, the one format written; checked against the extension
  int columns = 5;
};

std::string Text(double x, double y, const std::string& style, const std::string& text) {
  return "  <text x=\"" + std::to_string(static_cast<int>(x)) + "\" y=\"" +
         std::to_string(static_cast<int>(y)) + "\" " + style + ">" + XmlEscape(text) +
         "</text>\n";
}

int RunGallery(const ToolOptions& tool, const GalleryOptions& o) {
  if (o.columns < 1) throw ToolError(kStatusBadInput, "--columns must be at least 1");
  ChooseOutputFormat(o.format, o.output, {{"svg", {"svg"}}}, "svg");
  CheckOutputIsFile(o.output);
  PluginSession session(ChoosePluginFolder(tool.plugin));
  constexpr double kCellWidth = 300, kCellHeight = 250, kDrawingHeight = 160, kPad = 16;
  const std::vector<Family>& families = Families();
  const int rows = (static_cast<int>(families.size()) + o.columns - 1) / o.columns;
  const int width = static_cast<int>(kCellWidth) * o.columns;
  const int height = static_cast<int>(kCellHeight) * rows;

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
                    "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
                    std::to_string(width) + " " + std::to_string(height) + "\">\n";
  svg += "  <title>Arrow outline families</title>\n";
  svg += "  <rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  const std::string titleStyle =
      "font-family=\"sans-serif\" font-size=\"13\" font-weight=\"bold\" fill=\"#222\"";
  const std::string settingStyle = "font-family=\"monospace\" font-size=\"11\" fill=\"#555\"";

  for (std::size_t i = 0; i < families.size(); ++i) {
    const Family& family = families[i];
    const std::vector<Edit> edits = session.ParseArrowEdits(family.edits);
    KvNode* arrow = session.NewArrow();
    for (const Edit& edit : edits) session.Apply(arrow, edit);
    const Outline outline = session.Contour(arrow);

    const double x = kCellWidth * static_cast<double>(i % static_cast<std::size_t>(o.columns));
    const double y = kCellHeight * static_cast<double>(i / static_cast<std::size_t>(o.columns));
    svg += "  <rect x=\"" + std::to_string(static_cast<int>(x) + 4) + "\" y=\"" +
           std::to_string(static_cast<int>(y) + 4) + "\" width=\"" +
           std::to_string(static_cast<int>(kCellWidth) - 8) + "\" height=\"" +
           std::to_string(static_cast<int>(kCellHeight) - 8) +
           "\" rx=\"6\" fill=\"#f6f8fa\" stroke=\"#d0d7de\"/>\n";
    svg += "  " +
           SvgOutlinePath(outline, Box{x + kPad, y + kPad, kCellWidth - 2 * kPad, kDrawingHeight - kPad},
                          "fill=\"#3b6ea5\" stroke=\"#1d3a5c\" stroke-width=\"1.5\" "
                          "stroke-linejoin=\"round\"") +
           "\n";
    double line = y + kDrawingHeight + 22;
    svg += Text(x + kPad, line, titleStyle,
                std::string(family.title) + " (" + std::to_string(outline.points.size()) +
                    " points)");
    if (family.edits.empty()) svg += Text(x + kPad, line += 16, settingStyle, "defaults");
    for (const std::string& edit : family.edits) {
      svg += Text(x + kPad, line += 16, settingStyle, edit);
    }
  }
  svg += "</svg>\n";
  WriteOutput(o.output, svg);
  session.WarnAboutHostErrors();
  std::cout << "gallery: " << families.size() << " outline families written to " << o.output
            << "\n";
  return kStatusOk;
}

}  // namespace

void AddGalleryCommand(CLI::App& app, std::vector<Command>& commands) {
  auto o = std::make_shared<GalleryOptions>();
  CLI::App* sub = app.add_subcommand(
      "gallery",
      "Draw every outline family side by side in one SVG, each from the contour of an arrow "
      "set up by the user's edits and labelled with them.");
  sub->add_option("--output", o->output, "SVG file to write")->required();
  sub->add_option("--format", o->format, "svg (the only format; default)")->check(CLI::IsMember({"svg"}));
  sub->add_option("--columns", o->columns, "families per row (default 5)");
  sub->footer("Example: keelvane gallery --output docs/gallery.svg");
  commands.push_back({"gallery", sub, [o](const ToolOptions& tool) { return RunGallery(tool, *o); }});
}

}  // namespace kvtool
