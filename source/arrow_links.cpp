#include "arrow_links.h"

#include "description/okeelvane.h"

Bool IsType(const BaseObject* op, Int32 type) { return op != nullptr && op->GetType() == type; }

namespace {

// The steps of the rounded edge of a filleted cap.
constexpr Int32 kCapFilletSteps = 5;

void SetCapsOn(BaseContainer& bc) {
  bc.SetInt32(EXTRUDEOBJECT_CAPSTART, EXTRUDEOBJECT_CAP_FILLETED);
  bc.SetInt32(EXTRUDEOBJECT_CAPEND, EXTRUDEOBJECT_CAP_FILLETED);
  bc.SetInt32(EXTRUDEOBJECT_STARTSTEPS, kCapFilletSteps);
  bc.SetInt32(EXTRUDEOBJECT_ENDSTEPS, kCapFilletSteps);
  bc.SetBool(EXTRUDEOBJECT_FILLETCAPS, true);
}

// Records a change of op, writes the changed copy back merging, and sends the message.
void CommitCopy(BaseDocument* doc, BaseObject* op, const BaseContainer& copy, Int32 message) {
  if (!copy.IsValid()) return;  // the host had no memory for the copy: change nothing
  doc->AddUndo(UNDOTYPE::CHANGE, op);
  op->SetData(copy, true);
  op->Message(message);
}

Bool ClonesAlongObject(const BaseContainer& cloner) {
  return cloner.GetInt32(CLONER_MODE) == CLONER_MODE_OBJECT;
}

}  // namespace

BaseObject* FindWrapDeformer(BaseObject* arrow) {
  for (BaseObject* op = arrow->GetDown(); op != nullptr; op = op->GetNext()) {
    if (IsType(op, Osplinewrap)) return op;
  }
  for (BaseObject* op = arrow->GetPred(); op != nullptr; op = op->GetPred()) {
    if (IsType(op, Osplinewrap)) return op;
  }
  for (BaseObject* op = arrow->GetNext(); op != nullptr; op = op->GetNext()) {
    if (IsType(op, Osplinewrap)) return op;
  }
  return nullptr;
}

void MoveUnder(BaseDocument* doc, BaseObject* object, BaseObject* newParent) {
  doc->AddUndo(UNDOTYPE::CHANGE, object);
  object->Remove();
  doc->AddUndo(UNDOTYPE::CHANGE, object);
  object->InsertUnder(newParent);
}

BaseObject* WrapInNewExtrude(BaseDocument* doc, BaseObject* arrow) {
  BaseObject* extrude = BaseObject::Alloc(Oextrude);
  if (extrude == nullptr) return nullptr;
  doc->InsertObject(extrude, nullptr, nullptr);
  doc->AddUndo(UNDOTYPE::NEWOBJ, extrude);
  if (arrow->GetDataInstance()->GetBool(ARROW_EXTRUDE_CAPS)) {
    // The new object's own container, written directly: a copy could fail for want of
    // memory and leave the Extrude made without its caps.
    SetCapsOn(*extrude->GetDataInstance());
    extrude->Message(MSG_UPDATE);
  }
  MoveUnder(doc, arrow, extrude);
  return extrude;
}

void MoveWrapDeformerInto(BaseDocument* doc, BaseObject* arrow, BaseObject* extrude) {
  BaseObject* deformer = FindWrapDeformer(arrow);
  if (deformer == nullptr) return;
  doc->AddUndo(UNDOTYPE::CHANGE, deformer);
  deformer->Remove();
  doc->AddUndo(UNDOTYPE::CHANGE, deformer);
  deformer->InsertUnderLast(extrude);
}

