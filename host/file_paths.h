// Paths: the path objects of the Fn table and the path arithmetic the other file services
// share. A path is UTF-8 text with '/' between its folders (Windows paths may hold '\'
// too). (Not "paths.h": that name belongs to a system header.)
#pragma once

#include <string>
#include <string_view>

#include "host_tables.h"

// The concrete type behind the opaque path handle.
struct KvFilename {
  std::string path;
};

namespace kvhost {

KvFilenameTable* FilenameTable();

// Folder part: everything before the last separator ("" when there is none; "/" for a
// file at the root).
std::string DirectoryPart(std::string_view path);
// File part: everything after the last separator (the whole path when there is none).
std::string FilePart(std::string_view path);
// dir and component joined by one separator; either may be empty.
std::string JoinPath(std::string_view dir, std::string_view component);
// True when the file part's suffix (after its last dot) equals suffix, ignoring case.
bool HasSuffix(std::string_view path, std::string_view suffix);
// path with its file part's suffix replaced by (or extended with) suffix.
std::string WithSuffix(std::string_view path, std::string_view suffix);

}  // namespace kvhost
