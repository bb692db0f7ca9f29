// An arrow's outline as the host received it from the contour hook, and the ways the
// tool writes it: text, json, svg, csv and obj.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "json_text.h"

namespace kvtool {

struct Outline {
  bool closed = false;
  std::int32_t type = 0;  // the spline type the module allocated (0 linear)
  std::vector<KvVector> points;
  // The spline settings copied onto the spline.
  std::int32_t interpolation = 0;
  std::int32_t sub = 0;
  double angle = 0.0;
  double maximumLength = 0.0;
  // The arrow's plane (0 XY, 1 ZY, 2 XZ) and reversal, which decide how it is viewed.
  std::int32_t plane = 0;
  bool reverse = false;
};

// The formats of --format, in the order the help lists them.
const std::vector<std::string>& OutlineFormatNames();
// The outline in format (one of OutlineFormatNames).
std::string FormatOutline(const Outline& outline, std::string_view format);

std::string OutlineText(const Outline& outline);
// closed, count, type, points, the four spline settings, PRIM_PLANE and PRIM_REVERSE.
Json OutlineJsonValue(const Outline& outline);
std::string OutlineJson(const Outline& outline);  // one line, without the newline
std::string OutlineSvg(const Outline& outline);
std::string OutlineCsv(const Outline& outline);
std::string OutlineObj(const Outline& outline);

// A point seen in the outline's plane: horizontal and upward coordinates.
struct ViewPoint {
  double across = 0.0;
  double up = 0.0;
};
// ZY shows z across and y up, XZ x across and z up, XY x across and y up.
ViewPoint ViewInPlane(const KvVector& p, std::int32_t plane);

// An SVG path element of the closed outline, scaled uniformly and centred to fit the
// box (SVG coordinates, y down).
struct Box {
  double x = 0.0, y = 0.0, width = 0.0, height = 0.0;
};
std::string SvgOutlinePath(const Outline& outline, const Box& box, std::string_view style);

std::string SplineTypeName(std::int32_t type);
std::string InterpolationName(std::int32_t interpolation);
std::string PlaneName(std::int32_t plane);
// Text with &, <, > and quotes escaped for SVG.
std::string XmlEscape(std::string_view text);

}  // namespace kvtool
