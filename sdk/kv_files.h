/*
 * Files and file names: path objects (Fn), the file system and its dialogs (Fl), and typed
 * file streams (Bf).
 */
#ifndef KEELVANE_SDK_KV_FILES_H
#define KEELVANE_SDK_KV_FILES_H

#include "kv_base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* What a file dialog picks (FileSelect's type) and for what (its mode). */
enum { KV_FILESELECTTYPE_ANYTHING = 0 };
enum { KV_FILESELECT_LOAD = 0, KV_FILESELECT_SAVE = 1, KV_FILESELECT_DIRECTORY = 2 };

/* Open's mode, its error dialog and its byte order. */
enum { KV_FILEOPEN_READ = 1, KV_FILEOPEN_WRITE = 2 /* creates or truncates */ };
enum {
  KV_FILEDIALOG_NONE = 0,
  KV_FILEDIALOG_ANY = 1,
  KV_FILEDIALOG_IGNOREOPEN = 2 /* stay silent when the open itself fails */
};
enum { KV_BYTEORDER_MOTOROLA = 1 /* big-endian */, KV_BYTEORDER_INTEL = 2 };

/* The file type and creator codes a file is opened with when the caller has none. */
enum { KV_FILETYPE_DEFAULT = 0, KV_FILECREATOR_DEFAULT = 0 };

/* A file object's error (GetError): the first failure since it was opened. */
enum {
  KV_FILEERROR_NONE = 0,
  KV_FILEERROR_OPEN = -1,
  KV_FILEERROR_CLOSE = -2,
  KV_FILEERROR_READ = -3,
  KV_FILEERROR_WRITE = -4,
  KV_FILEERROR_INVALID = -6, /* not open, or opened for the other direction */
  KV_FILEERROR_OUTOFMEMORY = -7,
  KV_FILEERROR_WRONGVALUE = -9, /* bytes that are not what the read expects */
  KV_FILEERROR_FILEEND = -12    /* the file holds fewer bytes than the read needs */
};

/* Fn: path objects. */
typedef struct KvFilenameTable {
  KvTableHeader header;
  /* New empty path; caller frees with Free; null: out of memory. [main thread] */
  KvFilename* (*Alloc)(void);
  /* Releases a path from Alloc; null is ignored. [main thread] */
  void (*Free)(KvFilename* fn);
  /* dst becomes a copy of src; never fails. [main thread] */
  void (*CopyTo)(const KvFilename* src, KvFilename* dst);
  /* fn becomes the path in the string (null: empty). [main thread] */
  void (*SetString)(KvFilename* fn, const KvString* path);
  /* New string with the path; caller frees; null: out of memory. [main thread] */
  KvString* (*GetString)(const KvFilename* fn);
  /* True when the path is not empty. [main thread] */
  bool (*IsPopulated)(const KvFilename* fn);
  /* fn becomes fn joined with component (component's own folders included). [main thread] */
  void (*Add)(KvFilename* fn, const KvFilename* component);
  /* out becomes the folder part (before the last separator) of fn. [main thread] */
  void (*GetDirectory)(const KvFilename* fn, KvFilename* out);
  /* out becomes the file part (after the last separator) of fn. [main thread] */
  void (*GetFile)(const KvFilename* fn, KvFilename* out);
  /* Replaces the folder part of fn, keeping its file part. [main thread] */
  void (*SetDirectory)(KvFilename* fn, const KvFilename* dir);
  /* Replaces the file part of fn, keeping its folder part. [main thread] */
  void (*SetFile)(KvFilename* fn, const KvFilename* file);
  /* True when the suffix (after the last dot of the file part) equals suffix in any case.
     [main thread] */
  bool (*CheckSuffix)(const KvFilename* fn, const KvString* suffix);
  /* Gives fn the suffix, replacing any other. [main thread] */
  void (*SetSuffix)(KvFilename* fn, const KvString* suffix);
} KvFilenameTable;

/* Fl: the file system and file dialogs. */
typedef struct KvFileSystemTable {
  KvTableHeader header;
  /* True when a file (isDirectory false) or a folder (true) exists at fn. [main thread] */
  bool (*Exists)(const KvFilename* fn, bool isDirectory);
  /* Modal file dialog (KV_FILESELECTTYPE_*, KV_FILESELECT_*) starting at fn; true: fn holds
     the chosen path; false: the user cancelled, fn unchanged. [main thread] */
  bool (*FileSelect)(KvFilename* fn, int32_t type, int32_t mode, const KvString* title,
                     const KvString* forceSuffix);
} KvFileSystemTable;

/* Bf: typed file streams. Reads and writes are false on failure; the first failure sets
   the file's error, which the host reports to the user unless Open was asked not to. */
typedef struct KvFileTable {
  KvTableHeader header;
  /* New closed file object; caller frees with Free; null: out of memory. [main thread] */
  KvFile* (*Alloc)(void);
  /* Closes the file if open and releases the object; null is ignored. [main thread] */
  void (*Free)(KvFile* f);
  /* Opens fn (KV_FILEOPEN_*, KV_FILEDIALOG_*, KV_BYTEORDER_*, type and creator codes);
     false: not opened, the error set. [main thread] */
  bool (*Open)(KvFile* f, const KvFilename* fn, int32_t mode, int32_t errorDialog,
               int32_t byteOrder, int32_t type, int32_t creator);
  /* Closes the file (true when not open); false: the close failed, error set. [main thread] */
  bool (*Close)(KvFile* f);
  /* The file's error, KV_FILEERROR_*. [main thread] */
  int32_t (*GetError)(const KvFile* f);
  /* Sets the file's error (KV_FILEERROR_NONE clears it). [main thread] */
  void (*SetError)(KvFile* f, int32_t error);
  /* Bytes in the file; -1 when not open. [main thread] */
  int64_t (*GetLength)(const KvFile* f);
  /* Current offset; -1 when not open. [main thread] */
  int64_t (*GetPosition)(const KvFile* f);
  /* Reads 4 bytes as an int32 into *v; false: error set, *v unchanged. [main thread] */
  bool (*ReadInt32)(KvFile* f, int32_t* v);
  /* Reads 4 bytes as a float32 into *v; false: error set, *v unchanged. [main thread] */
  bool (*ReadFloat32)(KvFile* f, float* v);
  /* Reads 1 byte as a bool into *v; false: error set, *v unchanged. [main thread] */
  bool (*ReadBool)(KvFile* f, bool* v);
  /* Int32 N then N bytes, the last skipped; *out becomes a new string (caller frees; null
     for an empty one); false: error set. [main thread] */
  bool (*ReadString)(KvFile* f, KvString** out);
  /* Writes an int32 in 4 bytes; false: error set. [main thread] */
  bool (*WriteInt32)(KvFile* f, int32_t v);
  /* Writes a float32 in 4 bytes; false: error set. [main thread] */
  bool (*WriteFloat32)(KvFile* f, float v);
  /* Writes a bool in 1 byte; false: error set. [main thread] */
  bool (*WriteBool)(KvFile* f, bool v);
  /* Int32 (UTF-8 length + 1), the UTF-8 bytes, one zero byte; false: error set. [main thread] */
  bool (*WriteString)(KvFile* f, const KvString* s);
} KvFileTable;

#ifdef __cplusplus
}
#endif

#endif /* KEELVANE_SDK_KV_FILES_H */
