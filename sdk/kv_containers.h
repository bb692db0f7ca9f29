/*
 * Bc: parameter containers, id -> typed value. A getter returns the default for a missing
 * id and for a value of another type, so getters never fail. Containers handed out by the
 * host (an object's live container) are borrowed; those from Alloc are the caller's.
 */
#ifndef KEELVANE_SDK_KV_CONTAINERS_H
#define KEELVANE_SDK_KV_CONTAINERS_H

#include "kv_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Value types of a container entry (GetType). */
enum {
  KV_VALUE_NONE = 0,
  KV_VALUE_INT32 = 1,
  KV_VALUE_FLOAT = 2,
  KV_VALUE_BOOL = 3,
  KV_VALUE_VECTOR = 4,
  KV_VALUE_STRING = 5,
  KV_VALUE_LINK = 6
};

typedef struct KvContainerTable {
  KvTableHeader header;
  /* New empty container; caller frees with Free; null: out of memory. [main thread] */
  KvContainer* (*Alloc)(void);
  /* Releases a container from Alloc; null is ignored. [main thread] */
  void (*Free)(KvContainer* c);
  /* dst becomes an exact copy of src; never fails. [main thread] */
  void (*CopyTo)(const KvContainer* src, KvContainer* dst);
  /* Every value of src is set on dst (values in src replace those in dst). [main thread] */
  void (*Merge)(KvContainer* dst, const KvContainer* src);
  /* KV_VALUE_* of id; KV_VALUE_NONE when absent. [any thread] */
  int32_t (*GetType)(const KvContainer* c, int32_t id);
  /* Removes id; false when it was absent. [main thread] */
  bool (*Remove)(KvContainer* c, int32_t id);
  /* The float at id, or def. [any thread] */
  double (*GetFloat)(const KvContainer* c, int32_t id, double def);
  /* The int32 at id, or def. [any thread] */
  int32_t (*GetInt32)(const KvContainer* c, int32_t id, int32_t def);
  /* The bool at id, or def. [any thread] */
  bool (*GetBool)(const KvContainer* c, int32_t id, bool def);
  /* The vector at id, or def. [any thread] */
  KvVector (*GetVector)(const KvContainer* c, int32_t id, KvVector def);
  /* New string with the value at id (or a copy of def); caller frees; null: out of memory.
     [main thread] */
  KvString* (*GetString)(const KvContainer* c, int32_t id, const KvString* def);
  /* The linked object, borrowed; null when unset, gone from its document, or not of type
     instanceOf (0 and KV_TYPE_BASE accept any object). doc may be null. [main thread] */
  KvNode* (*GetLink)(const KvContainer* c, int32_t id, KvDocument* doc, int32_t instanceOf);
  /* Sets id to a float; never fails. [any thread] */
  void (*SetFloat)(KvContainer* c, int32_t id, double v);
  /* Sets id to an int32; never fails. [any thread] */
  void (*SetInt32)(KvContainer* c, int32_t id, int32_t v);
  /* Sets id to a bool; never fails. [any thread] */
  void (*SetBool)(KvContainer* c, int32_t id, bool v);
  /* Sets id to a vector; never fails. [any thread] */
  void (*SetVector)(KvContainer* c, int32_t id, KvVector v);
  /* Sets id to a copy of v (v stays the caller's). [main thread] */
  void (*SetString)(KvContainer* c, int32_t id, const KvString* v);
  /* Links id to node (not owned); a null node stores an empty link. [main thread] */
  void (*SetLink)(KvContainer* c, int32_t id, KvNode* node);
} KvContainerTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_CONTAINERS_H */
