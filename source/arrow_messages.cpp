// The arrow object's reactions to the host's messages: link settings pushed into the
// related objects, the buttons, and the menu preparation.
#include "arrow_links.h"
#include "arrow_presets.h"
#include "description/okeelvane.h"
#include "keelvane.h"
#include "symbols.h"

namespace {

// The arrow's Cloner: its parent, or else its grandparent (an arrow in an Extrude in a
// Cloner); null when neither is one.
BaseObject* FindCloner(BaseObject* parent, BaseObject* grandparent) {
  if (IsType(parent, Ocloner)) return parent;
  if (IsType(grandparent, Ocloner)) return grandparent;
  return nullptr;
}

void ParameterChanged(BaseObject* arrow, Int32 id) {
  BaseDocument* doc = arrow->GetDocument();
  if (doc == nullptr) return;
  BaseContainer* bc = arrow->GetDataInstance();
  BaseObject* parent = arrow->GetUp();
  BaseObject* grandparent = parent != nullptr ? parent->GetUp() : nullptr;
  BaseObject* cloner = FindCloner(parent, grandparent);

  switch (id) {
    case ARROW_EXTRUDE_CAPS:
      if (IsType(parent, Oextrude)) ApplyExtrudeCaps(doc, parent, bc->GetBool(ARROW_EXTRUDE_CAPS));
      break;
    case ARROW_CLONE_COUNT:
      if (cloner != nullptr) ApplyCloneCount(doc, cloner, bc->GetInt32(ARROW_CLONE_COUNT));
      break;
    case ARROW_CLONE_SPLINE:
      if (cloner != nullptr) ApplyCloneSpline(doc, cloner, bc->GetLink(ARROW_CLONE_SPLINE, doc, Obase));
      break;
    case ARROW_CLONE_PLANE_ZY:
      if (bc->GetBool(ARROW_CLONE_ON_SPLINE) && bc->GetLink(ARROW_CLONE_SPLINE, doc, Obase) != nullptr) {
        bc->SetInt32(PRIM_PLANE, bc->GetBool(ARROW_CLONE_PLANE_ZY) ? PRIM_PLANE_ZY : PRIM_PLANE_XY);
        arrow->Message(MSG_UPDATE);
      }
      break;
    case ARROW_CLONE_SPLINE_VALUE:
      if (cloner != nullptr) {
        ApplyCloneSplineValue(doc, cloner, bc->GetFloat(ARROW_CLONE_SPLINE_VALUE));
      }
      break;
    case ARROW_WRAP_SPLINE:
      if (BaseObject* deformer = FindWrapDeformer(arrow)) {
        ApplyWrapSpline(doc, deformer, bc->GetLink(ARROW_WRAP_SPLINE, doc, Obase));
      }
      break;
    case ARROW_WRAP_SWITCH:
      if (BaseObject* deformer = FindWrapDeformer(arrow)) {
        ApplyWrapSwitch(doc, deformer, bc->GetBool(ARROW_WRAP_SWITCH));
      }
      break;
    case ARROW_WRAP_NATURAL_INTERPOLATION:
      if (FindWrapDeformer(arrow) != nullptr) {
        doc->AddUndo(UNDOTYPE::CHANGE, arrow);
        bc->SetInt32(SPLINEOBJECT_INTERPOLATION, bc->GetBool(ARROW_WRAP_NATURAL_INTERPOLATION)
                                                     ? SPLINEOBJECT_INTERPOLATION_NATURAL
                                                     : SPLINEOBJECT_INTERPOLATION_ADAPTIVE);
        arrow->Message(MSG_UPDATE);
      }
      break;
    default:
      break;
  }
}

void ResetArrow(BaseDocument* doc, BaseObject* arrow) {
  doc->StartUndo();
  doc->AddUndo(UNDOTYPE::CHANGE, arrow);
  ResetArrowDefaults(arrow);
  arrow->Message(MSG_UPDATE);
  doc->EndUndo();
}

void MakeExtrude(BaseDocument* doc, BaseObject* arrow) {
  BaseObject* parent = arrow->GetUp();
  doc->StartUndo();
  if (parent == nullptr) {
    if (BaseObject* extrude = WrapInNewExtrude(doc, arrow)) MoveWrapDeformerInto(doc, arrow, extrude);
  } else if (!IsType(parent, Oextrude)) {
    if (BaseObject* extrude = WrapInNewExtrude(doc, arrow)) {
      MoveUnder(doc, extrude, parent);
      MoveWrapDeformerInto(doc, arrow, extrude);
      const BaseContainer* pbc = parent->GetDataInstance();
      if (IsType(parent, Ocloner) && pbc->GetInt32(CLONER_MODE) == CLONER_MODE_OBJECT &&
          pbc->GetLink(CLONER_OBJECT_LINK, doc, Obase) != nullptr) {
        TurnExtrudeToZY(arrow, extrude);
      }
    }
  }
  doc->EndUndo();
}

void MakeCloner(BaseDocument* doc, BaseObject* arrow) {
  BaseContainer* bc = arrow->GetDataInstance();
  BaseList2D* spline = bc->GetLink(ARROW_CLONE_SPLINE, doc, Obase);
  const Bool onSpline = bc->GetBool(ARROW_CLONE_ON_SPLINE);
  if (onSpline && spline == nullptr) return;
  BaseObject* parent = arrow->GetUp();
  if (IsType(parent, Ocloner) || IsType(parent != nullptr ? parent->GetUp() : nullptr, Ocloner)) return;

  doc->StartUndo();
  BaseObject* cloner = CreateCloner(doc, arrow, spline);
  if (cloner == nullptr) {
    doc->EndUndo();
    return;
  }
  const Bool turnToZY = onSpline && bc->GetBool(ARROW_CLONE_PLANE_ZY) && spline != nullptr;
  if (parent == nullptr && bc->GetBool(ARROW_CLONER_ADD_EXTRUDE)) {
    if (BaseObject* extrude = WrapInNewExtrude(doc, arrow)) {
      MoveUnder(doc, extrude, cloner);
      if (turnToZY) TurnExtrudeToZY(arrow, extrude);
    }
  } else if (parent == nullptr) {
    MoveUnder(doc, arrow, cloner);
    if (turnToZY) {
      bc->SetInt32(PRIM_PLANE, PRIM_PLANE_ZY);
      arrow->Message(MSG_UPDATE);
    }
  } else if (IsType(parent, Oextrude)) {
    MoveUnder(doc, parent, cloner);
    if (turnToZY) {
      // Only the Extrude was recorded: record the arrow before its plane changes, so that
      // the one undo step restores it too.
      doc->AddUndo(UNDOTYPE::CHANGE, arrow);
      TurnExtrudeToZY(arrow, parent);
    }
  }
  cloner->Message(MSG_UPDATE);
  doc->EndUndo();
}

void MakeWrap(BaseDocument* doc, BaseObject* arrow) {
  BaseContainer* bc = arrow->GetDataInstance();
  BaseList2D* path = bc->GetLink(ARROW_WRAP_SPLINE, doc, Obase);
  if (path == nullptr || FindWrapDeformer(arrow) != nullptr) return;

  BaseObject* deformer = BaseObject::Alloc(Osplinewrap);
  doc->StartUndo();
  if (deformer == nullptr) {
    doc->EndUndo();
    return;
  }
  BaseObject* parent = arrow->GetUp();
  Bool placed = false;
  Bool arrowRecorded = false;
  if (bc->GetBool(ARROW_WRAP_ADD_EXTRUDE)) {
    if (IsType(parent, Oextrude)) {
      deformer->InsertUnderLast(parent);
      placed = true;
    } else if (BaseObject* extrude = WrapInNewExtrude(doc, arrow)) {
      arrowRecorded = true;
      if (parent != nullptr) MoveUnder(doc, extrude, parent);
      deformer->InsertUnderLast(extrude);
      placed = true;
    }
  } else if (parent == nullptr) {
    deformer->InsertUnder(arrow);
    placed = true;
  } else if (IsType(parent, Oextrude)) {
    deformer->InsertUnderLast(parent);
    placed = true;
  }
  if (placed) doc->AddUndo(UNDOTYPE::NEWOBJ, deformer);

  BaseContainer copy(*deformer->GetDataInstance());
  copy.SetInt32(SPLINEWRAP_AXIS_SWITCH, bc->GetBool(ARROW_WRAP_SWITCH) ? 1 : 0);
  copy.SetLink(SPLINEWRAP_SPLINE, path);
  deformer->SetData(copy, true);
  deformer->Message(MSG_UPDATE);

  if (bc->GetBool(ARROW_WRAP_NATURAL_INTERPOLATION)) {
    // Unless the arrow moved into a new Extrude, the group holds no record of it yet.
    if (!arrowRecorded) doc->AddUndo(UNDOTYPE::CHANGE, arrow);
    bc->SetInt32(SPLINEOBJECT_INTERPOLATION, SPLINEOBJECT_INTERPOLATION_NATURAL);
    arrow->Message(MSG_UPDATE);
  }
  // A deformer with no place in the document must not outlive the command.
  if (!placed) BaseObject::Free(deformer);
  doc->EndUndo();
}

void ButtonPressed(ArrowObject* data, BaseObject* arrow, Int32 id) {
  BaseDocument* doc = arrow->GetDocument();
  switch (id) {
    case ARROW_PRESET_SAVE:
      SavePreset(arrow);
      return;
    case ARROW_INFO:
      MessageDialog(GeLoadString(IDS_ARROW_INFO), GEMB::ICONEXCLAMATION);
      return;
    default:
      break;
  }
  if (doc == nullptr) return;
  switch (id) {
    case ARROW_PRESET_LOAD:
      if (LoadPreset(data, arrow, doc)) arrow->Message(MSG_UPDATE);
      break;
    case ARROW_RESET:
      ResetArrow(doc, arrow);
      break;
    case ARROW_MAKE_EXTRUDE:
      MakeExtrude(doc, arrow);
      break;
    case ARROW_MAKE_CLONER:
      MakeCloner(doc, arrow);
      break;
    case ARROW_MAKE_WRAP:
      MakeWrap(doc, arrow);
      break;
    default:
      break;
  }
}

}  // namespace

Bool ArrowObject::Message(GeListNode* node, Int32 type, void* data) {
  BaseObject* arrow = static_cast<BaseObject*>(node);
  switch (type) {
    case MSG_DESCRIPTION_POSTSETPARAMETER: {
      const auto* set = static_cast<const DescriptionPostSetValue*>(data);
      if (set != nullptr && set->descid != nullptr) ParameterChanged(arrow, (*set->descid)[0].id);
      break;
    }
    case MSG_DESCRIPTION_COMMAND: {
      const auto* command = static_cast<const DescriptionCommand*>(data);
      if (command != nullptr) ButtonPressed(this, arrow, command->descId[0].id);
      break;
    }
    case MSG_MENUPREPARE: {
      const auto* doc = static_cast<const BaseDocument*>(data);
      if (doc != nullptr) arrow->GetDataInstance()->SetInt32(PRIM_PLANE, doc->GetSplinePlane());
      break;
    }
    default:
      break;
  }
  return true;
}
