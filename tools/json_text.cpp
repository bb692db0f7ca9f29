#include "json_text.h"

#include <charconv>
#include <cmath>

namespace kvtool {

std::string NumberText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

namespace {

void Append(std::string& out, const Json& j) {
  using Type = Json::value_t;
  switch (j.type()) {
    case Type::object: {
      out += '{';
      bool first = true;
      for (const auto& [key, value] : j.items()) {
        if (!first) out += ',';
        first = false;
        Append(out, Json(key));
        out += ':';
        Append(out, value);
      }
      out += '}';
      break;
    }
    case Type::array: {
      out += '[';
      for (std::size_t i = 0; i < j.size(); ++i) {
        if (i > 0) out += ',';
        Append(out, j[i]);
      }
      out += ']';
      break;
    }
    case Type::number_float: {
      const double v = j.get<double>();
      // JSON has no infinities or NaN; null is what nlohmann writes for them too.
      out += std::isfinite(v) ? NumberText(v) : "null";
      break;
    }
    default:
      // Strings (escaped; bytes that are not UTF-8 replaced), integers, bools and null.
      out += j.dump(-1, ' ', false, Json::error_handler_t::replace);
      break;
  }
}

}  // namespace

std::string JsonText(const Json& document) {
  std::string out;
  Append(out, document);
  return out;
}

}  // namespace kvtool
