#include "panel_values.h"

#include <cmath>
#include <string>

#include "input_text.h"
#include "tool_error.h"
#include "value_parsing.h"
#include "value_text.h"

namespace kvtool {
namespace {

using kvhost::DescParameter;
using kvhost::ParamType;

// Messages name the field by the label the page shows, by its symbol where it has none.
[[noreturn]] void RefuseFor(const DescParameter& p, const std::string& why) {
  Refuse((p.label.empty() ? p.symbol : p.label) + ": " + why);
}

void CheckRange(const DescParameter& p, double shown) {
  if ((p.min && shown < *p.min) || (p.max && shown > *p.max)) {
    RefuseFor(p, NumberText(shown) + " is outside the range (" + RangeText(p) + ")");
  }
}

// The page's input as a message names it. A parsed value is never written back out
// whole: an array or object is named by its kind, text is quoted cut short.
std::string Described(const Json& input) {
  switch (input.type()) {
    case Json::value_t::string: return QuotedInput(input.get_ref<const std::string&>());
    case Json::value_t::number_integer: return std::to_string(input.get<std::int64_t>());
    case Json::value_t::number_unsigned: return std::to_string(input.get<std::uint64_t>());
    case Json::value_t::number_float: return NumberText(input.get<double>());
    case Json::value_t::boolean: return input.get<bool>() ? "true" : "false";
    case Json::value_t::array: return "a list";
    case Json::value_t::object: return "an object";
    default: return "null";
  }
}

// Text as typed, without the blanks around it.
std::string Trimmed(const Json& input) {
  const std::string text = input.get<std::string>();
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

double RealInput(const DescParameter& p, const Json& input) {
  if (input.is_number()) return input.get<double>();
  if (input.is_string()) {
    if (const auto v = ParseFloat(Trimmed(input))) return *v;
    RefuseFor(p, Described(input) + " is not a number");
  }
  RefuseFor(p, "expects a number, not " + Described(input));
}

std::int32_t LongInput(const DescParameter& p, const Json& input) {
  if (input.is_number_integer()) {
    const auto wide = input.get<std::int64_t>();
    if (wide >= INT32_MIN && wide <= INT32_MAX) return static_cast<std::int32_t>(wide);
  } else if (input.is_string()) {
    if (const auto v = ParseInt32(Trimmed(input))) return *v;
  }
  RefuseFor(p, "expects a whole number, not " + Described(input));
}

}  // namespace

Json NumberJson(double value) {
  if (std::isfinite(value)) return value;
  return NumberText(value);
}

Json ShownValue(const DescParameter& p, const kvhost::Value& stored) {
  if (const auto* f = std::get_if<double>(&stored)) {
    if (!std::isfinite(*f)) return NumberJson(*f);
    return ShownNumber(*f, kvhost::ShownScale(p.unit));
  }
  if (const auto* i = std::get_if<std::int32_t>(&stored)) return *i;
  if (const auto* b = std::get_if<bool>(&stored)) return *b;
  if (const auto* s = std::get_if<std::string>(&stored)) return *s;
  if (const auto* n = std::get_if<KvNode*>(&stored)) {
    if (*n == nullptr) return nullptr;
    return kvhost::ObjectSerial(*n);
  }
  const KvVector& v = std::get<KvVector>(stored);
  return Json{NumberJson(ShownNumber(v.x)), NumberJson(ShownNumber(v.y)), NumberJson(ShownNumber(v.z))};
}

kvhost::Value StoredValue(const DescParameter& p, const Json& input, const LinkTarget& links) {
  switch (p.type) {
    case ParamType::Real: {
      const double shown = RealInput(p, input);
      // A NaN passes every range check, and an infinity every open one.
      if (!std::isfinite(shown)) RefuseFor(p, Described(input) + " is not a finite number");
      CheckRange(p, shown);
      return shown / kvhost::ShownScale(p.unit);
    }
    case ParamType::Long: {
      const std::int32_t v = LongInput(p, input);
      if (!p.cycle.empty()) {
        for (const kvhost::CycleEntry& e : p.cycle) {
          if (e.value == v) return v;
        }
        RefuseFor(p, std::to_string(v) + " is none of the choices");
      }
      CheckRange(p, v);
      return v;
    }
    case ParamType::Bool:
      if (input.is_boolean()) return input.get<bool>();
      if (input.is_string()) {
        if (const auto b = ParseBool(input.get<std::string>())) return *b;
      }
      RefuseFor(p, "expects on or off, not " + Described(input));
    case ParamType::String:
      if (!input.is_string()) RefuseFor(p, "expects text, not " + Described(input));
      if (input.get_ref<const std::string&>().size() > kMaxTextBytes) {
        RefuseFor(p, "the text is " + std::to_string(input.get_ref<const std::string&>().size()) +
                         " bytes; at most " + std::to_string(kMaxTextBytes) + " are taken");
      }
      return input.get<std::string>();
    case ParamType::Link: {
      if (input.is_null()) return static_cast<KvNode*>(nullptr);
      if (!input.is_number_integer() || input.get<std::int64_t>() < 0) {
        RefuseFor(p, "expects an object or none, not " + Described(input));
      }
      KvNode* target = links(input.get<std::uint64_t>());
      if (target == nullptr) RefuseFor(p, "there is no object #" + Described(input) + " in the document");
      return target;
    }
    case ParamType::Button:
      break;
  }
  RefuseFor(p, "is a button and holds no value");
}

}  // namespace kvtool
