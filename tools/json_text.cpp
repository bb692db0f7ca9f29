#include "json_text.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace kvtool {

std::string NumberText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

namespace {

// A string, integer, bool or null as nlohmann writes it (strings escaped, bytes that are
// not UTF-8 replaced).
void AppendPlain(std::string& out, const Json& j) { out += j.dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace

// A loop over a stack of open arrays and objects, not a recursion: documents such as an
// object tree are as deep as their user makes them.
std::string JsonText(const Json& document) {
  struct Open {
    const Json* value;
    Json::const_iterator next;
  };
  std::string out;
  std::vector<Open> open;
  const auto write = [&](const Json& j) {
    switch (j.type()) {
      case Json::value_t::object:
      case Json::value_t::array:
        out += j.is_object() ? '{' : '[';
        open.push_back({&j, j.cbegin()});
        break;
      case Json::value_t::number_float: {
        const double v = j.get<double>();
        // JSON has no infinities or NaN; null is what nlohmann writes for them too.
        out += std::isfinite(v) ? NumberText(v) : "null";
        break;
      }
      default:
        AppendPlain(out, j);
        break;
    }
  };
  write(document);
  while (!open.empty()) {
    Open& top = open.back();
    if (top.next == top.value->cend()) {
      out += top.value->is_object() ? '}' : ']';
      open.pop_back();
      continue;
    }
    if (top.next != top.value->cbegin()) out += ',';
    const auto item = top.next++;
    if (top.value->is_object()) {
      AppendPlain(out, Json(item.key()));
      out += ':';
    }
    write(*item);  // may open another level: top is not used after it
  }
  return out;
}

}  // namespace kvtool
