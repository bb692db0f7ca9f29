// The Fl table: existence tests on the real file system and file dialogs, which a headless
// host answers from a script (test_powers.h).
#pragma once

#include "host_tables.h"

namespace kvhost {

KvFileSystemTable* FileSystemTable();

}  // namespace kvhost
