/* St: the host's immutable UTF-8 strings. */
#ifndef KEELVANE_SDK_KV_STRINGS_H
#define KEELVANE_SDK_KV_STRINGS_H

#include "kv_base.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct KvStringTable {
  KvTableHeader header;
  /* New string from length bytes of UTF-8 (length < 0: up to the zero byte); caller frees;
     null: out of memory or not valid UTF-8. [main thread] */
  KvString* (*Alloc)(const char* utf8, int64_t length);
  /* Releases a string; null is ignored. [main thread] */
  void (*Free)(KvString* s);
  /* New copy of s (null reads as empty); caller frees; null: out of memory. [main thread] */
  KvString* (*Copy)(const KvString* s);
  /* Number of UTF-8 bytes of s; copies at most capacity of them into buffer (may be null,
     no terminator written); -1: the host cannot produce the bytes. [main thread] */
  int64_t (*GetUtf8)(const KvString* s, char* buffer, int64_t capacity);
  /* 0 when equal, <0 or >0 by byte order otherwise; never fails. [main thread] */
  int32_t (*Compare)(const KvString* a, const KvString* b);
} KvStringTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_STRINGS_H */
