/*
 * The entry protocol: the module's exported entry point c4d_main and data symbols, the
 * actions the host calls it with, and the record of sub-tables handed over at action 1.
 * The host calls c4d_main on its main thread, one action at a time.
 */
#ifndef KEELVANE_SDK_KV_ENTRY_H
#define KEELVANE_SDK_KV_ENTRY_H

#include "kv_base.h"
#include "kv_containers.h"
#include "kv_documents.h"
#include "kv_files.h"
#include "kv_general.h"
#include "kv_objects.h"
#include "kv_plugins.h"
#include "kv_resources.h"
#include "kv_strings.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The actions of c4d_main(action, first, second, third). */
enum {
  KV_ACTION_INIT_SYSTEM = 1, /* first: const KvHostTables*; third: the module's KvFilename */
  KV_ACTION_START = 2,       /* register the plug-ins */
  KV_ACTION_END = 3,         /* matches one KV_ACTION_INIT_SYSTEM; the last one releases */
  KV_ACTION_PROBE = 4,       /* no work; answered KV_RESULT_PROBE */
  KV_ACTION_MESSAGE = 6      /* plug-in message: first is the id (KV_PLUGINMESSAGE_*) */
};

/* What c4d_main answers. */
enum {
  KV_RESULT_OK = 1,
  KV_RESULT_FAILED = 0,       /* KV_ACTION_START: the registration failed */
  KV_RESULT_UNHANDLED = -1,   /* an unknown action, or a plug-in message answered false */
  KV_RESULT_REFUSED = -3,     /* KV_ACTION_INIT_SYSTEM: host too old, no module path, or
                                 tables the module calls missing or of another layout */
  KV_RESULT_PROBE = 5
};

/* Host API versions (KvHostTables.apiVersion): the lowest a module of each platform
   flavour accepts at KV_ACTION_INIT_SYSTEM. */
enum {
  KV_MIN_API_VERSION_WINDOWS = 2024900,
  KV_MIN_API_VERSION_MACOS = 2025200
};

/* Plug-in message ids of KV_ACTION_MESSAGE. */
enum {
  KV_PLUGINMESSAGE_NONE = 0,          /* nothing to do */
  KV_PLUGINMESSAGE_LOAD_RESOURCES = 1 /* load the module's resources */
};

/* A table the module does not call into; present so that no pointer is null. */
typedef struct KvUnusedTable {
  KvTableHeader header;
} KvUnusedTable;

/* The sub-tables of the host's record, in record order: X(name, table type) for each. The
   13 of a type of their own are the ones the module calls; the others are KvUnusedTable.
   The record's members are t_C4DOS_<name>. */
#define KV_HOST_SUBTABLES(X)                                                              \
  X(Ge, KvGeneralTable)    /* memory, console lines, message boxes */                    \
  X(Sh, KvUnusedTable)                                                                    \
  X(Hf, KvUnusedTable)                                                                    \
  X(Bc, KvContainerTable)  /* parameter containers */                                    \
  X(St, KvStringTable)     /* strings */                                                 \
  X(Bm, KvBitmapTable)     /* bitmaps */                                                 \
  X(Ms, KvUnusedTable)                                                                    \
  X(Ba, KvUnusedTable)                                                                    \
  X(Fn, KvFilenameTable)   /* paths */                                                   \
  X(Fl, KvFileSystemTable) /* the file system and file dialogs */                        \
  X(Bf, KvFileTable)       /* file streams */                                            \
  X(Cd, KvUnusedTable)                                                                    \
  X(Cu, KvUnusedTable)                                                                    \
  X(Pr, KvUnusedTable)                                                                    \
  X(Lr, KvResourceTable)   /* module resources */                                        \
  X(Bl, KvListNodeTable)   /* the object tree */                                         \
  X(Tg, KvTagTable)        /* tags */                                                    \
  X(Bo, KvObjectTable)     /* objects and splines */                                     \
  X(Bd, KvDocumentTable)   /* documents and undo */                                      \
  X(Bt, KvUnusedTable)                                                                    \
  X(Mt, KvUnusedTable)                                                                    \
  X(Tx, KvUnusedTable)                                                                    \
  X(Bs, KvUnusedTable)                                                                    \
  X(Bu, KvUnusedTable)                                                                    \
  X(Br, KvUnusedTable)                                                                    \
  X(Bv, KvUnusedTable)                                                                    \
  X(Nb, KvUnusedTable)                                                                    \
  X(Pl, KvPluginTable)     /* plug-in registration */                                    \
  X(Fi, KvUnusedTable)                                                                    \
  X(Pa, KvUnusedTable)                                                                    \
  X(Ln, KvUnusedTable)                                                                    \
  X(Gv, KvUnusedTable)                                                                    \
  X(Gd, KvUnusedTable)                                                                    \
  X(At, KvUnusedTable)                                                                    \
  X(CA, KvUnusedTable)                                                                    \
  X(Ne, KvUnusedTable)                                                                    \
  X(FL, KvUnusedTable)

/* The record handed over at KV_ACTION_INIT_SYSTEM, borrowed for the module's lifetime:
   the host's API version and the sub-table pointers of KV_HOST_SUBTABLES. */
typedef struct KvHostTables {
  int32_t apiVersion;
#define KV_SUBTABLE_MEMBER(name, type) type* t_C4DOS_##name;
  KV_HOST_SUBTABLES(KV_SUBTABLE_MEMBER)
#undef KV_SUBTABLE_MEMBER
} KvHostTables;

/* Each sub-table's place in the record (KV_SUBTABLE_Ge is 0), and their number. */
enum {
#define KV_SUBTABLE_INDEX(name, type) KV_SUBTABLE_##name,
  KV_HOST_SUBTABLES(KV_SUBTABLE_INDEX)
#undef KV_SUBTABLE_INDEX
  KV_HOST_SUBTABLE_COUNT
};

/* The module record exported as g_maxon. The framework's static registration fills it
   before the host calls c4d_main. */
typedef struct KvModuleRecord {
  uint64_t frameworkVersion[2]; /* framework version the module was built against */
  uint32_t layoutVersion;       /* KV_TABLE_LAYOUT_VERSION the module was built with */
  uint32_t registrationCount;   /* framework entries registered at load */
  const char* identifier;       /* reverse-domain module identifier; null until registered */
} KvModuleRecord;

/* The entry point, exported as c4d_main: one KV_ACTION_*, a KV_RESULT_* back. */
typedef int32_t (*KvModuleMain)(int32_t action, intptr_t first, void* second, void* third);

/* Exported as g_CpuYieldDelegate. */
typedef void (*KvCpuYieldDelegate)(void);

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_ENTRY_H */
