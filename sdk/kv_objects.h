/*
 * Objects and splines: the object tree (Bl), tags (Tg) and object allocation (Bo), the
 * messages delivered to nodes, and the host's own object types and spline parameters.
 */
#ifndef KEELVANE_SDK_KV_OBJECTS_H
#define KEELVANE_SDK_KV_OBJECTS_H

#include "kv_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The host's object and tag types. */
enum {
  KV_TYPE_BASE = 5155, /* any object (a link's required type) */
  KV_TYPE_SPLINE = 5101,
  KV_TYPE_NULL = 5140,
  KV_TYPE_EXTRUDE = 5116,
  KV_TYPE_CLONER = 1018544,
  KV_TYPE_SPLINE_WRAP = 1019221,
  KV_TAG_POINT = 5600 /* a spline's points: 3 doubles each */
};

/* Spline types (AllocSpline). */
enum { KV_SPLINETYPE_LINEAR = 0 };

/* Parameters of a spline object, and those of a primitive spline generator. */
enum {
  KV_SPLINEOBJECT_INTERPOLATION = 1001,
  KV_SPLINEOBJECT_CLOSED = 1002,
  KV_SPLINEOBJECT_SUB = 1003,
  KV_SPLINEOBJECT_ANGLE = 1004,
  KV_SPLINEOBJECT_MAXIMUMLENGTH = 1005,
  KV_PRIM_PLANE = 2300,  /* KV_PLANE_* */
  KV_PRIM_REVERSE = 2301
};

/* Interpolations of a spline (KV_SPLINEOBJECT_INTERPOLATION), and the setting each reads. */
enum {
  KV_SPLINEOBJECT_INTERPOLATION_NONE = 0,
  KV_SPLINEOBJECT_INTERPOLATION_NATURAL = 1,   /* KV_SPLINEOBJECT_SUB */
  KV_SPLINEOBJECT_INTERPOLATION_UNIFORM = 2,   /* KV_SPLINEOBJECT_SUB */
  KV_SPLINEOBJECT_INTERPOLATION_ADAPTIVE = 3,  /* KV_SPLINEOBJECT_ANGLE */
  KV_SPLINEOBJECT_INTERPOLATION_SUBDIVIDED = 4 /* KV_SPLINEOBJECT_ANGLE and _MAXIMUMLENGTH */
};

/* Parameters of the Extrude, Cloner and Spline Wrap objects. */
enum {
  KV_EXTRUDEOBJECT_MOVE = 1002, /* vector: the extrusion */
  KV_EXTRUDEOBJECT_CAPSTART = 2000, /* KV_EXTRUDEOBJECT_CAP_* */
  KV_EXTRUDEOBJECT_CAPEND = 2001,   /* KV_EXTRUDEOBJECT_CAP_* */
  KV_EXTRUDEOBJECT_STARTSTEPS = 2003,
  KV_EXTRUDEOBJECT_ENDSTEPS = 2004,
  KV_EXTRUDEOBJECT_FILLETCAPS = 2009,
  KV_CLONER_MODE = 2010, /* KV_CLONER_MODE_* */
  KV_CLONER_FIXCLONES = 1020,
  KV_CLONER_OBJECT_COUNT = 1060,
  KV_CLONER_LINEAR_COUNT = 1270,
  KV_CLONER_OBJECT_SPACING = 1063,
  KV_CLONER_OBJECT_LINK = 1015, /* link: the object cloned along */
  KV_SPLINEWRAP_SPLINE = 1001,  /* link: the spline wrapped along */
  KV_SPLINEWRAP_AXIS_SWITCH = 1012
};

/* How an Extrude closes its start and its end (KV_EXTRUDEOBJECT_CAPSTART, _CAPEND). */
enum {
  KV_EXTRUDEOBJECT_CAP_PLAIN = 1,   /* a flat cap */
  KV_EXTRUDEOBJECT_CAP_FILLETED = 3 /* a flat cap behind a rounded edge of _STARTSTEPS or
                                       _ENDSTEPS steps */
};

/* Cloner modes: along an object, or in a line (every other value clones otherwise). */
enum { KV_CLONER_MODE_OBJECT = 0, KV_CLONER_MODE_LINEAR = 1 };

