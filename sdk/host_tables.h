/*
 * The table boundary between the host and a plug-in module.
 *
 * The host hands a module one record at entry (action 1 of c4d_main): its API version
 * followed by 37 sub-table pointers. Every host service the module uses is one call
 * through these tables. Only plain C crosses: opaque handles, fixed-size integers,
 * doubles, bools and structs of them. No C++ object and no exception crosses.
 *
 * Versioning: every sub-table starts with a KvTableHeader. A module checks the layout
 * version and the size of each table it uses before it calls anything; the host checks
 * the layout version that the module's record (g_maxon) declares before it calls the
 * entry point. A mismatch is reported, never called into.
 *
 * Ownership: a function that returns a new handle says so; the caller releases it with
 * the matching Free. Handles that are not said to be new are borrowed.
 * Strings: a null KvString* is accepted wherever a string is read and means "empty".
 */
#ifndef KEELVANE_SDK_HOST_TABLES_H
#define KEELVANE_SDK_HOST_TABLES_H

#include <stdbool.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Incremented whenever a table's layout or a function's meaning changes. */
#define KV_TABLE_LAYOUT_VERSION 1u

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

/* One level of a description id: the parameter id, its data type and its creator. */
typedef struct KvDescLevel {
  int32_t id;
  int32_t dtype;
  int32_t creator;
} KvDescLevel;

#define KV_DESCID_MAX_DEPTH 3

typedef struct KvDescId {
  int32_t depth; /* number of valid levels, 0 to KV_DESCID_MAX_DEPTH */
  KvDescLevel level[KV_DESCID_MAX_DEPTH];
} KvDescId;

/* Data of message 17 (a parameter was set). */
typedef struct KvMsgPostSetParameter {
  const KvDescId* descid;
} KvMsgPostSetParameter;

/* Data of message 18 (a button was pressed). */
typedef struct KvMsgDescriptionCommand {
  KvDescId id;
} KvMsgDescriptionCommand;

/* Data of message 22 (menu preparation) is the KvDocument* the object will go into. */

/* Value types of a container entry (KvContainerTable.GetType). */
enum {
  KV_VALUE_NONE = 0,
  KV_VALUE_INT32 = 1,
  KV_VALUE_FLOAT = 2,
  KV_VALUE_BOOL = 3,
  KV_VALUE_VECTOR = 4,
  KV_VALUE_STRING = 5,
  KV_VALUE_LINK = 6
};

/* Console line levels (KvGeneralTable.Output). */
enum {
  KV_OUTPUT_INFO = 0,
  KV_OUTPUT_WARNING = 1,
  KV_OUTPUT_CRITICAL = 2 /* a critical diagnostic line, written with a header */
};

typedef struct KvTableHeader {
  uint32_t layoutVersion; /* KV_TABLE_LAYOUT_VERSION of the host that filled the table */
  uint32_t size;          /* sizeof the table struct as the host compiled it */
} KvTableHeader;

/* A table the module does not call into; present so that no pointer is null. */
typedef struct KvUnusedTable {
  KvTableHeader header;
} KvUnusedTable;

/* Ge: general services of the host framework. */
typedef struct KvGeneralTable {
  KvTableHeader header;
  /* Framework memory: size bytes, zeroed; null when exhausted. Release with Free. */
  void* (*Alloc)(int64_t size);
  /* Releases memory from Alloc; null is ignored. */
  void (*Free)(void* memory);
  /* Writes one console line: text, source file and line, audience, write-meta, level. */
  void (*Output)(const KvString* text, const char* file, int32_t line, int32_t audience,
                 int32_t writeMeta, int32_t level);
  /* Shows text in a modal message box with the given flags; returns the button pressed. */
  int32_t (*MessageDialog)(const KvString* text, int32_t flags);
} KvGeneralTable;

