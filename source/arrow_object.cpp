// The arrow object's construction, defaults and parameter enabling.
#include "arrow_parameters.h"
#include "description/okeelvane.h"
#include "keelvane.h"

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

void WriteArrowDefault(BaseContainer& bc, const ArrowParameter& p) {
  switch (p.kind) {
    case kFloatParameter:
      bc.SetFloat(p.id, p.defaultValue);
      break;
    case kBoolParameter:
      bc.SetBool(p.id, p.defaultValue != 0.0);
      break;
    case kInt32Parameter:
      bc.SetInt32(p.id, static_cast<Int32>(p.defaultValue));
      break;
    case kStringParameter:
      bc.SetString(p.id, String());
      break;
    case kLinkParameter:
    case kButtonParameter:
      break;
  }
}

void ResetArrowDefaults(GeListNode* node) {
  BaseContainer* bc = static_cast<BaseObject*>(node)->GetDataInstance();
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.reset) WriteArrowDefault(*bc, p);
  }
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
