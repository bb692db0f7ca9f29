// The contour hook: the object's parameters become a new closed linear host spline.
#include <cmath>
#include <cstring>

#include "arrow_outline.h"
#include "arrow_parameters.h"
#include "keelvane.h"

static_assert(sizeof(ArrowPoint) == sizeof(Vector), "outline points are copied as host points");

namespace {

// Every field of the record from the parameter that fills it; a parameter missing from
// the container reads as 0 or off.
ArrowSettings ReadArrowSettings(const BaseContainer& bc) {
  ArrowSettings s{};
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.length != nullptr) s.*p.length = bc.GetFloat(p.id);
    if (p.flag != nullptr) s.*p.flag = bc.GetBool(p.id);
  }
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
