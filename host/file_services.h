// The file, path, dialog, resource and bitmap tables of the stand-in host, and what the
// rest of the host needs of them. Implemented in filename.cpp, file_system.cpp,
// file_stream.cpp, resources.cpp and bitmaps.cpp.
#pragma once

#include <string_view>

#include "host_tables.h"

namespace kvhost {

KvFilenameTable* FilenameTable();
KvFileSystemTable* FileSystemTable();
KvFileTable* FileTable();
KvResourceTable* ResourceTable();
KvBitmapTable* BitmapTable();

// True when the loaded resource folder holds a description of that name.
bool HasDescription(const KvResource* res, std::string_view name);

}  // namespace kvhost
