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

// Messages.
constexpr Int32 MSG_UPDATE = 5;
constexpr Int32 MSG_CHANGE = 7;
constexpr Int32 MSG_DESCRIPTION_POSTSETPARAMETER = 17;
constexpr Int32 MSG_DESCRIPTION_COMMAND = 18;
constexpr Int32 MSG_MENUPREPARE = 22;

// Object, tag and description types.
constexpr Int32 Obase = 5155;
constexpr Int32 Ospline = 5101;
constexpr Int32 Onull = 5140;
constexpr Int32 Oextrude = 5116;
constexpr Int32 Ocloner = 1018544;
constexpr Int32 Osplinewrap = 1019221;
constexpr Int32 Tpoint = 5600;

// Object plug-in info flags.
constexpr Int32 OBJECT_GENERATOR = 4;
constexpr Int32 OBJECT_ISSPLINE = 128;

// Spline object parameters.
constexpr Int32 SPLINEOBJECT_INTERPOLATION = 1001;
constexpr Int32 SPLINEOBJECT_CLOSED = 1002;
constexpr Int32 SPLINEOBJECT_SUB = 1003;
constexpr Int32 SPLINEOBJECT_ANGLE = 1004;
constexpr Int32 SPLINEOBJECT_MAXIMUMLENGTH = 1005;
constexpr Int32 PRIM_PLANE = 2300;
constexpr Int32 PRIM_REVERSE = 2301;

enum class UNDOTYPE : Int32 { CHANGE = 40, NEWOBJ = 44 };
enum class FILEOPEN : Int32 { READ = 1, WRITE = 2 };
enum class FILEDIALOG : Int32 { NONE = 0, ANY = 1, IGNOREOPEN = 2 };
enum class BYTEORDER : Int32 { V_MOTOROLA = 1, V_INTEL = 2 };
enum class FILEERROR : Int32 { NONE = 0, OUTOFMEMORY = -7 };
enum class FILESELECTTYPE : Int32 { ANYTHING = 0 };
enum class FILESELECT : Int32 { LOAD = 0, SAVE = 1, DIRECTORY = 2 };
enum class GEMB : Int32 { OK = 0, ICONEXCLAMATION = 48 };
enum class TARGETAUDIENCE : Int32 { DEBUGGER = 2, DEVELOPERS = 4, USERS = 8, ALL = 14 };
enum class WRITEMETA : Int32 { DEFAULT = 1 };
enum class PLUGINTYPE : Int32 { OBJECT = 5 };
enum class SPLINETYPE : Int32 { LINEAR = 0 };
enum class DESCFLAGS_ENABLE : Int32 { NONE = 0 };

// The file type and creator codes a file is opened with when the caller has none.
constexpr Int32 FILETYPE_DEFAULT = 0;
constexpr Int32 FILECREATOR_DEFAULT = 0;

// Where a console line comes from.
struct SourceLocation {
  const char* file;
  Int32 line;
};
