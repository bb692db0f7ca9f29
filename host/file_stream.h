// The Bf table: typed file streams over real files, and the error codes a file object
// answers.
#pragma once

#include <cstdint>

#include "host_tables.h"

namespace kvhost {

KvFileTable* FileTable();

// Error codes of a file object (KvFileTable.GetError).
enum FileError : std::int32_t {
  kFileOk = 0,
  kFileErrorOpen = -1,
  kFileErrorClose = -2,
  kFileErrorRead = -3,
  kFileErrorWrite = -4,
  kFileErrorInvalid = -6,     // not open, or opened for the other direction
  kFileErrorOutOfMemory = -7,
  kFileErrorWrongValue = -9,  // bytes that are not what the read expects (bad UTF-8)
  kFileErrorFileEnd = -12     // the file holds fewer bytes than the read needs
};

}  // namespace kvhost
