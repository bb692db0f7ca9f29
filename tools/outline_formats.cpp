#include "outline_formats.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <limits>

#include "json_text.h"
#include "tool_error.h"

namespace kvtool {

const std::vector<std::string>& OutlineFormatNames() {
  static const std::vector<std::string> names{"text", "json", "svg", "csv", "obj"};
  return names;
}

std::string FormatOutline(const Outline& outline, std::string_view format) {
  if (format == "json") return OutlineJson(outline) + "\n";
  if (format == "svg") return OutlineSvg(outline);
  if (format == "csv") return OutlineCsv(outline);
  if (format == "obj") return OutlineObj(outline);
  if (format == "text") return OutlineText(outline);
  throw ToolError(kStatusBadInput, "unknown format '" + std::string(format) + "'");
}

// The module makes linear splines only; any other type shows as unknown beside its number.
std::string SplineTypeName(std::int32_t type) {
  return type == KV_SPLINETYPE_LINEAR ? "linear" : "unknown";
}

std::string InterpolationName(std::int32_t interpolation) {
  switch (interpolation) {
    case KV_SPLINEOBJECT_INTERPOLATION_NONE: return "none";
    case KV_SPLINEOBJECT_INTERPOLATION_NATURAL: return "natural";
    case KV_SPLINEOBJECT_INTERPOLATION_UNIFORM: return "uniform";
    case KV_SPLINEOBJECT_INTERPOLATION_ADAPTIVE: return "adaptive";
    case KV_SPLINEOBJECT_INTERPOLATION_SUBDIVIDED: return "subdivided";
    default: return "unknown";
  }
}

std::string PlaneName(std::int32_t plane) {
  switch (plane) {
    case KV_PLANE_XY: return "XY";
    case KV_PLANE_ZY: return "ZY";
    case KV_PLANE_XZ: return "XZ";
    default: return "unknown";
  }
}

std::string XmlEscape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string OutlineText(const Outline& outline) {
  std::vector<std::array<std::string, 4>> rows{{"#", "x", "y", "z"}};
  for (std::size_t i = 0; i < outline.points.size(); ++i) {
    const KvVector& p = outline.points[i];
    rows.push_back({std::to_string(i), ShownText(p.x), ShownText(p.y), ShownText(p.z)});
  }
  std::array<std::size_t, 4> width{};
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < 4; ++c) width[c] = std::max(width[c], row[c].size());
  }

  std::string out = "outline: " + std::to_string(outline.points.size()) + " points, " +
                    (outline.closed ? "closed" : "open") + "\n";
  out += "spline: type " + std::to_string(outline.type) + " (" + SplineTypeName(outline.type) +
         "), interpolation " + std::to_string(outline.interpolation) + " (" +
         InterpolationName(outline.interpolation) + "), sub " + std::to_string(outline.sub) +
         ", angle " + ShownText(outline.angle) + ", maximum length " +
         ShownText(outline.maximumLength) + "\n";
  out += "plane: " + std::to_string(outline.plane) + " (" + PlaneName(outline.plane) +
         "), reverse " + (outline.reverse ? "on" : "off") + "\n";
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < 4; ++c) {
      line += std::string(width[c] - row[c].size() + 2, ' ') + row[c];
    }
    out += line + "\n";
  }
  return out;
}

Json OutlineJsonValue(const Outline& outline) {
  Json points = Json::array();
  for (const KvVector& p : outline.points) points.push_back({p.x, p.y, p.z});
  Json j;
  j["closed"] = outline.closed;
  j["count"] = outline.points.size();
  j["type"] = outline.type;
  j["points"] = std::move(points);
  j["SPLINEOBJECT_INTERPOLATION"] = outline.interpolation;
  j["SPLINEOBJECT_SUB"] = outline.sub;
  j["SPLINEOBJECT_ANGLE"] = outline.angle;
  j["SPLINEOBJECT_MAXIMUMLENGTH"] = outline.maximumLength;
  j["PRIM_PLANE"] = outline.plane;
  j["PRIM_REVERSE"] = outline.reverse;
  return j;
}

std::string OutlineJson(const Outline& outline) { return JsonText(OutlineJsonValue(outline)); }

