// Arrow outline geometry: the closed, straight-edged outline of an arrow,
// computed in closed form from a plain settings record.
//
// Contract of BuildArrowOutline:
// - Frame: the outline lies in the XY plane (every z is 0), along the x axis
//   with a tip towards +x, symmetric about the x axis. The single arrow runs
//   from its tail at x = -Xt to its tip at x = +Xt, Xt being half its overall
//   length; the double arrow is centred on the origin with tips at both ends.
// - Order: clockwise seen from +z (negative signed area): along the upper
//   edge from the tail to the tip, around the tip, back along the lower edge.
//   The outline is closed; the last point joins the first.
// - Symmetry: the second half is the first half mirrored (x, -y) in reverse
//   order, after a leading point on the axis where there is one (the notch
//   apex of the tail, the notch of a swept head, the inner apex of a chevron
//   head alone). The double arrow's second half is its first half reflected
//   (-x, y) in reverse order, and each of its halves is mirror-symmetric.
// - Point counts (n = 1 when tailNotch > 0, s = 1 when headSweep > 0, else 0;
//   the bevel is active when bevel is on and bevelSize > 0):
//     double arrow, solid heads                    10
//     double arrow, chevron heads                  14
//     fletched arrow with chevron head             15 + n
//     arrow with chevron head                       9 + n
//     fletched arrow, solid head                   13 + n
//     bevelled arrow (shaft, no fletching)         14 + 2n
//     plain arrow                                   7 + n
//     chevron head alone                            6
//     bevelled head alone                           6 + 2s
//     solid head alone                              3 + s
//   Never more than kMaxArrowOutlinePoints.
// - It never fails and never allocates. Values are used as given: negative
//   lengths are drawn as they come. For finite settings every point is finite
//   (a fletched shaft of zero length, a chevron wing without rise, and a
//   bevelled head of zero length and height are drawn with the degenerate
//   term taken as 0).

#pragma once

#include <array>

// One shape record, filled field by field by the caller; lengths in scene
// units, fractions as plain ratios.
struct ArrowSettings {
  double shaftLength;
  double shaftWidth;
  double headLength;
  double headWidth;        // wing overhang beyond the untapered shaft edge
  bool chevronHead;
  bool chevronSquareEnds;
  double chevronThickness; // measured along the axis
  double tailNotch;        // depth of the tail's V-notch; none unless > 0
  double taperHead;        // fraction of the half-width removed at the head
  double taperTail;        // fraction of the half-width removed at the tail
  double headSweep;        // how far the wing tips lie behind the head base
  bool hasShaft;
  bool fletching;
  double fletchingLength;
  double fletchingHeight;
  double fletchingSweep;
  double bevelSize;
  bool bevel;
  bool doubleArrow;
  double doubleShaftLength;
  double doubleShaftWidth;
};

// Three consecutive doubles, so that a run of points can be copied into (or
// rewritten inside) a host point array of the same layout.
struct ArrowPoint {
  double x;
  double y;
  double z;
};
static_assert(sizeof(ArrowPoint) == 3 * sizeof(double), "ArrowPoint must be three packed doubles");

inline constexpr int kMaxArrowOutlinePoints = 16;

// points[0] .. points[count - 1] are the outline. The builder does not write
// the storage past them (clearing it would cost as much as a whole outline).
struct ArrowOutline {
  std::array<ArrowPoint, kMaxArrowOutlinePoints> points;
  int count = 0;
};

// Computes the outline the settings describe (see the contract above).
ArrowOutline BuildArrowOutline(const ArrowSettings& settings);

// Lays an XY outline into its plane and optionally reverses it, in place.
// plane 1 (ZY) maps (x, y, z) to (-z, y, x), plane 2 (XZ) to (x, -z, y); any
// other plane leaves the points as they are. Reversal follows the plane step.
// A null array or a count of 0 or less changes nothing.
void FinishArrowSpline(ArrowPoint* points, int count, int plane, bool reverse);
