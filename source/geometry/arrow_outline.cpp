// Dispatch, the fin points, and the outlines with a solid head: the plain
// arrow, the fletched arrow and the head alone.

#include "arrow_outline.h"

#include "outline_families.h"

ArrowOutline BuildArrowOutline(const ArrowSettings& s) {
  // The first matching family wins: the double arrow ignores every shaft,
  // notch, taper, fletching and bevel setting; chevron and fletched outlines
  // are never bevelled.
  const bool bevelActive = s.bevel && s.bevelSize > 0.0;
  if (s.doubleArrow) {
    return s.chevronHead ? ChevronDoubleArrow(s) : SolidDoubleArrow(s);
  }
  if (s.hasShaft) {
    if (s.chevronHead) {
      return ChevronArrow(s, s.fletching);
    }
    if (s.fletching) {
      return SolidArrow(s, true);
    }
    if (bevelActive) {
      return BevelledArrow(s);
    }
    return SolidArrow(s, false);
  }
  if (s.chevronHead) {
    return ChevronHead(s);
  }
  if (bevelActive) {
    return BevelledHead(s);
  }
  return SolidHead(s);
}

void AddFins(ArrowOutline& outline, const ArrowSettings& s, const ShaftQuantities& q) {
  const double FL = s.fletchingLength;
  const double FH = s.fletchingHeight;
  const double FS = s.fletchingSweep;
  const double Ls = q.Ls;
  const double Rt = q.Rt;
  const double Rh = q.Rh;
  // The insets interpolate the taper along the shaft; a shaft of no length
  // has nothing to interpolate along, so its fins stand untapered.
  double I1 = 0.0;
  double I2 = 0.0;
  double I3 = 0.0;
  if (Ls != 0.0) {
    I1 = Rt * (Ls + FS) / Ls;
    I2 = Rt * (Ls - FL + FS) / Ls + Rh * FL / Ls;
    I3 = Rt * (Ls - FL) / Ls + Rh * FL / Ls;
  }
  AddPoint(outline, -(q.Xt + FS), q.Hs + FH - I1);      // rear top corner
  AddPoint(outline, -(q.Xt - FL + FS), q.Hs + FH - I2); // front top corner
  AddPoint(outline, -(q.Xt - FL), q.Hs - I3);           // front foot, on the shaft edge
}

ArrowOutline SolidArrow(const ArrowSettings& s, bool fletched) {
  const ShaftQuantities q = ShaftQuantitiesOf(s);
  ArrowOutline outline;
  AddNotchApex(outline, s, q);
  const int upper = outline.count;
  AddPoint(outline, -q.Xt, q.Hs - q.Rt); // tail corner
  if (fletched) {
    AddFins(outline, s, q);
  }
  AddPoint(outline, q.Xh, q.Hs - q.Rh); // head-base corner
  AddPoint(outline, q.Xw, q.Yw);        // wing tip
  const int tip = outline.count;
  AddPoint(outline, q.Xt, 0.0);
  AddMirroredReverse(outline, upper, tip);
  return outline;
}

ArrowOutline SolidHead(const ArrowSettings& s) {
  const double F = s.headLength * 0.5;
  const double Sw = s.headSweep;
  const double Wh = s.headWidth;
  ArrowOutline outline;
  if (Sw > 0.0) {
    AddPoint(outline, -F, 0.0); // notch at the centre of the back
  }
  AddPoint(outline, -(F + Sw), Wh);
  AddPoint(outline, F, 0.0);
  AddPoint(outline, -(F + Sw), -Wh);
  return outline;
}
