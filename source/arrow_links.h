// The Extrude, Cloner and Spline Wrap objects around an arrow: making them, moving objects
// into them, and writing the arrow's link settings into them. Every operation works in the
// document that holds the arrow and records its own undo changes.
#pragma once

#include "keelvane.h"

// Host parameters of the related objects.
constexpr Int32 EXTRUDEOBJECT_MOVE = 1002;
constexpr Int32 EXTRUDEOBJECT_CAPSTART = 2000;
constexpr Int32 EXTRUDEOBJECT_CAPEND = 2001;
constexpr Int32 EXTRUDEOBJECT_STARTSTEPS = 2003;
constexpr Int32 EXTRUDEOBJECT_ENDSTEPS = 2004;
constexpr Int32 EXTRUDEOBJECT_FILLETCAPS = 2009;
constexpr Int32 CLONER_MODE = 2010;
constexpr Int32 CLONER_FIXCLONES = 1020;
constexpr Int32 CLONER_OBJECT_COUNT = 1060;
constexpr Int32 CLONER_LINEAR_COUNT = 1270;
constexpr Int32 CLONER_OBJECT_SPACING = 1063;
constexpr Int32 CLONER_OBJECT_LINK = 1015;
constexpr Int32 SPLINEWRAP_SPLINE = 1001;
constexpr Int32 SPLINEWRAP_AXIS_SWITCH = 1012;

// Cloner mode 0 clones along an object; every other value clones otherwise.
constexpr Int32 CLONER_MODE_OBJECT = 0;
constexpr Int32 CLONER_MODE_LINEAR = 1;

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
