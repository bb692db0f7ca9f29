// Paths, the file system, file dialogs and typed file streams.
#pragma once

#include "ge_strings.h"
#include "ge_types.h"

class Filename {
 public:
  Filename();
  Filename(const String& path);  // NOLINT(google-explicit-constructor)
  Filename(const char* path);    // NOLINT(google-explicit-constructor)
  Filename(const Filename& other);
  Filename& operator=(const Filename& other);
  ~Filename();

  // False when the host had no memory for the path.
  Bool IsValid() const { return handle != nullptr; }
  Bool IsPopulated() const;
  String GetString() const;
  void SetString(const String& path);
  // This path becomes a copy of a path the host handed over.
  void CopyFrom(const KvFilename* path);

  Filename GetDirectory() const;
  Filename GetFile() const;
  void SetDirectory(const Filename& dir);
  void SetFile(const Filename& file);
  Bool CheckSuffix(const String& suffix) const;
  void SetSuffix(const String& suffix);

  // Shows the host's file dialog starting at this path; true when a file was chosen, which
  // then replaces this path.
  Bool FileSelect(FILESELECTTYPE type, FILESELECT flags, const String& title,
                  const String& forceSuffix = String());

  // This path joined with other.
  Filename operator+(const Filename& other) const;

  const KvFilename* GetHandle() const { return handle; }

 private:
  KvFilename* handle;
};

// True when a file (isDirectory false) or folder (true) exists at name.
Bool GeFExist(const Filename& name, Bool isDirectory = false);

class BaseFile {
 public:
  BaseFile() = delete;
  BaseFile(const BaseFile&) = delete;
  BaseFile& operator=(const BaseFile&) = delete;

  static BaseFile* Alloc();
  // Closes the file if open, releases it, and sets file to null.
  static void Free(BaseFile*& file);

  Bool Open(const Filename& name, FILEOPEN mode = FILEOPEN::READ,
            FILEDIALOG errorDialog = FILEDIALOG::ANY, BYTEORDER order = BYTEORDER::V_MOTOROLA,
            Int32 type = FILETYPE_DEFAULT, Int32 creator = FILECREATOR_DEFAULT);
  Bool Close();
  FILEERROR GetError() const;
  void SetError(FILEERROR error);

  Bool ReadInt32(Int32* v);
  Bool ReadFloat32(Float32* v);
  Bool ReadBool(Bool* v);
  Bool ReadString(String* v);
  Bool WriteInt32(Int32 v);
  Bool WriteFloat32(Float32 v);
  Bool WriteBool(Bool v);
  Bool WriteString(const String& v);

  KvFile* GetHandle() const { return reinterpret_cast<KvFile*>(const_cast<BaseFile*>(this)); }
};
