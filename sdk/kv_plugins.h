/* Plug-in registration (Pl) and the callbacks of an object plug-in. */
#ifndef KEELVANE_SDK_KV_PLUGINS_H
#define KEELVANE_SDK_KV_PLUGINS_H

#include "kv_base.h"
#include "kv_objects.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Kinds of plug-in (RegisterObjectPlugin's pluginType). */
enum { KV_PLUGINTYPE_OBJECT = 5 };

/* Object plug-in info flags (KvObjectPluginRecord.info). */
enum { KV_OBJECT_GENERATOR = 4, KV_OBJECT_ISSPLINE = 128 };

/* GetDEnabling's flags. */
enum { KV_DESCFLAGS_ENABLE_NONE = 0 };

/* The callbacks of an object plug-in, called by the host; data is what Allocator returned.
   Every callback but GetContour runs on the host's main thread. */
typedef struct KvObjectPluginRecord {
  int32_t info;                /* KV_OBJECT_* flags */
  const KvString* description; /* description resource name */
  const KvBitmap* icon;        /* may be null; the host copies it */
  int32_t diskLevel;
  void* allocatorContext;      /* handed back to Allocator unchanged */
  /* New plug-in data, owned by the host until Destructor; null: out of memory. */
  void* (*Allocator)(void* allocatorContext);
  /* Releases data from Allocator. */
  void (*Destructor)(void* data);
  /* Writes the defaults into node's container; false: the object is not made. */
  bool (*Init)(void* data, KvNode* node);
  /* Answers a KV_MSG_* message with its data; the answer goes back to the sender. */
  bool (*Message)(void* data, KvNode* node, int32_t type, void* msgData);
  /* Whether parameter id is editable now (value borrowed, itemDesc may be null). */
  bool (*GetDEnabling)(void* data, KvNode* node, const KvDescId* id, const void* value,
                       int32_t flags, const KvContainer* itemDesc);
  /* Generator entry; null unless info holds KV_OBJECT_GENERATOR. A new object owned by the
     host, or null. */
  KvNode* (*GetVirtualObjects)(void* data, KvNode* op, void* hierarchyHelp);
  /* Contour entry; null unless info holds KV_OBJECT_ISSPLINE. A new spline owned by the
     host, or null. Called from worker threads: only [any thread] functions may be used. */
  KvNode* (*GetContour)(void* data, KvNode* op, KvDocument* doc, double lod, void* thread);
} KvObjectPluginRecord;

/* Pl: plug-in registration. */
typedef struct KvPluginTable {
  KvTableHeader header;
  /* Registers the description resource named name (from res) under id; false: name empty,
     or res null or without that description. [main thread] */
  bool (*RegisterDescription)(int32_t id, const KvString* name, const KvResource* res);
  /* Registers a plug-in; record (recordSize bytes) and name are copied, nothing is taken
     over; false: not an object record of the host's size, or id taken. [main thread] */
  bool (*RegisterObjectPlugin)(int32_t pluginType, int32_t id, const KvString* name,
                               const KvObjectPluginRecord* record, int32_t recordSize);
} KvPluginTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_PLUGINS_H */