BaseObject* CreateCloner(BaseDocument* doc, BaseObject* arrow, BaseList2D* spline) {
  BaseObject* cloner = BaseObject::Alloc(Ocloner);
  if (cloner == nullptr) return nullptr;
  doc->InsertObject(cloner, nullptr, nullptr);
  doc->AddUndo(UNDOTYPE::NEWOBJ, cloner);
  const BaseContainer* bc = arrow->GetDataInstance();
  // The new object's own container, written directly: a copy could fail for want of
  // memory and leave the Cloner made without its settings.
  BaseContainer& settings = *cloner->GetDataInstance();
  if (bc->GetBool(ARROW_CLONE_ON_SPLINE)) {
    settings.SetInt32(CLONER_MODE, CLONER_MODE_OBJECT);
    settings.SetInt32(CLONER_FIXCLONES, 1);
    settings.SetInt32(CLONER_OBJECT_COUNT, bc->GetInt32(ARROW_CLONE_COUNT));
    settings.SetFloat(CLONER_OBJECT_SPACING, bc->GetFloat(ARROW_CLONE_SPLINE_VALUE));
    settings.SetLink(CLONER_OBJECT_LINK, spline);
  } else {
    settings.SetInt32(CLONER_MODE, CLONER_MODE_LINEAR);
    settings.SetInt32(CLONER_FIXCLONES, 1);
    settings.SetInt32(CLONER_LINEAR_COUNT, bc->GetInt32(ARROW_CLONE_COUNT));
  }
  return cloner;
}

void TurnExtrudeToZY(BaseObject* arrow, BaseObject* extrude) {
  arrow->GetDataInstance()->SetInt32(PRIM_PLANE, PRIM_PLANE_ZY);
  arrow->Message(MSG_UPDATE);
  BaseContainer* ebc = extrude->GetDataInstance();  // directly, as for the new Cloner
  const Vector move = ebc->GetVector(EXTRUDEOBJECT_MOVE);
  ebc->SetVector(EXTRUDEOBJECT_MOVE, Vector(move.z, move.y, 0.0));
  extrude->Message(MSG_UPDATE);
}

void ApplyExtrudeCaps(BaseDocument* doc, BaseObject* extrude, Bool on) {
  BaseContainer copy(*extrude->GetDataInstance());
  if (on) {
    SetCapsOn(copy);
  } else {
    copy.SetInt32(EXTRUDEOBJECT_CAPSTART, EXTRUDEOBJECT_CAP_PLAIN);
    copy.SetInt32(EXTRUDEOBJECT_CAPEND, EXTRUDEOBJECT_CAP_PLAIN);
  }
  CommitCopy(doc, extrude, copy, MSG_CHANGE);
}

void ApplyCloneCount(BaseDocument* doc, BaseObject* cloner, Int32 count) {
  BaseContainer copy(*cloner->GetDataInstance());
  copy.SetInt32(ClonesAlongObject(copy) ? CLONER_OBJECT_COUNT : CLONER_LINEAR_COUNT, count);
  CommitCopy(doc, cloner, copy, MSG_UPDATE);
}

void ApplyCloneSplineValue(BaseDocument* doc, BaseObject* cloner, Float value) {
  BaseContainer copy(*cloner->GetDataInstance());
  if (!ClonesAlongObject(copy)) return;
  copy.SetFloat(CLONER_OBJECT_SPACING, value);
  CommitCopy(doc, cloner, copy, MSG_UPDATE);
}

void ApplyCloneSpline(BaseDocument* doc, BaseObject* cloner, BaseList2D* spline) {
  BaseContainer copy(*cloner->GetDataInstance());
  if (!ClonesAlongObject(copy)) return;
  copy.SetLink(CLONER_OBJECT_LINK, spline);
  CommitCopy(doc, cloner, copy, MSG_UPDATE);
}

void ApplyWrapSpline(BaseDocument* doc, BaseObject* deformer, BaseList2D* spline) {
  BaseContainer copy(*deformer->GetDataInstance());
  copy.SetLink(SPLINEWRAP_SPLINE, spline);
  CommitCopy(doc, deformer, copy, MSG_CHANGE);
}

void ApplyWrapSwitch(BaseDocument* doc, BaseObject* deformer, Bool on) {
  BaseContainer copy(*deformer->GetDataInstance());
  copy.SetInt32(SPLINEWRAP_AXIS_SWITCH, on ? 1 : 0);
  CommitCopy(doc, deformer, copy, MSG_CHANGE);
}
