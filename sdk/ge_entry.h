// The entry framework: the SDK's c4d_main and the module-wide state it keeps. A plug-in
// defines the functions and constants below, once, in its main file; the framework calls
// them from c4d_main.
#pragma once

#include "ge_files.h"
#include "ge_resources.h"
#include "ge_types.h"

// Action 2: registers the plug-in's objects; false fails the start (the action answers 0).
Bool PluginStart();
// The last action 3, before the framework releases the resources and the module's path.
void PluginEnd();
// Action 6: a plug-in message; id 1 asks the plug-in to load its resources. False makes
// the action answer -1.
Bool PluginMessage(Int32 id, void* data);

// The lowest host API version the plug-in accepts; action 1 refuses an older host.
extern const Int32 g_minHostApiVersion;
