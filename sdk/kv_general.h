/*
 * Ge: the host framework's general services: memory, console lines and message boxes.
 * The three share one table, whose layout is the host's.
 */
#ifndef KEELVANE_SDK_KV_GENERAL_H
#define KEELVANE_SDK_KV_GENERAL_H

#include "kv_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Console line levels (Output). */
enum {
  KV_OUTPUT_INFO = 0,
  KV_OUTPUT_WARNING = 1,
  KV_OUTPUT_CRITICAL = 2 /* a critical diagnostic line, written with a header */
};

/* Who a console line is for (Output's audience): a sum of these. */
enum {
  KV_TARGETAUDIENCE_DEBUGGER = 2,
  KV_TARGETAUDIENCE_DEVELOPERS = 4,
  KV_TARGETAUDIENCE_USERS = 8,
  KV_TARGETAUDIENCE_ALL = 14
};

/* How a console line is decorated (Output's write-meta). */
enum { KV_WRITEMETA_DEFAULT = 1 };

/* Message box flags (MessageDialog). */
enum { KV_GEMB_OK = 0, KV_GEMB_ICONEXCLAMATION = 48 };

typedef struct KvGeneralTable {
  KvTableHeader header;
  /* New zeroed memory of size bytes; caller frees with Free; null: exhausted. [any thread] */
  void* (*Alloc)(int64_t size);
  /* Releases memory from Alloc; null is ignored. [any thread] */
  void (*Free)(void* memory);
  /* Writes one console line: text (borrowed), source file and line, audience, write-meta,
     KV_OUTPUT_* level; never fails. [main thread] */
  void (*Output)(const KvString* text, const char* file, int32_t line, int32_t audience,
                 int32_t writeMeta, int32_t level);
  /* Shows text in a modal message box with KV_GEMB_* flags; the button pressed. [main thread] */
  int32_t (*MessageDialog)(const KvString* text, int32_t flags);
} KvGeneralTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_GENERAL_H */