std::string OutlineCsv(const Outline& outline) {
  std::string out = "index,x,y,z\n";
  for (std::size_t i = 0; i < outline.points.size(); ++i) {
    const KvVector& p = outline.points[i];
    out += std::to_string(i) + "," + DataNumberText(p.x) + "," + DataNumberText(p.y) + "," +
           DataNumberText(p.z) + "\n";
  }
  return out;
}

std::string OutlineObj(const Outline& outline) {
  std::string out = "# arrow outline, " + std::to_string(outline.points.size()) + " points\n";
  out += "o arrow\n";
  for (const KvVector& p : outline.points) {
    out += "v " + DataNumberText(p.x) + " " + DataNumberText(p.y) + " " + DataNumberText(p.z) + "\n";
  }
  if (!outline.points.empty()) {
    out += "l";
    for (std::size_t i = 1; i <= outline.points.size(); ++i) out += " " + std::to_string(i);
    if (outline.closed) out += " 1";
    out += "\n";
  }
  return out;
}

ViewPoint ViewInPlane(const KvVector& p, std::int32_t plane) {
  switch (plane) {
    case 1: return {p.z, p.y};
    case 2: return {p.x, p.z};
    default: return {p.x, p.y};
  }
}

namespace {

// Two decimals are finer than any screen shows; a value that rounds to zero is written 0.
std::string Coordinate(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.2f", v);
  return std::strcmp(buffer, "-0.00") == 0 ? "0.00" : buffer;
}

}  // namespace

std::string SvgOutlinePath(const Outline& outline, const Box& box, std::string_view style) {
  if (outline.points.empty()) return "";
  double minA = std::numeric_limits<double>::max(), maxA = -minA;
  double minU = minA, maxU = -minA;
  for (const KvVector& p : outline.points) {
    const ViewPoint v = ViewInPlane(p, outline.plane);
    minA = std::min(minA, v.across);
    maxA = std::max(maxA, v.across);
    minU = std::min(minU, v.up);
    maxU = std::max(maxU, v.up);
  }
  const double spanA = maxA - minA, spanU = maxU - minU;
  double scale = 1.0;
  if (spanA > 0.0 && spanU > 0.0) {
    scale = std::min(box.width / spanA, box.height / spanU);
  } else if (spanA > 0.0 || spanU > 0.0) {
    scale = spanA > 0.0 ? box.width / spanA : box.height / spanU;
  }
  const double cx = box.x + box.width / 2, cy = box.y + box.height / 2;
  const double midA = (minA + maxA) / 2, midU = (minU + maxU) / 2;

  std::string d;
  for (const KvVector& p : outline.points) {
    const ViewPoint v = ViewInPlane(p, outline.plane);
    d += (d.empty() ? "M " : " L ") + Coordinate(cx + (v.across - midA) * scale) + " " +
         Coordinate(cy - (v.up - midU) * scale);
  }
  if (outline.closed) d += " Z";
  return "<path d=\"" + d + "\" " + std::string(style) + "/>";
}

std::string OutlineSvg(const Outline& outline) {
  constexpr double kWidth = 800, kHeight = 600, kMargin = 40;
  const std::string plane = PlaneName(outline.plane);
  const std::string across = outline.plane == 1 ? "z" : "x";
  const std::string up = outline.plane == 2 ? "z" : "y";
  std::string out =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"600\" "
      "viewBox=\"0 0 800 600\">\n";
  out += "  <title>Arrow outline, " + std::to_string(outline.points.size()) + " points, " +
         plane + " plane (" + across + " across, " + up + " up)</title>\n";
  out += "  <rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  out += "  " +
         SvgOutlinePath(outline, Box{kMargin, kMargin, kWidth - 2 * kMargin, kHeight - 2 * kMargin},
                        "fill=\"#3b6ea5\" stroke=\"#1d3a5c\" stroke-width=\"2\" "
                        "stroke-linejoin=\"round\"") +
         "\n";
  out += "  <text x=\"12\" y=\"590\" font-family=\"sans-serif\" font-size=\"14\" fill=\"#555\">" +
         XmlEscape(plane + " plane: " + across + " across, " + up + " up") + "</text>\n";
  out += "</svg>\n";
  return out;
}

}  // namespace kvtool
