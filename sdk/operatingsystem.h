// The host's tables as the module took them over at entry. Every forwarder of the SDK
// calls through these pointers.
#pragma once

#include "ge_types.h"

struct HostOS {
  const KvHostTables* record = nullptr;
  KvGeneralTable* Ge = nullptr;
  KvContainerTable* Bc = nullptr;
  KvStringTable* St = nullptr;
  KvBitmapTable* Bm = nullptr;
  KvFilenameTable* Fn = nullptr;
  KvFileSystemTable* Fl = nullptr;
  KvFileTable* Bf = nullptr;
  KvResourceTable* Lr = nullptr;
  KvListNodeTable* Bl = nullptr;
  KvTagTable* Tg = nullptr;
  KvObjectTable* Bo = nullptr;
  KvDocumentTable* Bd = nullptr;
  KvPluginTable* Pl = nullptr;
};

extern HostOS g_os;

// Takes over the host's record: keeps every sub-table pointer and reads the API version.
// A null sub-table writes a critical diagnostic line (when Ge and St are there to write
// it). Returns false, with nothing kept, when a table the SDK calls is null, has another
// layout version, or is smaller than this SDK expects: such a host cannot be called safely.
Bool InitOS(const KvHostTables* record, Int32* apiVersion);

// True once InitOS has kept a record: until then nothing may call the host.
Bool OSReady();

// Forgets the tables (after the module's last end action).
void FreeOS();
