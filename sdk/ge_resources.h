// Module resources: the resource folder, its strings, and bitmaps.
#pragma once

#include "ge_files.h"
#include "ge_strings.h"

// The module's loaded resources: the host's handle, whether loading was attempted, and
// the path of the resource folder.
class GeResource {
 public:
  // Keeps folder as the resource path and asks the host to load it. Marks the attempt.
  Bool Init(const Filename& folder);
  // Hands the handle back to the host and frees the kept path.
  void Free();

  Bool WasAttempted() const { return attempted; }
  Bool IsLoaded() const { return handle != nullptr; }
  const KvResource* GetHandle() const { return handle; }
  // The resource folder, or null before Init.
  const Filename* GetPath() const { return path; }
  // Resource string id, empty when not loaded or missing.
  String LoadString(Int32 id) const;

 private:
  KvResource* handle = nullptr;
  Bool attempted = false;
  Filename* path = nullptr;
};

// The module's resources and its own file path, kept by the entry framework (ge_entry.h).
extern GeResource g_resource;
extern Filename* g_pluginPath;

// Resource string id of the module's resources; empty when not loaded.
String GeLoadString(Int32 id);
// The folder that holds the module; empty when no path was kept.
Filename GeGetPluginPath();

class BaseBitmap {
 public:
  BaseBitmap() = delete;
  BaseBitmap(const BaseBitmap&) = delete;
  BaseBitmap& operator=(const BaseBitmap&) = delete;

  const KvBitmap* GetHandle() const { return reinterpret_cast<const KvBitmap*>(this); }
};

// A bitmap loaded from a file in the module's resource folder, freed with the holder.
class AutoBitmap {
 public:
  explicit AutoBitmap(const String& name, Float pixelRatio = 1.0);
  AutoBitmap(const AutoBitmap&) = delete;
  AutoBitmap& operator=(const AutoBitmap&) = delete;
  ~AutoBitmap();

  // The bitmap, or null when the file could not be loaded.
  operator BaseBitmap*() const { return bitmap; }  // NOLINT(google-explicit-constructor)

 private:
  BaseBitmap* bitmap = nullptr;
};
