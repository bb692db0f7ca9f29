// Parameter containers, description ids and the data of description messages.
#pragma once

#include "ge_strings.h"
#include "ge_types.h"

class BaseList2D;
class BaseDocument;

// A parameter container. A local container owns a new host container; the live container
// of an object is reached through BaseList2D::GetDataInstance and is never destroyed by
// the module. The class holds exactly one handle, so that the host's slot for an object's
// container can be used as a BaseContainer in place.
class BaseContainer {
 public:
  BaseContainer();
  BaseContainer(const BaseContainer& other);
  BaseContainer& operator=(const BaseContainer& other);
  ~BaseContainer();

  // False when the host had no memory for the container.
  Bool IsValid() const { return handle != nullptr; }

  Float GetFloat(Int32 id, Float preset = 0.0) const;
  Int32 GetInt32(Int32 id, Int32 preset = 0) const;
  Bool GetBool(Int32 id, Bool preset = false) const;
  Vector GetVector(Int32 id, const Vector& preset = Vector()) const;
  String GetString(Int32 id, const String& preset = String()) const;
  // The linked object, or null when unset, gone, or not of type instanceOf (0: any).
  BaseList2D* GetLink(Int32 id, const BaseDocument* doc, Int32 instanceOf = 0) const;

  void SetFloat(Int32 id, Float v);
  void SetInt32(Int32 id, Int32 v);
  void SetBool(Int32 id, Bool v);
  void SetVector(Int32 id, const Vector& v);
  void SetString(Int32 id, const String& v);
  void SetLink(Int32 id, BaseList2D* link);

  KvContainer* GetHandle() const { return handle; }

 private:
  KvContainer* handle;
};

struct DescLevel {
  Int32 id;
  Int32 dtype;
  Int32 creator;
};

// A description id: the path of a parameter in a description. Layout-compatible with
// KvDescId, so the host's ids are read in place.
class DescID {
 public:
  DescID() : levels{} {}
  explicit DescID(Int32 id) : levels{} {
    levels.depth = 1;
    levels.level[0].id = id;
  }
  // The level at depth i (0 = the parameter); an id of 0 beyond the depth.
  DescLevel operator[](Int32 i) const {
    if (i < 0 || i >= levels.depth) return DescLevel{0, 0, 0};
    return DescLevel{levels.level[i].id, levels.level[i].dtype, levels.level[i].creator};
  }

 private:
  KvDescId levels;
};
static_assert(sizeof(DescID) == sizeof(KvDescId), "DescID must match the host's id");

// A value as the host hands it to GetDEnabling. The module does not read it.
class GeData {
 public:
  explicit GeData(const void* hostValue = nullptr) : value(hostValue) {}
  const void* GetHandle() const { return value; }

 private:
  const void* value;
};

// Data of MSG_DESCRIPTION_POSTSETPARAMETER.
struct DescriptionPostSetValue {
  const DescID* descid;
};
static_assert(sizeof(DescriptionPostSetValue) == sizeof(KvMsgPostSetParameter));

// Data of MSG_DESCRIPTION_COMMAND.
struct DescriptionCommand {
  DescID descId;
};
static_assert(sizeof(DescriptionCommand) == sizeof(KvMsgDescriptionCommand));
