// Lays an outline from the XY plane into the object's plane and reverses it,
// in place on the finished spline's points.

#include <utility>

#include "arrow_outline.h"

void FinishArrowSpline(ArrowPoint* points, int count, int plane, bool reverse) {
  if (points == nullptr || count <= 0) {
    return;
  }
  for (int i = 0; i < count; ++i) {
    const ArrowPoint p = points[i];
    if (plane == 1) {
      points[i] = ArrowPoint{-p.z, p.y, p.x}; // ZY: the tip points towards +z
    } else if (plane == 2) {
      points[i] = ArrowPoint{p.x, -p.z, p.y}; // XZ: the outline's y becomes z
    }
  }
  if (reverse) {
    for (int i = 0, j = count - 1; i < j; ++i, --j) {
      std::swap(points[i], points[j]);
    }
  }
}
