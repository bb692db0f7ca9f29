/*
 * What every header of the table boundary between the host and a plug-in module shares.
 *
 * Only plain C crosses: opaque handles, fixed-size integers, doubles, bools and structs of
 * them. No C++ object and no exception crosses.
 *
 * Versioning: every sub-table is a KvTableHeader followed by function pointers only, none
 * of them null. A module checks the layout version, the size and the functions of each
 * table it uses before it calls anything; the host checks the layout version that the
 * module's record (g_maxon) declares before it calls the entry point. A mismatch is
 * reported, never called into.
 *
 * Ownership: a function that returns a new handle says "new"; the caller releases it with
 * the matching Free. Handles not said to be new are borrowed from the host.
 * Strings: a null KvString* is accepted wherever a string is read and means "empty".
 *
 * Threads: the host calls a plug-in's GetContour from worker threads, everything else of
 * the plug-in (entry point, Init, Message, GetDEnabling, ...) on its main thread. Each
 * function below says where it may be called: "[any thread]" functions are the ones the
 * contour path uses and are safe from a worker thread; "[main thread]" ones are not.
 */
#ifndef KEELVANE_SDK_KV_BASE_H
#define KEELVANE_SDK_KV_BASE_H

#include <stdbool.h>
#include <stdint.h>
#include <string.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Incremented whenever a table's layout or a function's meaning changes. */
#define KV_TABLE_LAYOUT_VERSION 1u

typedef struct KvTableHeader {
  uint32_t layoutVersion; /* KV_TABLE_LAYOUT_VERSION of the host that filled the table */
  uint32_t size;          /* sizeof the table struct as the host compiled it */
} KvTableHeader;

/* Opaque handles owned by the host. */
typedef struct KvNode KvNode;           /* an object or tag; may sit in a document's tree */
typedef struct KvDocument KvDocument;   /* a document: object tree, undo history, settings */
typedef struct KvContainer KvContainer; /* a parameter container: id -> typed value */
typedef struct KvString KvString;       /* an immutable UTF-8 string */
typedef struct KvFilename KvFilename;   /* a path */
typedef struct KvFile KvFile;           /* a typed file stream */
typedef struct KvBitmap KvBitmap;       /* a loaded image */
typedef struct KvResource KvResource;   /* a module's loaded resource folder */

typedef struct KvVector {
  double x, y, z;
} KvVector;

/* The place of the first null function of a table that is size bytes long (a header, then
   function pointers), counted from 0 after the header; -1 when every one is set. */
static inline int KvFirstNullFunction(const KvTableHeader* table, uint32_t size) {
  typedef void (*KvFunction)(void);
  if (size <= sizeof(KvTableHeader)) return -1;
  const unsigned char* functions = (const unsigned char*)table + sizeof(KvTableHeader);
  const uint32_t count = (uint32_t)((size - sizeof(KvTableHeader)) / sizeof(KvFunction));
  for (uint32_t i = 0; i < count; ++i) {
    KvFunction f = 0;
    memcpy(&f, functions + i * sizeof(KvFunction), sizeof f);
    if (f == 0) return (int)i;
  }
  return -1;
}

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_BASE_H */
