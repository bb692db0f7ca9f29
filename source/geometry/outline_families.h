// Internal to the geometry: one builder per outline family, the quantities
// the single-arrow families share, and the small point helpers they use.

#pragma once

#include "arrow_outline.h"

// Quantities shared by every single-arrow outline.
struct ShaftQuantities {
  double Ls; // shaft length
  double Lh; // head length
  double Wh; // wing overhang
  double Hs; // half shaft width
  double Xt; // x of the tip; the tail end is at -Xt
  double Xh; // x of the head base
  double Xw; // x of the wing tips
  double Yw; // y of the upper wing tip, measured from the untapered edge
  double Rt; // inset of the shaft edge at the tail end
  double Rh; // inset of the shaft edge at the head base
};

inline ShaftQuantities ShaftQuantitiesOf(const ArrowSettings& s) {
  ShaftQuantities q;
  q.Ls = s.shaftLength;
  q.Lh = s.headLength;
  q.Wh = s.headWidth;
  q.Hs = s.shaftWidth * 0.5;
  q.Xt = (q.Lh + q.Ls) * 0.5;
  q.Xh = q.Xt - q.Lh;
  q.Xw = q.Xh - s.headSweep;
  q.Yw = (2.0 * q.Wh + s.shaftWidth) * 0.5;
  q.Rt = s.shaftWidth * s.taperTail * 0.5;
  q.Rh = s.shaftWidth * s.taperHead * 0.5;
  return q;
}

// Point helpers, inline because every outline is a handful of them. Outlines
// are written front to back and never reach past the fixed storage.
inline void AddPoint(ArrowOutline& outline, double x, double y) {
  outline.points[outline.count] = ArrowPoint{x, y, 0.0};
  ++outline.count;
}

// Appends points[end - 1] down to points[first], each mirrored to (x, -y).
inline void AddMirroredReverse(ArrowOutline& outline, int first, int end) {
  for (int i = end - 1; i >= first; --i) {
    const ArrowPoint p = outline.points[i];
    AddPoint(outline, p.x, -p.y);
  }
}

// Appends points[end - 1] down to points[first], each reflected to (-x, y).
inline void AddReflectedReverse(ArrowOutline& outline, int first, int end) {
  for (int i = end - 1; i >= first; --i) {
    const ArrowPoint p = outline.points[i];
    AddPoint(outline, -p.x, p.y);
  }
}

// The tail's notch apex, only when the notch is deeper than 0.
inline void AddNotchApex(ArrowOutline& outline, const ArrowSettings& s, const ShaftQuantities& q) {
  if (s.tailNotch > 0.0) {
    AddPoint(outline, -(q.Xt - s.tailNotch), 0.0);
  }
}

// The three fin points of a fletched shaft.
void AddFins(ArrowOutline& outline, const ArrowSettings& s, const ShaftQuantities& q);

// Families, one per dispatch row.
ArrowOutline SolidDoubleArrow(const ArrowSettings& s);
ArrowOutline ChevronDoubleArrow(const ArrowSettings& s);
ArrowOutline ChevronArrow(const ArrowSettings& s, bool fletched);
ArrowOutline SolidArrow(const ArrowSettings& s, bool fletched);
ArrowOutline BevelledArrow(const ArrowSettings& s);
ArrowOutline ChevronHead(const ArrowSettings& s);
ArrowOutline BevelledHead(const ArrowSettings& s);
ArrowOutline SolidHead(const ArrowSettings& s);