/* St: strings. */
typedef struct KvStringTable {
  KvTableHeader header;
  /* New string from length bytes of UTF-8 (length < 0: up to the zero byte); null when
     out of memory or the bytes are not valid UTF-8. */
  KvString* (*Alloc)(const char* utf8, int64_t length);
  /* Releases a string; null is ignored. */
  void (*Free)(KvString* s);
  /* New copy of s (null reads as empty); null when out of memory. */
  KvString* (*Copy)(const KvString* s);
  /* Number of UTF-8 bytes of s; copies at most capacity of them into buffer (may be null,
     no terminator written). -1 when the host cannot produce the bytes. */
  int64_t (*GetUtf8)(const KvString* s, char* buffer, int64_t capacity);
  /* 0 when equal, <0 or >0 by byte order otherwise. */
  int32_t (*Compare)(const KvString* a, const KvString* b);
} KvStringTable;

/* Bc: parameter containers. A getter returns the default for a missing id and for a value
   of another type. */
typedef struct KvContainerTable {
  KvTableHeader header;
  /* New empty container; null when out of memory. */
  KvContainer* (*Alloc)(void);
  void (*Free)(KvContainer* c);
  /* dst becomes an exact copy of src. */
  void (*CopyTo)(const KvContainer* src, KvContainer* dst);
  /* Every value of src is set on dst (values in src replace those in dst). */
  void (*Merge)(KvContainer* dst, const KvContainer* src);
  int32_t (*GetType)(const KvContainer* c, int32_t id); /* KV_VALUE_*; NONE when absent */
  bool (*Remove)(KvContainer* c, int32_t id);           /* false when absent */
  double (*GetFloat)(const KvContainer* c, int32_t id, double def);
  int32_t (*GetInt32)(const KvContainer* c, int32_t id, int32_t def);
  bool (*GetBool)(const KvContainer* c, int32_t id, bool def);
  KvVector (*GetVector)(const KvContainer* c, int32_t id, KvVector def);
  /* New string with the value (or a copy of def); caller frees; null when out of memory. */
  KvString* (*GetString)(const KvContainer* c, int32_t id, const KvString* def);
  /* The linked object, borrowed; null when unset, when the object is gone from its
     document, or when instanceOf is not 0 and the object is not of that type
     (5155 accepts any object). doc may be null. */
  KvNode* (*GetLink)(const KvContainer* c, int32_t id, KvDocument* doc, int32_t instanceOf);
  void (*SetFloat)(KvContainer* c, int32_t id, double v);
  void (*SetInt32)(KvContainer* c, int32_t id, int32_t v);
  void (*SetBool)(KvContainer* c, int32_t id, bool v);
  void (*SetVector)(KvContainer* c, int32_t id, KvVector v);
  void (*SetString)(KvContainer* c, int32_t id, const KvString* v);
  /* Links id to node; a null node stores an empty link. */
  void (*SetLink)(KvContainer* c, int32_t id, KvNode* node);
} KvContainerTable;

/* Bm: bitmaps. */
typedef struct KvBitmapTable {
  KvTableHeader header;
  /* New bitmap read from an image file at the given pixel ratio; null when the file is
     missing or unreadable. */
  KvBitmap* (*Load)(const KvFilename* file, double pixelRatio);
  void (*Free)(KvBitmap* bitmap);
  int32_t (*GetWidth)(const KvBitmap* bitmap);
  int32_t (*GetHeight)(const KvBitmap* bitmap);
} KvBitmapTable;

