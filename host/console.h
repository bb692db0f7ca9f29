// The console, message dialogs and the log of errors the host reports to the user; what
// they recorded is read through host.h.
#pragma once

#include <string>

#include "host_tables.h"

namespace kvhost {

// The general table: framework memory (framework_memory.h), console output and message
// dialogs.
KvGeneralTable* GeneralTable();

// Records an error the host reports to the user (file errors, unanswered dialogs, ...).
// Tests read them back from the host's event log.
void ReportHostError(std::string message);

// Forgets the console lines, message dialogs, scripted answers and host errors.
void ClearConsole();

}  // namespace kvhost
