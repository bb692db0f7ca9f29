// The Bf table: typed file streams over real files. A file object answers the
// KV_FILEERROR_* codes.
#pragma once

#include <cstdint>

#include "host_tables.h"

namespace kvhost {

KvFileTable* FileTable();

}  // namespace kvhost
