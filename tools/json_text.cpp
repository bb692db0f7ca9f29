#include "json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

namespace kvtool {

std::string NumberText(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

namespace {

bool HeldBySingle(double value) {
  return std::fabs(value) <= std::numeric_limits<float>::max() &&
         static_cast<double>(static_cast<float>(value)) == value;
}

}  // namespace

double ShownNumber(double stored, double scale) {
  if (!std::isfinite(stored)) return stored;
  if (stored == 0.0) return 0.0;
  const bool single = HeldBySingle(stored);
  const double shown = stored * scale;
  // The fewest significant digits whose decimal goes back to the stored value; %.*g rounds
  // correctly, so when any decimal of that length goes back, this one does.
  for (int digits = 1; digits <= std::numeric_limits<double>::max_digits10; ++digits) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*g", digits, shown);
    // strtod, unlike stod, takes a subnormal result as it is.
    const double candidate = std::strtod(text, nullptr);
    const double back = candidate / scale;
    const bool same = single ? std::fabs(back) <= std::numeric_limits<float>::max() &&
                                   static_cast<double>(static_cast<float>(back)) == stored
                             : back == stored;
    if (same) return candidate;
  }
  return shown;
}

std::string ShownText(double stored, double scale) { return NumberText(ShownNumber(stored, scale)); }

std::string DataNumberText(double value) { return NumberText(value == 0.0 ? 0.0 : value); }

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
