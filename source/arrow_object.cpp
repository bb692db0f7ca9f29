// The arrow object's construction, defaults and parameter enabling.
#include "description/okeelvane.h"
#include "keelvane.h"

namespace {

// 5 degrees in radians, the host's default angle limit for adaptive interpolation.
constexpr Float kDefaultSplineAngle = 0.08726646259971647;

}  // namespace

NodeData* ArrowObject::Alloc() { return NewObjClear<ArrowObject>(); }

Filename PresetFolder() {
  const Filename pluginFolder = GeGetPluginPath();
  const Filename presets = pluginFolder + Filename("presets");
  return GeFExist(presets, true) ? presets : pluginFolder;
}

Bool ArrowObject::Init(GeListNode* node) {
  presetFolder = PresetFolder();
  ResetArrowDefaults(node);
  return true;
}

void ResetArrowDefaults(GeListNode* node) {
  BaseContainer* bc = static_cast<BaseObject*>(node)->GetDataInstance();
  bc->SetFloat(ARROW_SHAFT_LENGTH, 400.0);
  bc->SetFloat(ARROW_SHAFT_WIDTH, 100.0);
  bc->SetFloat(ARROW_HEAD_LENGTH, 100.0);
  bc->SetFloat(ARROW_HEAD_WIDTH, 50.0);
  bc->SetBool(ARROW_CHEVRON_HEAD, false);
  bc->SetBool(ARROW_CHEVRON_SQUARE_ENDS, false);
  bc->SetFloat(ARROW_CHEVRON_THICKNESS, 50.0);
  bc->SetBool(ARROW_DOUBLE, false);
  bc->SetFloat(ARROW_DOUBLE_SHAFT_LENGTH, 400.0);
  bc->SetFloat(ARROW_DOUBLE_SHAFT_WIDTH, 100.0);
  bc->SetFloat(ARROW_TAIL_NOTCH, 0.0);
  bc->SetFloat(ARROW_TAPER_HEAD, 0.0);
  bc->SetFloat(ARROW_TAPER_TAIL, 0.0);
  bc->SetFloat(ARROW_HEAD_SWEEP, 0.0);
  bc->SetBool(ARROW_SHAFT, true);
  bc->SetBool(ARROW_FLETCHING, false);
  bc->SetFloat(ARROW_FLETCHING_LENGTH, 100.0);
  bc->SetFloat(ARROW_FLETCHING_HEIGHT, 50.0);
  bc->SetFloat(ARROW_FLETCHING_SWEEP, 50.0);
  bc->SetBool(ARROW_BEVEL, false);
  bc->SetFloat(ARROW_BEVEL_SIZE, 10.0);
  bc->SetBool(ARROW_BEVEL_OPTION, true);
  bc->SetInt32(ARROW_CLONE_COUNT, 3);
  bc->SetBool(ARROW_CLONE_PLANE_ZY, true);
  bc->SetFloat(ARROW_CLONE_SPLINE_VALUE, 0.0);
  bc->SetBool(ARROW_WRAP_SWITCH, true);
  bc->SetBool(ARROW_WRAP_NATURAL_INTERPOLATION, true);
  bc->SetInt32(PRIM_PLANE, 0);
  bc->SetBool(PRIM_REVERSE, false);
  bc->SetInt32(SPLINEOBJECT_INTERPOLATION, 3);
  bc->SetInt32(SPLINEOBJECT_SUB, 8);
  bc->SetFloat(SPLINEOBJECT_ANGLE, kDefaultSplineAngle);
  bc->SetFloat(SPLINEOBJECT_MAXIMUMLENGTH, 5.0);
  bc->SetString(ARROW_PRESET_NAME, String());
}

Bool ArrowObject::GetDEnabling(GeListNode* node, const DescID& id, const GeData&,
                               DESCFLAGS_ENABLE, const BaseContainer*) {
  const BaseContainer* bc = static_cast<BaseObject*>(node)->GetDataInstance();
  const Int32 interpolation = bc->GetInt32(SPLINEOBJECT_INTERPOLATION);
  switch (id[0].id) {
    case SPLINEOBJECT_SUB:
      return interpolation == SPLINEOBJECT_INTERPOLATION_NATURAL ||
             interpolation == SPLINEOBJECT_INTERPOLATION_UNIFORM;
    case SPLINEOBJECT_ANGLE:
      return interpolation == SPLINEOBJECT_INTERPOLATION_ADAPTIVE ||
             interpolation == SPLINEOBJECT_INTERPOLATION_SUBDIVIDED;
    case SPLINEOBJECT_MAXIMUMLENGTH:
      return interpolation == SPLINEOBJECT_INTERPOLATION_SUBDIVIDED;
    case ARROW_SHAFT_LENGTH:
    case ARROW_SHAFT_WIDTH:
    case ARROW_TAIL_NOTCH:
    case ARROW_TAPER_HEAD:
    case ARROW_TAPER_TAIL:
    case ARROW_FLETCHING:
      return bc->GetBool(ARROW_SHAFT) && !bc->GetBool(ARROW_DOUBLE);
    case ARROW_SHAFT:
      return !bc->GetBool(ARROW_DOUBLE);
    case ARROW_FLETCHING_LENGTH:
    case ARROW_FLETCHING_HEIGHT:
    case ARROW_FLETCHING_SWEEP:
      return bc->GetBool(ARROW_FLETCHING) && bc->GetBool(ARROW_SHAFT);
    case ARROW_CHEVRON_SQUARE_ENDS:
    case ARROW_CHEVRON_THICKNESS:
      return bc->GetBool(ARROW_CHEVRON_HEAD);
    case ARROW_DOUBLE_SHAFT_LENGTH:
    case ARROW_DOUBLE_SHAFT_WIDTH:
      return bc->GetBool(ARROW_DOUBLE);
    case ARROW_BEVEL_SIZE:
    case ARROW_BEVEL_OPTION:
      return bc->GetBool(ARROW_BEVEL);
    case ARROW_CLONE_SPLINE:
    case ARROW_CLONE_PLANE_ZY:
    case ARROW_CLONE_SPLINE_VALUE:
      return bc->GetBool(ARROW_CLONE_ON_SPLINE);
    default:
      return true;
  }
}
