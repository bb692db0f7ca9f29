// Basic types, enumerations and ids of the host SDK.
#pragma once

#include <cstdint>

#include "host_tables.h"

using Int32 = std::int32_t;
using UInt32 = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using Int = std::int64_t;
using Float = double;
using Float32 = float;
using Float64 = double;
using Bool = bool;
using Char = char;

// Layout-compatible with KvVector: the host's point arrays are arrays of these.
struct Vector {
  Float x = 0.0;
  Float y = 0.0;
  Float z = 0.0;
  constexpr Vector() = default;
  constexpr Vector(Float vx, Float vy, Float vz) : x(vx), y(vy), z(vz) {}
  constexpr bool operator==(const Vector&) const = default;
};
static_assert(sizeof(Vector) == sizeof(KvVector), "Vector must match the host's vector");

// The host's numbers as the SDK spells them; each value is defined once, in the C
// boundary headers.

// Messages.
constexpr Int32 MSG_UPDATE = KV_MSG_UPDATE;
constexpr Int32 MSG_CHANGE = KV_MSG_CHANGE;
constexpr Int32 MSG_DESCRIPTION_POSTSETPARAMETER = KV_MSG_DESCRIPTION_POSTSETPARAMETER;
constexpr Int32 MSG_DESCRIPTION_COMMAND = KV_MSG_DESCRIPTION_COMMAND;
constexpr Int32 MSG_MENUPREPARE = KV_MSG_MENUPREPARE;

// Object, tag and description types.
constexpr Int32 Obase = KV_TYPE_BASE;
constexpr Int32 Ospline = KV_TYPE_SPLINE;
constexpr Int32 Onull = KV_TYPE_NULL;
constexpr Int32 Oextrude = KV_TYPE_EXTRUDE;
constexpr Int32 Ocloner = KV_TYPE_CLONER;
constexpr Int32 Osplinewrap = KV_TYPE_SPLINE_WRAP;
constexpr Int32 Tpoint = KV_TAG_POINT;

// Object plug-in info flags.
constexpr Int32 OBJECT_GENERATOR = KV_OBJECT_GENERATOR;
constexpr Int32 OBJECT_ISSPLINE = KV_OBJECT_ISSPLINE;

// Spline object parameters.
constexpr Int32 SPLINEOBJECT_INTERPOLATION = KV_SPLINEOBJECT_INTERPOLATION;
constexpr Int32 SPLINEOBJECT_CLOSED = KV_SPLINEOBJECT_CLOSED;
constexpr Int32 SPLINEOBJECT_SUB = KV_SPLINEOBJECT_SUB;
constexpr Int32 SPLINEOBJECT_ANGLE = KV_SPLINEOBJECT_ANGLE;
constexpr Int32 SPLINEOBJECT_MAXIMUMLENGTH = KV_SPLINEOBJECT_MAXIMUMLENGTH;
constexpr Int32 PRIM_PLANE = KV_PRIM_PLANE;
constexpr Int32 PRIM_REVERSE = KV_PRIM_REVERSE;

// Extrude, Cloner and Spline Wrap parameters.
constexpr Int32 EXTRUDEOBJECT_MOVE = KV_EXTRUDEOBJECT_MOVE;
constexpr Int32 EXTRUDEOBJECT_CAPSTART = KV_EXTRUDEOBJECT_CAPSTART;
constexpr Int32 EXTRUDEOBJECT_CAPEND = KV_EXTRUDEOBJECT_CAPEND;
constexpr Int32 EXTRUDEOBJECT_STARTSTEPS = KV_EXTRUDEOBJECT_STARTSTEPS;
constexpr Int32 EXTRUDEOBJECT_ENDSTEPS = KV_EXTRUDEOBJECT_ENDSTEPS;
constexpr Int32 EXTRUDEOBJECT_FILLETCAPS = KV_EXTRUDEOBJECT_FILLETCAPS;
constexpr Int32 CLONER_MODE = KV_CLONER_MODE;
constexpr Int32 CLONER_MODE_OBJECT = KV_CLONER_MODE_OBJECT;
constexpr Int32 CLONER_MODE_LINEAR = KV_CLONER_MODE_LINEAR;
constexpr Int32 CLONER_FIXCLONES = KV_CLONER_FIXCLONES;
constexpr Int32 CLONER_OBJECT_COUNT = KV_CLONER_OBJECT_COUNT;
constexpr Int32 CLONER_LINEAR_COUNT = KV_CLONER_LINEAR_COUNT;
constexpr Int32 CLONER_OBJECT_SPACING = KV_CLONER_OBJECT_SPACING;
constexpr Int32 CLONER_OBJECT_LINK = KV_CLONER_OBJECT_LINK;
constexpr Int32 SPLINEWRAP_SPLINE = KV_SPLINEWRAP_SPLINE;
constexpr Int32 SPLINEWRAP_AXIS_SWITCH = KV_SPLINEWRAP_AXIS_SWITCH;

enum class UNDOTYPE : Int32 { CHANGE = KV_UNDOTYPE_CHANGE, NEWOBJ = KV_UNDOTYPE_NEWOBJ };
enum class FILEOPEN : Int32 { READ = KV_FILEOPEN_READ, WRITE = KV_FILEOPEN_WRITE };
enum class FILEDIALOG : Int32 {
  NONE = KV_FILEDIALOG_NONE,
  ANY = KV_FILEDIALOG_ANY,
  IGNOREOPEN = KV_FILEDIALOG_IGNOREOPEN
};
enum class BYTEORDER : Int32 { V_MOTOROLA = KV_BYTEORDER_MOTOROLA, V_INTEL = KV_BYTEORDER_INTEL };
enum class FILEERROR : Int32 { NONE = KV_FILEERROR_NONE, OUTOFMEMORY = KV_FILEERROR_OUTOFMEMORY };
enum class FILESELECTTYPE : Int32 { ANYTHING = KV_FILESELECTTYPE_ANYTHING };
enum class FILESELECT : Int32 {
  LOAD = KV_FILESELECT_LOAD,
  SAVE = KV_FILESELECT_SAVE,
  DIRECTORY = KV_FILESELECT_DIRECTORY
};
enum class GEMB : Int32 { OK = KV_GEMB_OK, ICONEXCLAMATION = KV_GEMB_ICONEXCLAMATION };
enum class TARGETAUDIENCE : Int32 {
  DEBUGGER = KV_TARGETAUDIENCE_DEBUGGER,
  DEVELOPERS = KV_TARGETAUDIENCE_DEVELOPERS,
  USERS = KV_TARGETAUDIENCE_USERS,
  ALL = KV_TARGETAUDIENCE_ALL
};
enum class WRITEMETA : Int32 { DEFAULT = KV_WRITEMETA_DEFAULT };
enum class PLUGINTYPE : Int32 { OBJECT = KV_PLUGINTYPE_OBJECT };
enum class SPLINETYPE : Int32 { LINEAR = KV_SPLINETYPE_LINEAR };
enum class DESCFLAGS_ENABLE : Int32 { NONE = KV_DESCFLAGS_ENABLE_NONE };

// The file type and creator codes a file is opened with when the caller has none.
constexpr Int32 FILETYPE_DEFAULT = KV_FILETYPE_DEFAULT;
constexpr Int32 FILECREATOR_DEFAULT = KV_FILECREATOR_DEFAULT;

// Where a console line comes from.
struct SourceLocation {
  const char* file;
  Int32 line;
};
