// Bevelled outlines: every corner of the straight, untapered outline replaced
// by two points on its edges, the bevel size away from it.

#include <cmath>

#include "outline_families.h"

namespace {

// Angle against the axis of an edge with the given rise over run. An edge of
// no length at all (0 / 0) is taken as lying along the axis. The quotient
// keeps its sign, so a negative length turns the angle the other way.
double EdgeAngle(double rise, double run) {
  const double slope = rise / run;
  return std::isnan(slope) ? 0.0 : std::atan(slope);
}

} // namespace

ArrowOutline BevelledArrow(const ArrowSettings& s) {
  const ShaftQuantities q = ShaftQuantitiesOf(s);
  const double Xt = q.Xt;
  const double Xh = q.Xh;
  const double Yw = q.Yw;
  const double Hs = q.Hs;
  const double B = s.bevelSize;
  const double N = s.tailNotch;
  const double beta = EdgeAngle(Yw, q.Lh); // the head's front edge

  ArrowOutline outline;
  if (N > 0.0) {
    const double alpha = EdgeAngle(Hs, N); // the notch edge
    AddPoint(outline, -(Xt - N + B * std::cos(alpha)), B * std::sin(alpha));
    AddPoint(outline, -(Xt - B * std::cos(alpha)), Hs - B * std::sin(alpha));
  } else {
    AddPoint(outline, -Xt, Hs - B);
  }
  AddPoint(outline, -(Xt - B), Hs);
  AddPoint(outline, Xh - B, Hs);
  AddPoint(outline, Xh, Hs + B);
  AddPoint(outline, Xh, Yw - B);
  AddPoint(outline, Xh + B * std::cos(beta), Yw - B * std::sin(beta));
  AddPoint(outline, Xt - B * std::cos(beta), B * std::sin(beta));
  AddMirroredReverse(outline, 0, outline.count);
  return outline;
}

ArrowOutline BevelledHead(const ArrowSettings& s) {
  const double F = s.headLength * 0.5;
  const double Sw = s.headSweep;
  const double Wh = s.headWidth;
  const double B = s.bevelSize;
  const double beta = EdgeAngle(Wh, s.headLength); // the front edge

  ArrowOutline outline;
  if (Sw > 0.0) {
    AddPoint(outline, -F, B);
  }
  AddPoint(outline, -(F + Sw), Wh - B);
  AddPoint(outline, -(F - B * std::cos(beta)), Wh - B * std::sin(beta));
  AddPoint(outline, F - B * std::cos(beta), B * std::sin(beta));
  AddMirroredReverse(outline, 0, outline.count);
  return outline;
}
