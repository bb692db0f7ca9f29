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
  if (const auto* f = std::get_if<double>(&value)) return NumberText(*f);
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "on" : "off";
  if (const auto* s = std::get_if<std::string>(&value)) {
    return Json(*s).dump(-1, ' ', false, Json::error_handler_t::replace);
  }
  if (const auto* v = std::get_if<KvVector>(&value)) {
    return NumberText(v->x) + "," + NumberText(v->y) + "," + NumberText(v->z);
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

}  // namespace kvtool
