/* Bd: documents, their top-level objects and their undo history. */
#ifndef KEELVANE_SDK_KV_DOCUMENTS_H
#define KEELVANE_SDK_KV_DOCUMENTS_H

#include "kv_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Undo record types (AddUndo). */
enum {
  KV_UNDOTYPE_CHANGE = 40, /* added before an object changes or moves: a snapshot */
  KV_UNDOTYPE_NEWOBJ = 44  /* added after an object was inserted */
};

/* The planes in which splines are made (GetSplinePlane, KV_PRIM_PLANE). */
enum { KV_PLANE_XY = 0, KV_PLANE_ZY = 1, KV_PLANE_XZ = 2 };

typedef struct KvDocumentTable {
  KvTableHeader header;
  /* Inserts a detached object under parent after pred (both null: first at the top); the
     document then owns it. [main thread] */
  void (*InsertObject)(KvDocument* doc, KvNode* object, KvNode* parent, KvNode* pred);
  /* Opens an undo group (nested groups join the outer one); false: no document. [main thread] */
  bool (*StartUndo)(KvDocument* doc);
  /* Adds a KV_UNDOTYPE_* record of object; false: no document or object, or an unknown
     type. [main thread] */
  bool (*AddUndo)(KvDocument* doc, int32_t type, KvNode* object);
  /* Closes the group StartUndo opened; false: none is open. [main thread] */
  bool (*EndUndo)(KvDocument* doc);
  /* The plane (KV_PLANE_*) in which new splines are made; never fails. [main thread] */
  int32_t (*GetSplinePlane)(const KvDocument* doc);
} KvDocumentTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_DOCUMENTS_H */