/* Fn: path objects. */
typedef struct KvFilenameTable {
  KvTableHeader header;
  /* New empty path; null when out of memory. */
  KvFilename* (*Alloc)(void);
  void (*Free)(KvFilename* fn);
  void (*CopyTo)(const KvFilename* src, KvFilename* dst);
  void (*SetString)(KvFilename* fn, const KvString* path);
  /* New string with the path; caller frees. */
  KvString* (*GetString)(const KvFilename* fn);
  bool (*IsPopulated)(const KvFilename* fn);
  /* fn becomes fn joined with component (component's own folders included). */
  void (*Add)(KvFilename* fn, const KvFilename* component);
  /* out becomes the folder part (everything before the last separator) of fn. */
  void (*GetDirectory)(const KvFilename* fn, KvFilename* out);
  /* out becomes the file part (after the last separator) of fn. */
  void (*GetFile)(const KvFilename* fn, KvFilename* out);
  /* Replaces the folder part of fn, keeping its file part. */
  void (*SetDirectory)(KvFilename* fn, const KvFilename* dir);
  /* Replaces the file part of fn, keeping its folder part. */
  void (*SetFile)(KvFilename* fn, const KvFilename* file);
  /* True when fn's suffix (after the last dot of its file part) equals suffix, ignoring
     case. */
  bool (*CheckSuffix)(const KvFilename* fn, const KvString* suffix);
  /* Gives fn the suffix, replacing any other. */
  void (*SetSuffix)(KvFilename* fn, const KvString* suffix);
} KvFilenameTable;

/* Fl: the file system and file dialogs. */
typedef struct KvFileSystemTable {
  KvTableHeader header;
  /* True when a file (isDirectory false) or a folder (true) exists at fn. */
  bool (*Exists)(const KvFilename* fn, bool isDirectory);
  /* Shows a modal file dialog starting at fn (folder and file part); on true fn holds the
     chosen path; false when the user cancelled. */
  bool (*FileSelect)(KvFilename* fn, int32_t type, int32_t mode, const KvString* title,
                     const KvString* forceSuffix);
} KvFileSystemTable;

/* Bf: typed file streams. Reads and writes are false on failure; the first failure sets
   the file's error, which the host reports to the user unless the open mode asked it not
   to (see Open). */
typedef struct KvFileTable {
  KvTableHeader header;
  /* New closed file object; null when out of memory. */
  KvFile* (*Alloc)(void);
  /* Closes the file if open and releases the object; null is ignored. */
  void (*Free)(KvFile* f);
  /* mode: 1 read, 2 write (creates or truncates); errorDialog: 2 = stay silent when the
     open itself fails; byteOrder: 1 = big-endian. */
  bool (*Open)(KvFile* f, const KvFilename* fn, int32_t mode, int32_t errorDialog,
               int32_t byteOrder, int32_t type, int32_t creator);
  bool (*Close)(KvFile* f);
  int32_t (*GetError)(const KvFile* f); /* 0 none; -7 out of memory; other negatives: I/O */
  void (*SetError)(KvFile* f, int32_t error);
  int64_t (*GetLength)(const KvFile* f);   /* bytes in the file; -1 when not open */
  int64_t (*GetPosition)(const KvFile* f); /* current offset; -1 when not open */
  bool (*ReadInt32)(KvFile* f, int32_t* v);
  bool (*ReadFloat32)(KvFile* f, float* v);
  bool (*ReadBool)(KvFile* f, bool* v);
  /* Int32 N then N bytes, the last of which is skipped; *out becomes a new string (caller
     frees; null for an empty string). */
  bool (*ReadString)(KvFile* f, KvString** out);
  bool (*WriteInt32)(KvFile* f, int32_t v);
  bool (*WriteFloat32)(KvFile* f, float v);
  bool (*WriteBool)(KvFile* f, bool v);
  /* Int32 (UTF-8 length + 1), the UTF-8 bytes, one zero byte. */
  bool (*WriteString)(KvFile* f, const KvString* s);
} KvFileTable;

/* Lr: module resources. */
typedef struct KvResourceTable {
  KvTableHeader header;
  /* Loads the string table and descriptions of a resource folder; new handle, or null when
     the folder cannot be loaded. */
  KvResource* (*Load)(const KvFilename* folder);
  void (*Free)(KvResource* res);
  /* New string with resource string id; null when there is none. */
  KvString* (*LoadString)(const KvResource* res, int32_t id);
} KvResourceTable;

