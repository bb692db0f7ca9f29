// The host's tables as the module took them over at entry. Every forwarder of the SDK
// calls through these pointers.
#pragma once

#include "ge_types.h"

// One member per sub-table of the record, named as the record names it (g_os.Bc is the
// record's t_C4DOS_Bc).
struct HostOS {
  const KvHostTables* record = nullptr;
#define KV_OS_TABLE(name, type) type* name = nullptr;
  KV_HOST_SUBTABLES(KV_OS_TABLE)
#undef KV_OS_TABLE
};

extern HostOS g_os;

// Takes over the host's record: keeps every sub-table pointer and reads the API version.
// A null sub-table, or a null function in a table the SDK calls, writes a critical
// diagnostic line (when Ge and St are whole, to write it with). Returns false, with
// nothing kept, when a table the SDK calls is null, lacks a function, has another layout
// version, or is smaller than this SDK expects: such a host cannot be called safely.
Bool InitOS(const KvHostTables* record, Int32* apiVersion);

// True once InitOS has kept a record: until then nothing may call the host.
Bool OSReady();

// Forgets the tables (after the module's last end action).
void FreeOS();
