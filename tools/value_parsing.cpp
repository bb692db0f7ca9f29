#include "value_parsing.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "tool_error.h"
#include "value_text.h"

namespace kvtool {

ValueKind KindOf(kvhost::ParamType type) {
  switch (type) {
    case kvhost::ParamType::Real: return ValueKind::Float;
    case kvhost::ParamType::Long: return ValueKind::Int32;
    case kvhost::ParamType::Bool: return ValueKind::Bool;
    case kvhost::ParamType::String: return ValueKind::String;
    case kvhost::ParamType::Button: return ValueKind::Button;
    case kvhost::ParamType::Link: return ValueKind::Link;
  }
  return ValueKind::Float;
}

ValueKind KindOfHostValue(std::int32_t valueType) {
  switch (valueType) {
    case KV_VALUE_INT32: return ValueKind::Int32;
    case KV_VALUE_BOOL: return ValueKind::Bool;
    case KV_VALUE_VECTOR: return ValueKind::Vector;
    case KV_VALUE_STRING: return ValueKind::String;
    case KV_VALUE_LINK: return ValueKind::Link;
    default: return ValueKind::Float;
  }
}

const char* KindName(ValueKind kind) {
  switch (kind) {
    case ValueKind::Int32: return "int32";
    case ValueKind::Float: return "float";
    case ValueKind::Bool: return "bool";
    case ValueKind::String: return "string";
    case ValueKind::Vector: return "vector";
    case ValueKind::Link: return "link";
    case ValueKind::Button: return "button";
  }
  return "?";
}

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<double> ParseFloat(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> ParseBool(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "on" || lower == "true" || lower == "1") return true;
  if (lower == "off" || lower == "false" || lower == "0") return false;
  return std::nullopt;
}

bool SameInAnyCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

namespace {

// Edits of single letters (insert, delete, replace) from a to b, in any case.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::vector<std::string> NearestNames(std::string_view typed, const std::vector<std::string>& candidates) {
  // A third of the name may be wrong, and at least two letters.
  const std::size_t limit = std::max<std::size_t>(2, typed.size() / 3);
  std::size_t best = limit + 1;
  std::vector<std::string> nearest;
  for (const std::string& c : candidates) {
    const std::size_t d = EditDistance(typed, c);
    if (d < best) {
      best = d;
      nearest.clear();
    }
    if (d == best && nearest.size() < 3) nearest.push_back(c);
  }
  return nearest;
}

std::string DidYouMean(const std::vector<std::string>& names) {
  if (names.empty()) return "";
  std::string out = "did you mean ";
  for (std::size_t i = 0; i < names.size(); ++i) {
    out += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
  }
  return out + "?";
}

namespace {

// The value of the choice named text (its short name or its symbol, in any case).
std::optional<std::int32_t> ChoiceNamed(const kvhost::DescParameter& p, std::string_view text) {
  for (const kvhost::CycleEntry& c : p.cycle) {
    if (SameInAnyCase(text, c.symbol) || SameInAnyCase(text, ChoiceName(p, c))) return c.value;
  }
  return std::nullopt;
}

// "x,y,z" as three decimal numbers.
std::optional<KvVector> ParseVector(std::string_view text) {
  double c[3];
  for (int i = 0; i < 3; ++i) {
    const std::size_t comma = i < 2 ? text.find(',') : text.size();
    if (comma == std::string_view::npos) return std::nullopt;
    const auto v = ParseFloat(text.substr(0, comma));
    if (!v) return std::nullopt;
    c[i] = *v;
    text = i < 2 ? text.substr(comma + 1) : std::string_view();
  }
  return KvVector{c[0], c[1], c[2]};
}

const char* Expected(ValueKind kind) {
  switch (kind) {
    case ValueKind::Int32: return "an int32 (a whole decimal number)";
    case ValueKind::Float: return "a float (a decimal number)";
    case ValueKind::Bool: return "a bool (on, off, true, false, 1 or 0)";
    case ValueKind::Vector: return "a vector (x,y,z)";
    case ValueKind::Link: return "a link (the name of an object, or none)";
    default: return "a value";
  }
}

}  // namespace

Edit ParseEdit(std::string_view text, const ParameterLookup& lookup, const LinkResolver& links,
               const NameList& nearNames) {
  const std::string quoted = "'" + std::string(text) + "'";
  const std::size_t eq = text.find('=');
  if (eq == std::string_view::npos) {
    throw ToolError(kStatusBadInput, quoted + ": expected NAME=VALUE");
  }
  const std::string_view name = text.substr(0, eq);
  const std::string_view valueText = text.substr(eq + 1);
  const std::optional<ParameterRef> parameter = lookup(name);
  if (!parameter) {
    const std::string hint = nearNames ? DidYouMean(NearestNames(name, nearNames())) : "";
    throw ToolError(kStatusBadInput, "unknown parameter '" + std::string(name) + "' in " + quoted +
                                         (hint.empty() ? "" : "; " + hint));
  }
  const auto bad = [&](const std::string& why) {
    return ToolError(kStatusBadInput, parameter->name + ": " + why + " in " + quoted);
  };

  Edit edit{*parameter, {}};
  switch (parameter->kind) {
    case ValueKind::Button:
      throw bad("a button takes no value (press it instead)");
    case ValueKind::String:
      edit.value = std::string(valueText);
      return edit;
    case ValueKind::Int32:
      if (const auto v = ParseInt32(valueText)) {
        edit.value = *v;
        return edit;
      }
      if (parameter->described != nullptr && !parameter->described->cycle.empty()) {
        if (const auto v = ChoiceNamed(*parameter->described, valueText)) {
          edit.value = *v;
          return edit;
        }
        throw bad("'" + std::string(valueText) + "' is none of the choices (" +
                  ChoicesText(*parameter->described) + ")");
      }
      break;
    case ValueKind::Float:
      if (const auto v = ParseFloat(valueText)) {
        edit.value = *v;
        return edit;
      }
      break;
    case ValueKind::Bool:
      if (const auto v = ParseBool(valueText)) {
        edit.value = *v;
        return edit;
      }
      break;
    case ValueKind::Vector:
      if (const auto v = ParseVector(valueText)) {
        edit.value = *v;
        return edit;
      }
      break;
    case ValueKind::Link: {
      if (valueText == "none") {
        edit.value = static_cast<KvNode*>(nullptr);
        return edit;
      }
      bool known = false;
      KvNode* target = links ? links(valueText, &known) : nullptr;
      if (known) {
        edit.value = target;
        return edit;
      }
      if (!links) throw bad("only 'none' can be linked here (objects are named in scene scripts)");
      throw bad("no object named '" + std::string(valueText) + "'");
    }
  }
  throw bad("'" + std::string(valueText) + "' is not " + Expected(parameter->kind));
}

}  // namespace kvtool