/* Bl: list nodes (the object tree). Navigation returns borrowed nodes or null. */
typedef struct KvListNodeTable {
  KvTableHeader header;
  KvNode* (*GetUp)(const KvNode* node);
  KvNode* (*GetDown)(const KvNode* node);
  KvNode* (*GetNext)(const KvNode* node);
  KvNode* (*GetPred)(const KvNode* node);
  /* Detaches node (with its children) from its tree; the caller then owns it. */
  void (*Remove)(KvNode* node);
  /* Inserts a detached node as the first / last child of parent. */
  void (*InsertUnder)(KvNode* node, KvNode* parent);
  void (*InsertUnderLast)(KvNode* node, KvNode* parent);
  /* Delivers a message to node (and to its plug-in, if any); the plug-in's answer, or true. */
  bool (*Message)(KvNode* node, int32_t type, void* data);
  int32_t (*GetType)(const KvNode* node);
  /* The document that holds node, or null. */
  KvDocument* (*GetDocument)(const KvNode* node);
  /* Address of the node's live container handle; stable for the node's lifetime. */
  KvContainer* const* (*GetDataInstance)(KvNode* node);
} KvListNodeTable;

/* Tg: tags. */
typedef struct KvTagTable {
  KvTableHeader header;
  /* The nr-th tag of the given type on object, borrowed; null when none. */
  KvNode* (*GetTag)(const KvNode* object, int32_t type, int32_t nr);
  /* Writable data array of a variable tag (3 doubles per point for the point tag); null
     when the tag has no storage. */
  void* (*GetDataAddressW)(KvNode* tag);
  int32_t (*GetDataCount)(const KvNode* tag);
} KvTagTable;

/* Bo: objects. */
typedef struct KvObjectTable {
  KvTableHeader header;
  /* New detached host object of the given type (or a registered plug-in type, for which
     the plug-in's allocator and Init run); null on failure. */
  KvNode* (*Alloc)(int32_t type);
  /* Releases a detached object with its children; null is ignored. */
  void (*Free)(KvNode* object);
  /* New detached spline object with pointCount points (a point tag of that size). */
  KvNode* (*AllocSpline)(int32_t pointCount, int32_t splineType);
} KvObjectTable;

/* Bd: documents and undo. */
typedef struct KvDocumentTable {
  KvTableHeader header;
  /* Inserts a detached object under parent after pred; both null: first at the top. */
  void (*InsertObject)(KvDocument* doc, KvNode* object, KvNode* parent, KvNode* pred);
  bool (*StartUndo)(KvDocument* doc);
  /* type 40: snapshot before object changes or moves; 44: after object was inserted. */
  bool (*AddUndo)(KvDocument* doc, int32_t type, KvNode* object);
  bool (*EndUndo)(KvDocument* doc);
  /* The plane in which new splines are made: 0 XY, 1 ZY, 2 XZ. */
  int32_t (*GetSplinePlane)(const KvDocument* doc);
} KvDocumentTable;

/* The callbacks of an object plug-in. data is what Allocator returned. */
typedef struct KvObjectPluginRecord {
  int32_t info;              /* OBJECT_* flags: 4 generator, 128 spline (contour) */
  const KvString* description; /* description resource name */
  const KvBitmap* icon;      /* may be null; the host copies it */
  int32_t diskLevel;
  void* allocatorContext;   /* handed back to Allocator unchanged */
  void* (*Allocator)(void* allocatorContext); /* new plug-in data; null when out of memory */
  void (*Destructor)(void* data);
  bool (*Init)(void* data, KvNode* node);
  bool (*Message)(void* data, KvNode* node, int32_t type, void* msgData);
  bool (*GetDEnabling)(void* data, KvNode* node, const KvDescId* id, const void* value,
                       int32_t flags, const KvContainer* itemDesc);
  /* Generator entry; null unless info holds 4. Returns a new object or null. */
  KvNode* (*GetVirtualObjects)(void* data, KvNode* op, void* hierarchyHelp);
  /* Contour entry; null unless info holds 128. Returns a new spline (owned by the host)
     or null. */
  KvNode* (*GetContour)(void* data, KvNode* op, KvDocument* doc, double lod, void* thread);
} KvObjectPluginRecord;

