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
// Records a call that a real host would crash in (a null object handed over, ...): call
// names it ("Bf.ReadInt32"), what says why. The error goes to the host errors too, and
// the host carries on, answering the call as failed.
void ReportHostCrash(const std::string& call, const std::string& what);

// Forgets the console lines, message dialogs, scripted answers, host errors and crashes.
void ClearConsole();

}  // namespace kvhost
