// The contour hook: the object's parameters become a new closed linear host spline.
#include <cmath>
#include <cstring>

#include "arrow_outline.h"
#include "description/okeelvane.h"
#include "keelvane.h"

static_assert(sizeof(ArrowPoint) == sizeof(Vector), "outline points are copied as host points");

namespace {

ArrowSettings ReadArrowSettings(const BaseContainer& bc) {
  ArrowSettings s;
  s.shaftLength = bc.GetFloat(ARROW_SHAFT_LENGTH);
  s.shaftWidth = bc.GetFloat(ARROW_SHAFT_WIDTH);
  s.headLength = bc.GetFloat(ARROW_HEAD_LENGTH);
  s.headWidth = bc.GetFloat(ARROW_HEAD_WIDTH);
  s.chevronHead = bc.GetBool(ARROW_CHEVRON_HEAD);
  s.chevronSquareEnds = bc.GetBool(ARROW_CHEVRON_SQUARE_ENDS);
  s.chevronThickness = bc.GetFloat(ARROW_CHEVRON_THICKNESS);
  s.tailNotch = bc.GetFloat(ARROW_TAIL_NOTCH);
  s.taperHead = bc.GetFloat(ARROW_TAPER_HEAD);
  s.taperTail = bc.GetFloat(ARROW_TAPER_TAIL);
  s.headSweep = bc.GetFloat(ARROW_HEAD_SWEEP);
  s.hasShaft = bc.GetBool(ARROW_SHAFT);
  s.fletching = bc.GetBool(ARROW_FLETCHING);
  s.fletchingLength = bc.GetFloat(ARROW_FLETCHING_LENGTH);
  s.fletchingHeight = bc.GetFloat(ARROW_FLETCHING_HEIGHT);
  s.fletchingSweep = bc.GetFloat(ARROW_FLETCHING_SWEEP);
  s.bevelSize = bc.GetFloat(ARROW_BEVEL_SIZE);
  s.bevel = bc.GetBool(ARROW_BEVEL);
  s.doubleArrow = bc.GetBool(ARROW_DOUBLE);
  s.doubleShaftLength = bc.GetFloat(ARROW_DOUBLE_SHAFT_LENGTH);
  s.doubleShaftWidth = bc.GetFloat(ARROW_DOUBLE_SHAFT_WIDTH);
  return s;
}

// Huge parameter values overflow the outline's sums and products even where every
// division is guarded; a contour with an infinite or NaN point is no contour at all.
Bool IsFinite(const ArrowOutline& outline) {
  for (Int32 i = 0; i < outline.count; ++i) {
    const ArrowPoint& p = outline.points[static_cast<size_t>(i)];
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  }
  return true;
}

}  // namespace

SplineObject* ArrowObject::GetContour(BaseObject* op, BaseDocument*, Float, BaseThread*) {
  const BaseContainer* bc = op->GetDataInstance();
  const ArrowOutline outline = BuildArrowOutline(ReadArrowSettings(*bc));
  if (!IsFinite(outline)) return nullptr;

  SplineObject* spline = SplineObject::Alloc(outline.count, SPLINETYPE::LINEAR);
  if (spline == nullptr) return nullptr;

  BaseContainer* sbc = spline->GetDataInstance();
  sbc->SetBool(SPLINEOBJECT_CLOSED, true);
  Vector* points = spline->GetPointW();
  if (points != nullptr) {
    std::memcpy(static_cast<void*>(points), outline.points.data(),
                sizeof(ArrowPoint) * static_cast<size_t>(outline.count));
  }
  spline->Message(MSG_UPDATE);

  sbc->SetInt32(SPLINEOBJECT_INTERPOLATION, bc->GetInt32(SPLINEOBJECT_INTERPOLATION));
  sbc->SetInt32(SPLINEOBJECT_SUB, bc->GetInt32(SPLINEOBJECT_SUB));
  sbc->SetFloat(SPLINEOBJECT_ANGLE, bc->GetFloat(SPLINEOBJECT_ANGLE));
  sbc->SetFloat(SPLINEOBJECT_MAXIMUMLENGTH, bc->GetFloat(SPLINEOBJECT_MAXIMUMLENGTH));

  const Bool reverse = bc->GetBool(PRIM_REVERSE);
  const Int32 plane = bc->GetInt32(PRIM_PLANE);
  if (points != nullptr) {
    FinishArrowSpline(reinterpret_cast<ArrowPoint*>(points), spline->GetPointCount(), plane,
                      reverse);
    spline->Message(MSG_UPDATE);
  }
  return spline;
}
