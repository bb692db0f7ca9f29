#include "value_text.h"

#include "json_text.h"

namespace kvtool {

namespace {

std::string LinkText(const KvNode* target, const LinkName& linkName) {
  if (target == nullptr) return "none";
  if (linkName) return linkName(target);
  return std::to_string(kvhost::ObjectType(target)) + "#" +
         std::to_string(kvhost::ObjectSerial(target));
}

}  // namespace

std::string ValueText(const kvhost::Value& value, const LinkName& linkName) {
  if (const auto* i = std::get_if<std::int32_t>(&value)) return std::to_string(*i);
  if (const auto* f = std::get_if<double>(&value)) return ShownText(*f);
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "on" : "off";
  if (const auto* s = std::get_if<std::string>(&value)) {
    return Json(*s).dump(-1, ' ', false, Json::error_handler_t::replace);
  }
  if (const auto* v = std::get_if<KvVector>(&value)) {
    return ShownText(v->x) + "," + ShownText(v->y) + "," + ShownText(v->z);
  }
  return LinkText(std::get<KvNode*>(value), linkName);
}

Json ValueJson(const kvhost::Value& value, const LinkName& linkName) {
  if (const auto* i = std::get_if<std::int32_t>(&value)) return *i;
  if (const auto* f = std::get_if<double>(&value)) return *f;
  if (const auto* b = std::get_if<bool>(&value)) return *b;
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  if (const auto* v = std::get_if<KvVector>(&value)) return Json{v->x, v->y, v->z};
  const KvNode* target = std::get<KvNode*>(value);
  if (target == nullptr) return nullptr;
  return LinkText(target, linkName);
}

std::string UnitText(kvhost::ParamUnit unit) {
  if (unit == kvhost::ParamUnit::Percent) return " %";
  if (unit == kvhost::ParamUnit::Degree) return " degrees";
  return "";
}

std::string RangeText(const kvhost::DescParameter& p) {
  const std::string unit = UnitText(p.unit);
  if (p.min && p.max) return "from " + NumberText(*p.min) + " to " + NumberText(*p.max) + unit;
  if (p.min) return "at least " + NumberText(*p.min) + unit;
  if (p.max) return "at most " + NumberText(*p.max) + unit;
  return "";
}

std::string ChoiceName(const kvhost::DescParameter& p, const kvhost::CycleEntry& choice) {
  const std::string prefix = p.symbol + "_";
  if (choice.symbol.size() > prefix.size() && choice.symbol.compare(0, prefix.size(), prefix) == 0) {
    return choice.symbol.substr(prefix.size());
  }
  return choice.symbol;
}

std::string ChoicesText(const kvhost::DescParameter& p) {
  std::string out;
  for (const kvhost::CycleEntry& c : p.cycle) {
    out += (out.empty() ? "" : ", ") + std::to_string(c.value) + " " + ChoiceName(p, c);
  }
  return out;
}

}  // namespace kvtool