/* Pl: plug-in registration. */
typedef struct KvPluginTable {
  KvTableHeader header;
  /* Registers the description resource named name (from res) under id. */
  bool (*RegisterDescription)(int32_t id, const KvString* name, const KvResource* res);
  /* Registers an object plug-in; record (recordSize bytes) is copied. */
  bool (*RegisterObjectPlugin)(int32_t pluginType, int32_t id, const KvString* name,
                               const KvObjectPluginRecord* record, int32_t recordSize);
} KvPluginTable;

/* The record handed over at action 1. */
typedef struct KvHostTables {
  int32_t apiVersion;
  KvGeneralTable* t_C4DOS_Ge;
  KvUnusedTable* t_C4DOS_Sh;
  KvUnusedTable* t_C4DOS_Hf;
  KvContainerTable* t_C4DOS_Bc;
  KvStringTable* t_C4DOS_St;
  KvBitmapTable* t_C4DOS_Bm;
  KvUnusedTable* t_C4DOS_Ms;
  KvUnusedTable* t_C4DOS_Ba;
  KvFilenameTable* t_C4DOS_Fn;
  KvFileSystemTable* t_C4DOS_Fl;
  KvFileTable* t_C4DOS_Bf;
  KvUnusedTable* t_C4DOS_Cd;
  KvUnusedTable* t_C4DOS_Cu;
  KvUnusedTable* t_C4DOS_Pr;
  KvResourceTable* t_C4DOS_Lr;
  KvListNodeTable* t_C4DOS_Bl;
  KvTagTable* t_C4DOS_Tg;
  KvObjectTable* t_C4DOS_Bo;
  KvDocumentTable* t_C4DOS_Bd;
  KvUnusedTable* t_C4DOS_Bt;
  KvUnusedTable* t_C4DOS_Mt;
  KvUnusedTable* t_C4DOS_Tx;
  KvUnusedTable* t_C4DOS_Bs;
  KvUnusedTable* t_C4DOS_Bu;
  KvUnusedTable* t_C4DOS_Br;
  KvUnusedTable* t_C4DOS_Bv;
  KvUnusedTable* t_C4DOS_Nb;
  KvPluginTable* t_C4DOS_Pl;
  KvUnusedTable* t_C4DOS_Fi;
  KvUnusedTable* t_C4DOS_Pa;
  KvUnusedTable* t_C4DOS_Ln;
  KvUnusedTable* t_C4DOS_Gv;
  KvUnusedTable* t_C4DOS_Gd;
  KvUnusedTable* t_C4DOS_At;
  KvUnusedTable* t_C4DOS_CA;
  KvUnusedTable* t_C4DOS_Ne;
  KvUnusedTable* t_C4DOS_FL;
} KvHostTables;

#define KV_HOST_SUBTABLE_COUNT 37

/* The module record exported as g_maxon. The framework's static registration fills the
   identifier before the host calls c4d_main. */
typedef struct KvModuleRecord {
  uint64_t frameworkVersion[2]; /* framework version the module was built against */
  uint32_t layoutVersion;       /* KV_TABLE_LAYOUT_VERSION the module was built with */
  uint32_t registrationCount;   /* framework entries registered at load */
  const char* identifier;       /* reverse-domain module identifier; null until registered */
} KvModuleRecord;

/* Entry point: c4d_main(action, first, second, third). */
typedef int32_t (*KvModuleMain)(int32_t action, intptr_t first, void* second, void* third);

/* Exported as g_CpuYieldDelegate. */
typedef void (*KvCpuYieldDelegate)(void);

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_HOST_TABLES_H */
