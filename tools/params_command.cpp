// keelvane params: every parameter of the arrow from its description, with the value a
// new arrow holds and whether the module enables it on a default object.
#include <algorithm>
#include <array>
#include <iostream>
#include <memory>

#include "commands.h"
#include "json_text.h"
#include "plugin_session.h"
#include "tool_error.h"
#include "value_text.h"

namespace kvtool {
namespace {

struct ParamsOptions {
  bool json = false;
};

int RunParams(const ToolOptions& tool, const ParamsOptions& o) {
  PluginSession session(ChoosePluginFolder(tool.plugin));
  KvNode* arrow = session.NewArrow();
  const kvhost::Description& description = session.ArrowDescription();

  Json list = Json::array();
  std::vector<std::array<std::string, 8>> rows{
      {"id", "name", "type", "default", "enabled", "range", "choices", "label"}};
  for (const kvhost::DescParameter& p : description.parameters) {
    const ValueKind kind = KindOf(p.type);
    const auto value = kind == ValueKind::Button
                           ? std::nullopt
                           : kvhost::GetParameter(kvhost::Container(arrow), p.id);
    const bool enabled = kvhost::IsEnabled(arrow, p.id);

    Json entry{{"id", p.id},
                         {"name", p.symbol},
                         {"type", KindName(kind)},
                         {"default", value ? ValueJson(*value) : Json(nullptr)},
                         {"label", p.label},
                         {"enabled", enabled},
                         {"group", p.group}};
    if (p.unit != kvhost::ParamUnit::None) entry["unit"] = kvhost::ParamUnitName(p.unit);
    if (p.min) entry["min"] = *p.min;
    if (p.max) entry["max"] = *p.max;
    if (p.step) entry["step"] = *p.step;
    if (!p.cycle.empty()) {
      Json choices = Json::array();
      for (const kvhost::CycleEntry& c : p.cycle) {
        choices.push_back({{"value", c.value}, {"name", ChoiceName(p, c)}, {"label", c.label}});
      }
      entry["choices"] = std::move(choices);
    }
    list.push_back(std::move(entry));
    const std::string range = RangeText(p);
    const std::string choices = ChoicesText(p);
    rows.push_back({std::to_string(p.id), p.symbol, KindName(kind), value ? ValueText(*value) : "-",
                    enabled ? "yes" : "no", range.empty() ? "-" : range,
                    choices.empty() ? "-" : choices, p.label});
  }
  session.WarnAboutHostErrors();

  if (o.json) {
    std::cout << JsonText(list) << "\n";
    return kStatusOk;
  }
  std::array<std::size_t, 8> width{};
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
  }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line += std::string(width[c] - row[c].size() + 2, ' ');
    }
    std::cout << line << "\n";
  }
  std::cout << "params: " << description.parameters.size() << " parameters of "
            << description.name << "\n";
  return kStatusOk;
}

}  // namespace

void AddParamsCommand(CLI::App& app, std::vector<Command>& commands) {
  auto o = std::make_shared<ParamsOptions>();
  CLI::App* sub = app.add_subcommand(
      "params",
      "List every parameter of the arrow: id, code name, type, default (as a new arrow holds "
      "it; \"-\" for buttons and unset values), enabled on a default arrow, the description's "
      "range in its unit (a percent of a stored fraction, degrees of stored radians), the "
      "choices of a cycle (taken by number or name: PRIM_PLANE=ZY), label.");
  sub->add_flag("--json", o->json, "one JSON array of parameter objects");
  sub->footer("Example: keelvane params --json");
  commands.push_back({"params", sub, [o](const ToolOptions& tool) { return RunParams(tool, *o); }});
}

}  // namespace kvtool
