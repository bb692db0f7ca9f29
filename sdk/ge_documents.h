// Documents: their top-level objects, their undo history and their spline plane. The
// module constructs none: a pointer to one is the host's handle for that document.
#pragma once

#include "ge_objects.h"
#include "ge_types.h"

class BaseDocument {
 public:
  BaseDocument() = delete;
  BaseDocument(const BaseDocument&) = delete;
  BaseDocument& operator=(const BaseDocument&) = delete;

  // Inserts a detached object under parent after pred; both null: first at the top.
  void InsertObject(BaseObject* op, BaseObject* parent, BaseObject* pred);
  Bool StartUndo();
  Bool AddUndo(UNDOTYPE type, void* data);
  Bool EndUndo();
  // The plane new splines are made in: PRIM_PLANE_XY, _ZY or _XZ.
  Int32 GetSplinePlane() const;

  KvDocument* GetHandle() const {
    return reinterpret_cast<KvDocument*>(const_cast<BaseDocument*>(this));
  }
};
