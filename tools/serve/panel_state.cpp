// What the browser panel shows, read from the host: the tree, the selected object's
// parameters with the module's enabling answers, the contour, and the host's records.
#include "panel.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "panel_values.h"
#include "tool_error.h"
#include "value_text.h"

namespace kvtool {
namespace {

KvNode* FirstArrow(const KvDocument* doc) {
  KvNode* arrow = nullptr;
  ForEachObject(doc, [&](KvNode* node, std::size_t) {
    if (kvhost::ObjectType(node) == Okeelvane) arrow = node;
    return arrow == nullptr;
  });
  return arrow;
}

const char* KindForPage(kvhost::ParamType type) {
  switch (type) {
    case kvhost::ParamType::Real: return "real";
    case kvhost::ParamType::Long: return "long";
    case kvhost::ParamType::Bool: return "bool";
    case kvhost::ParamType::String: return "string";
    case kvhost::ParamType::Button: return "button";
    case kvhost::ParamType::Link: return "link";
  }
  return "real";
}

// Host values of host objects: numbers as ShownNumber shows them, links as the target's
// serial, as the arrow's are.
Json HostValueJson(const kvhost::Value& value) {
  if (const auto* n = std::get_if<KvNode*>(&value)) {
    if (*n == nullptr) return nullptr;
    return kvhost::ObjectSerial(*n);
  }
  if (const auto* f = std::get_if<double>(&value)) return NumberJson(ShownNumber(*f));
  if (const auto* v = std::get_if<KvVector>(&value)) {
    return Json{NumberJson(ShownNumber(v->x)), NumberJson(ShownNumber(v->y)), NumberJson(ShownNumber(v->z))};
  }
  return ValueJson(value);
}

bool IsFinite(const KvVector& p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

}  // namespace

// The tree as the page shows it, each object with its children, and the objects in the
// tree's order, for the link fields' choices.
void Panel::TreeAndObjects(Json& tree, Json& objects) {
  tree = Json::array();
  objects = Json::array();
  // lists[d]: the list the next object at depth d goes into, the children of the last
  // object at depth d - 1. Only lists[d] grows, so the ones above it stay in place.
  std::vector<Json*> lists{&tree};
  ForEachObject(Document(), [&](KvNode* node, std::size_t depth) {
    const std::int32_t type = kvhost::ObjectType(node);
    lists.resize(depth + 1);
    Json& list = *lists[depth];
    list.push_back(Json{{"id", kvhost::ObjectSerial(node)},
                        {"type", type},
                        {"label", NameOf(node)},
                        {"children", Json::array()}});
    lists.push_back(&list.back()["children"]);
    objects.push_back(Json{{"id", kvhost::ObjectSerial(node)}, {"label", NameOf(node)}});
    return true;
  });
}

void ForEachObject(const KvDocument* doc, const std::function<bool(KvNode* node, std::size_t depth)>& visit) {
  // One level per depth reached so far: its objects and the next one to visit.
  struct Level {
    std::vector<KvNode*> nodes;
    std::size_t next = 0;
  };
  std::vector<Level> levels{{kvhost::TopObjects(doc)}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.nodes.size()) {
      levels.pop_back();
      continue;
    }
    KvNode* node = level.nodes[level.next++];
    if (!visit(node, levels.size() - 1)) return;
    std::vector<KvNode*> children = kvhost::Children(node);
    if (!children.empty()) levels.push_back({std::move(children)});
  }
}

Json Panel::State(std::optional<std::uint64_t> object) {
  KvNode* selected = object ? Find(*object) : nullptr;
  if (selected == nullptr) selected = FirstArrow(Document());

  Json state, tree, objects;
  state["version"] = Version();
  NameNewObjects();
  TreeAndObjects(tree, objects);
  if (selected != nullptr) {
    state["selected"] = kvhost::ObjectSerial(selected);
    state["object"] = ObjectJson(selected);
  } else {
    state["selected"] = nullptr;
    state["object"] = nullptr;
  }
  state["undo"] = Json{{"undo", kvhost::UndoHistory(Document()).size()},
                       {"redo", kvhost::RedoHistory(Document()).size()}};

  Json console = Json::array();
  for (const kvhost::ConsoleLine& line : kvhost::ConsoleLines()) console.push_back(Private(line.text));
  state["console"] = console;
  // Message boxes the module showed since the last state, each returned once.
  Json dialogs = Json::array();
  const auto& shown = kvhost::MessageDialogs();
  for (std::size_t i = dialogsReturned_; i < shown.size(); ++i) dialogs.push_back(shown[i].text);
  dialogsReturned_ = shown.size();
  state["dialogs"] = dialogs;
  state["notices"] = notices_;
  notices_.clear();
  Json errors = Json::array();
  for (const std::string& e : session_.TakeHostErrors()) errors.push_back(Private(e));
  state["hostErrors"] = errors;
  // Last: a key added after them would copy them (and a copy of the tree recurses).
  state["objects"] = std::move(objects);
  state["tree"] = std::move(tree);
  return state;
}

Json Panel::ObjectJson(KvNode* node) {
  const std::int32_t type = kvhost::ObjectType(node);
  Json object{{"id", kvhost::ObjectSerial(node)}, {"type", type}, {"label", NameOf(node)}};
  if (type == Okeelvane) {
    object["editable"] = true;
    object["groups"] = Json::array();
    for (const kvhost::DescGroup& g : session_.ArrowDescription().groups) {
      object["groups"].push_back(Json{{"symbol", g.symbol},
                                      {"label", g.label.empty() ? g.symbol : g.label},
                                      {"parent", g.parent}});
    }
    object["parameters"] = ArrowParameters(node);
    object["preview"] = Preview(node);
    return object;
  }
  // Host objects: the parameters the module reads or writes, read-only.
  object["editable"] = false;
  object["groups"] = Json::array();
  Json parameters = Json::array();
  for (const kvhost::HostParameterType& param : kvhost::HostParameterTypes(type)) {
    const auto value = kvhost::GetParameter(kvhost::Container(node), param.id);
    Json entry{{"id", param.id},
               {"symbol", std::to_string(param.id)},
               {"label", param.name},
               {"kind", KindName(KindOfHostValue(param.valueType))},
               {"group", ""},
               {"value", value ? HostValueJson(*value) : Json(nullptr)},
               {"enabled", false}};
    if (!param.choices.empty()) {
      entry["cycle"] = Json::array();
      for (const kvhost::HostChoice& c : param.choices) entry["cycle"].push_back(Json{{"value", c.value}, {"label", c.name}});
    }
    parameters.push_back(entry);
  }
  object["parameters"] = parameters;
  return object;
}

Json Panel::ArrowParameters(KvNode* arrow) {
  Json parameters = Json::array();
  for (const kvhost::DescParameter& p : session_.ArrowDescription().parameters) {
    Json entry{{"id", p.id},
               {"symbol", p.symbol},
               {"label", p.label.empty() ? p.symbol : p.label},
               {"kind", KindForPage(p.type)},
               {"group", p.group},
               {"unit", kvhost::ParamUnitName(p.unit)}};
    if (p.min) entry["min"] = *p.min;
    if (p.max) entry["max"] = *p.max;
    if (p.step) entry["step"] = *p.step;
    if (!p.cycle.empty()) {
      entry["cycle"] = Json::array();
      for (const kvhost::CycleEntry& e : p.cycle) {
        entry["cycle"].push_back(Json{{"value", e.value}, {"label", e.label.empty() ? e.symbol : e.label}});
      }
    }
    const auto value = kvhost::GetParameter(kvhost::Container(arrow), p.id);
    if (p.type == kvhost::ParamType::Button) {
      entry["value"] = nullptr;
    } else if (value) {
      entry["value"] = ShownValue(p, *value);
    } else {
      // Never written: the host reads it as false, 0 or empty.
      entry["value"] = p.type == kvhost::ParamType::Bool     ? Json(false)
                       : p.type == kvhost::ParamType::String ? Json("")
                       : p.type == kvhost::ParamType::Link   ? Json(nullptr)
                                                             : Json(0);
    }
    entry["enabled"] = kvhost::IsEnabled(arrow, p.id);
    parameters.push_back(entry);
  }
  return parameters;
}

Json Panel::Preview(KvNode* arrow) {
  try {
    const Outline outline = session_.Contour(arrow);
    if (!std::all_of(outline.points.begin(), outline.points.end(), IsFinite)) {
      return Json{{"error", "the outline cannot be drawn: its points are not all numbers (nan or inf)"}};
    }
    constexpr double kWidth = 480, kHeight = 320, kMargin = 16;
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 480 320\">" +
                      SvgOutlinePath(outline, Box{kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 2 * kMargin},
                                     "class=\"outline\"") +
                      "</svg>";
    return Json{{"svg", svg},
                {"points", outline.points.size()},
                {"plane", PlaneName(outline.plane)},
                {"reverse", outline.reverse}};
  } catch (const ToolError& e) {
    return Json{{"error", std::string("the outline cannot be drawn: ") + e.what()}};
  }
}

}  // namespace kvtool
