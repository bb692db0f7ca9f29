// The Extrude, Cloner and Spline Wrap objects around an arrow: making them, moving objects
// into them, and writing the arrow's link settings into them. Every operation works in the
// document that holds the arrow and records its own undo changes.
#pragma once

#include "keelvane.h"

// Whether op is an object of type; false for null.
Bool IsType(const BaseObject* op, Int32 type);

// The first Spline Wrap deformer among the arrow's children, then its preceding siblings
// (nearest first), then its following siblings; null when there is none.
BaseObject* FindWrapDeformer(BaseObject* arrow);

// Moves object to be the first child of newParent, recording the move.
void MoveUnder(BaseDocument* doc, BaseObject* object, BaseObject* newParent);

// Puts the arrow into a new Extrude at the top of the document; null when none was made.
BaseObject* WrapInNewExtrude(BaseDocument* doc, BaseObject* arrow);

// Moves the arrow's Spline Wrap deformer, if any, to be the Extrude's last child.
void MoveWrapDeformerInto(BaseDocument* doc, BaseObject* arrow, BaseObject* extrude);

// A new Cloner at the top of the document set up from the arrow's clone settings; null
// when none was made.
BaseObject* CreateCloner(BaseDocument* doc, BaseObject* arrow, BaseList2D* spline);

// Lays the arrow into the ZY plane and turns the Extrude's movement to match. Records
// nothing: callers run it inside their undo group.
void TurnExtrudeToZY(BaseObject* arrow, BaseObject* extrude);

void ApplyExtrudeCaps(BaseDocument* doc, BaseObject* extrude, Bool on);
void ApplyCloneCount(BaseDocument* doc, BaseObject* cloner, Int32 count);
void ApplyCloneSplineValue(BaseDocument* doc, BaseObject* cloner, Float value);
void ApplyCloneSpline(BaseDocument* doc, BaseObject* cloner, BaseList2D* spline);
void ApplyWrapSpline(BaseDocument* doc, BaseObject* deformer, BaseList2D* spline);
void ApplyWrapSwitch(BaseDocument* doc, BaseObject* deformer, Bool on);
