// Outlines with chevron heads (a bent band of constant thickness instead of a
// solid triangle) and the double arrow with either kind of head.
//
// A chevron wing is bounded by two parallel edges of slope k, the wing's rise
// over the front edge's run. A run of 0 makes k infinite, which the IEEE
// quotients already handle (x / k is 0, atan(k) is a right angle). A rise of
// 0 makes k 0 or NaN; the wing then lies along the axis and x / k and the
// angle are taken as 0, so the outline stays finite.

#include <cmath>

#include "outline_families.h"

namespace {

// x / k for a wing of slope k; 0 where the wing has no rise.
double OverSlope(double x, double k) {
  if (k == 0.0 || std::isnan(k)) {
    return 0.0;
  }
  return x / k;
}

// The wing's outer end for inner end P: parallel to the axis, or with square
// ends the foot of the perpendicular from P onto the front edge's line.
ArrowPoint WingEnd(ArrowPoint P, double T, double k, bool squareEnds) {
  if (!squareEnds) {
    return ArrowPoint{P.x + T, P.y, 0.0};
  }
  const double theta = std::isnan(k) ? 0.0 : std::atan(k);
  const double c = std::cos(theta);
  const double sn = std::sin(theta);
  return ArrowPoint{P.x + T - T * (c * c), P.y + T * sn * c, 0.0};
}

void AddPoint(ArrowOutline& outline, ArrowPoint p) {
  ::AddPoint(outline, p.x, p.y);
}

} // namespace

ArrowOutline ChevronArrow(const ArrowSettings& s, bool fletched) {
  const ShaftQuantities q = ShaftQuantitiesOf(s);
  const double T = s.chevronThickness;
  const double Sw = s.headSweep;
  const double Xb = q.Xt - q.Lh - Sw; // the wings' inner ends
  const double k = (q.Wh + q.Hs) / (q.Lh - T + Sw);
  const ArrowPoint P{Xb, q.Yw, 0.0};

  ArrowOutline outline;
  AddNotchApex(outline, s, q);
  const int upper = outline.count;
  AddPoint(outline, -q.Xt, q.Hs - q.Rt); // tail corner
  if (fletched) {
    AddFins(outline, s, q);
  }
  AddPoint(outline, Xb + OverSlope(q.Wh + q.Rh, k), q.Hs - q.Rh); // back edge meets the shaft edge
  AddPoint(outline, P);
  AddPoint(outline, WingEnd(P, T, k, s.chevronSquareEnds));
  const int tip = outline.count;
  AddPoint(outline, q.Xt, 0.0);
  AddMirroredReverse(outline, upper, tip);
  return outline;
}

ArrowOutline ChevronHead(const ArrowSettings& s) {
  const double F = s.headLength * 0.5;
  const double T = s.chevronThickness;
  const double Sw = s.headSweep;
  const double Wh = s.headWidth;
  const double k = Wh / (s.headLength - T + Sw);
  const ArrowPoint P{-(F + Sw), Wh, 0.0};
  const ArrowPoint E = s.chevronSquareEnds ? WingEnd(P, T, k, true) : ArrowPoint{-(F + Sw - T), Wh, 0.0};

  ArrowOutline outline;
  AddPoint(outline, F - T, 0.0); // the back edges meet on the axis
  AddPoint(outline, P);
  AddPoint(outline, E);
  AddPoint(outline, F, 0.0);
  AddMirroredReverse(outline, 1, 3);
  return outline;
}

ArrowOutline SolidDoubleArrow(const ArrowSettings& s) {
  const double Lh = s.headLength;
  const double Sw = s.headSweep;
  const double tipX = (2.0 * Lh + s.doubleShaftLength) * 0.5;
  const double baseX = tipX - Lh;
  const double half = s.doubleShaftWidth * 0.5;
  const double wingY = (2.0 * s.headWidth + s.doubleShaftWidth) * 0.5;

  ArrowOutline outline;
  AddPoint(outline, baseX, half); // shaft corner at the right head base
  AddPoint(outline, baseX - Sw, wingY);
  AddPoint(outline, tipX, 0.0);
  AddMirroredReverse(outline, 0, 2);
  AddReflectedReverse(outline, 0, 5);
  return outline;
}

ArrowOutline ChevronDoubleArrow(const ArrowSettings& s) {
  const double Lh = s.headLength;
  const double Wh = s.headWidth;
  const double T = s.chevronThickness;
  const double Sw = s.headSweep;
  const double tipX = (2.0 * Lh + s.doubleShaftLength) * 0.5;
  const double baseX = tipX - Lh;
  const double half = s.doubleShaftWidth * 0.5;
  const double wingY = (2.0 * Wh + s.doubleShaftWidth) * 0.5;
  const double backX = baseX - Sw;
  const double k = (Wh + half) / (Lh - T + Sw);
  const ArrowPoint P{backX, wingY, 0.0};

  ArrowOutline outline;
  AddPoint(outline, backX + OverSlope(Wh, k), half); // back edge meets the shaft edge
  AddPoint(outline, P);
  AddPoint(outline, WingEnd(P, T, k, s.chevronSquareEnds));
  AddPoint(outline, tipX, 0.0);
  AddMirroredReverse(outline, 0, 3);
  AddReflectedReverse(outline, 0, 7);
  return outline;
}