/* Message types delivered to a node (Message) and to its plug-in. */
enum {
  KV_MSG_UPDATE = 5,                     /* its parameters or points changed; no data */
  KV_MSG_CHANGE = 7,                     /* it changed as a whole; no data */
  KV_MSG_DESCRIPTION_POSTSETPARAMETER = 17, /* a parameter was set; KvMsgPostSetParameter */
  KV_MSG_DESCRIPTION_COMMAND = 18,       /* a button was pressed; KvMsgDescriptionCommand */
  KV_MSG_MENUPREPARE = 22                /* made from the menu; data: the KvDocument* */
};

/* One level of a description id: the parameter id, its data type and its creator. */
typedef struct KvDescLevel {
  int32_t id;
  int32_t dtype;
  int32_t creator;
} KvDescLevel;

#define KV_DESCID_MAX_DEPTH 3

typedef struct KvDescId {
  int32_t depth; /* number of valid levels, 0 to KV_DESCID_MAX_DEPTH */
  KvDescLevel level[KV_DESCID_MAX_DEPTH];
} KvDescId;

/* Data of KV_MSG_DESCRIPTION_POSTSETPARAMETER. */
typedef struct KvMsgPostSetParameter {
  const KvDescId* descid;
} KvMsgPostSetParameter;

/* Data of KV_MSG_DESCRIPTION_COMMAND. */
typedef struct KvMsgDescriptionCommand {
  KvDescId id;
} KvMsgDescriptionCommand;

/* Bl: list nodes (the object tree). */
typedef struct KvListNodeTable {
  KvTableHeader header;
  /* The parent, borrowed; null at the top or when detached. [main thread] */
  KvNode* (*GetUp)(const KvNode* node);
  /* The first child, borrowed; null when none. [main thread] */
  KvNode* (*GetDown)(const KvNode* node);
  /* The next sibling, borrowed; null when last. [main thread] */
  KvNode* (*GetNext)(const KvNode* node);
  /* The previous sibling, borrowed; null when first. [main thread] */
  KvNode* (*GetPred)(const KvNode* node);
  /* Detaches node (with its children) from its tree; the caller then owns it. [main thread] */
  void (*Remove)(KvNode* node);
  /* Inserts a detached node as the first child of parent, which then owns it. [main thread] */
  void (*InsertUnder)(KvNode* node, KvNode* parent);
  /* Inserts a detached node as the last child of parent, which then owns it. [main thread] */
  void (*InsertUnderLast)(KvNode* node, KvNode* parent);
  /* Delivers a message to node and its plug-in; the plug-in's answer, or true without one.
     [main thread; any thread for KV_MSG_UPDATE to a spline in no document] */
  bool (*Message)(KvNode* node, int32_t type, void* data);
  /* The node's type (KV_TYPE_*, KV_TAG_* or a plug-in id); never fails. [main thread] */
  int32_t (*GetType)(const KvNode* node);
  /* The document that holds node, borrowed; null when it is in none. [main thread] */
  KvDocument* (*GetDocument)(const KvNode* node);
  /* Address of the node's live container handle, borrowed, stable for the node's lifetime;
     never null. [any thread] */
  KvContainer* const* (*GetDataInstance)(KvNode* node);
} KvListNodeTable;

/* Tg: tags. */
typedef struct KvTagTable {
  KvTableHeader header;
  /* The nr-th tag of the given type on object, borrowed; null when none. [any thread] */
  KvNode* (*GetTag)(const KvNode* object, int32_t type, int32_t nr);
  /* Writable data of a variable tag (3 doubles per point for KV_TAG_POINT), borrowed; null
     when the tag has no storage. [any thread] */
  void* (*GetDataAddressW)(KvNode* tag);
  /* Number of elements of a variable tag; 0 when it has no storage. [any thread] */
  int32_t (*GetDataCount)(const KvNode* tag);
} KvTagTable;

/* Bo: objects. */
typedef struct KvObjectTable {
  KvTableHeader header;
  /* New detached object of a host type or a registered plug-in type (whose allocator and
     Init run); caller owns it until inserted; null: unknown type or failure. [main thread] */
  KvNode* (*Alloc)(int32_t type);
  /* Releases a detached object with its children; null is ignored. [main thread] */
  void (*Free)(KvNode* object);
  /* New detached spline (KV_SPLINETYPE_*) with a point tag of pointCount points; caller
     owns it; null: out of memory. [any thread] */
  KvNode* (*AllocSpline)(int32_t pointCount, int32_t splineType);
} KvObjectTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_OBJECTS_H */
