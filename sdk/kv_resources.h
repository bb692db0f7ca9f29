/* Module resources (Lr: string tables and descriptions of a resource folder) and bitmaps
   (Bm). */
#ifndef KEELVANE_SDK_KV_RESOURCES_H
#define KEELVANE_SDK_KV_RESOURCES_H

#include "kv_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Lr: module resources. */
typedef struct KvResourceTable {
  KvTableHeader header;
  /* New handle on the string table and descriptions of a resource folder; caller frees;
     null: the folder cannot be loaded. [main thread] */
  KvResource* (*Load)(const KvFilename* folder);
  /* Releases a handle from Load; null is ignored. [main thread] */
  void (*Free)(KvResource* res);
  /* New string with resource string id; caller frees; null: there is none. [main thread] */
  KvString* (*LoadString)(const KvResource* res, int32_t id);
} KvResourceTable;

/* Bm: bitmaps. */
typedef struct KvBitmapTable {
  KvTableHeader header;
  /* New bitmap read from an image file at the given pixel ratio; caller frees; null: the
     file is missing or unreadable, or out of memory. [main thread] */
  KvBitmap* (*Load)(const KvFilename* file, double pixelRatio);
  /* Releases a bitmap from Load; null is ignored. [main thread] */
  void (*Free)(KvBitmap* bitmap);
  /* Width in pixels; never fails. [main thread] */
  int32_t (*GetWidth)(const KvBitmap* bitmap);
  /* Height in pixels; never fails. [main thread] */
  int32_t (*GetHeight)(const KvBitmap* bitmap);
} KvBitmapTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_RESOURCES_H */
