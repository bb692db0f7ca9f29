/*
 * The table boundary between the host and a plug-in module, gathered: the host and the
 * SDK include this one header. Each concept has its own header; kv_base.h states what
 * they share (versioning, ownership, threads).
 */
#ifndef KEELVANE_SDK_HOST_TABLES_H
#define KEELVANE_SDK_HOST_TABLES_H

#include "kv_base.h"       /* layout version, table header, handles, vectors */
#include "kv_containers.h" /* Bc: parameter containers */
#include "kv_documents.h"  /* Bd: documents and undo */
#include "kv_entry.h"      /* c4d_main, its actions and results, the record, g_maxon */
#include "kv_files.h"      /* Fn, Fl, Bf: file names, file system and dialogs, streams */
#include "kv_general.h"    /* Ge: memory, console lines, message boxes */
#include "kv_objects.h"    /* Bl, Tg, Bo: object tree, tags, objects and splines; messages */
#include "kv_plugins.h"    /* Pl: registration and an object plug-in's callbacks */
#include "kv_resources.h"  /* Lr, Bm: module resources and bitmaps */
#include "kv_strings.h"    /* St: strings */

#endif /* KEELVANE_SDK_HOST_TABLES_H */
