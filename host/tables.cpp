// The record of sub-tables handed to a module at action 1: every pointer set (tables the
// module does not call are headers only), the API version settable, and two test powers:
// a chosen sub-table, or one function of it, null in the next record handed over.
#include <cstddef>
#include <cstring>
#include <vector>

#include "bitmaps.h"
#include "console.h"
#include "dialogs.h"
#include "file_paths.h"
#include "file_stream.h"
#include "host.h"
#include "host_strings.h"
#include "resources.h"

namespace kvhost {
namespace {

struct SubTableSlot {
  const char* name;
  std::size_t offset;
};

#define KV_SLOT(name, type) {#name, offsetof(KvHostTables, t_C4DOS_##name)},
constexpr SubTableSlot kSlots[] = {KV_HOST_SUBTABLES(KV_SLOT)};
#undef KV_SLOT

KvUnusedTable g_unused{{KV_TABLE_LAYOUT_VERSION, sizeof(KvUnusedTable)}};

// Every table the module does not call is the same bare header; the others are filled by
// name below, and a slot of their type takes the overload that leaves it.
void SetUnused(KvUnusedTable*& slot) { slot = &g_unused; }
void SetUnused(const void*) {}

struct TablesState {
  KvHostTables record{};
  KvHostTables faulty{};  // handed over instead of record for one call; kept alive after
  std::vector<void*> faultyTable;  // the copy of a table with a null function, likewise
  std::int32_t apiVersion = kDefaultHostApiVersion;
  int nullIndex = -1;
  int nullFunction = -1;  // with nullIndex: only this function of the table is null
};

TablesState& State() {
  static TablesState state;
  return state;
}

void Fill(KvHostTables& r) {
  r = KvHostTables{};
  r.apiVersion = State().apiVersion;
#define KV_UNUSED(name, type) SetUnused(r.t_C4DOS_##name);
  KV_HOST_SUBTABLES(KV_UNUSED)
#undef KV_UNUSED
  r.t_C4DOS_Ge = GeneralTable();
  r.t_C4DOS_Bc = ContainerTable();
  r.t_C4DOS_St = StringTable();
  r.t_C4DOS_Bm = BitmapTable();
  r.t_C4DOS_Fn = FilenameTable();
  r.t_C4DOS_Fl = FileSystemTable();
  r.t_C4DOS_Bf = FileTable();
  r.t_C4DOS_Lr = ResourceTable();
  r.t_C4DOS_Bl = ListNodeTable();
  r.t_C4DOS_Tg = TagTable();
  r.t_C4DOS_Bo = ObjectTable();
  r.t_C4DOS_Bd = DocumentTable();
  r.t_C4DOS_Pl = PluginTable();
}

// The faulty record's pointer at the slot of sub-table index.
void SetSlot(KvHostTables& r, int index, const void* table) {
  std::memcpy(reinterpret_cast<char*>(&r) + kSlots[index].offset, &table, sizeof(table));
}

const KvTableHeader* Slot(const KvHostTables& r, int index) {
  const KvTableHeader* table = nullptr;
  std::memcpy(&table, reinterpret_cast<const char*>(&r) + kSlots[index].offset, sizeof(table));
  return table;
}

}  // namespace

const KvHostTables* HostTables() {
  Fill(State().record);
  return &State().record;
}

// The record for the next call into a module, with an armed fault applied.
KvHostTables* TablesForNextCall() {
  TablesState& s = State();
  Fill(s.record);
  if (s.nullIndex < 0) return &s.record;
  s.faulty = s.record;
  if (s.nullFunction < 0) {
    SetSlot(s.faulty, s.nullIndex, nullptr);
  } else {
    // A copy of the table, whole but for the one function.
    const KvTableHeader* table = Slot(s.record, s.nullIndex);
    s.faultyTable.assign((table->size + sizeof(void*) - 1) / sizeof(void*), nullptr);
    std::memcpy(s.faultyTable.data(), table, table->size);
    const std::size_t offset = sizeof(KvTableHeader) + static_cast<std::size_t>(s.nullFunction) * sizeof(void (*)());
    if (offset + sizeof(void (*)()) <= table->size) {
      std::memset(reinterpret_cast<char*>(s.faultyTable.data()) + offset, 0, sizeof(void (*)()));
    }
    SetSlot(s.faulty, s.nullIndex, s.faultyTable.data());
  }
  s.nullIndex = -1;
  s.nullFunction = -1;
  return &s.faulty;
}

void SetHostApiVersion(std::int32_t version) { State().apiVersion = version; }
std::int32_t HostApiVersion() { return State().apiVersion; }

void NullSubTableForNextCall(int index) {
  if (index < 0 || index >= KV_HOST_SUBTABLE_COUNT) return;
  State().nullIndex = index;
  State().nullFunction = -1;
}

void NullFunctionForNextCall(int index, int function) {
  if (index < 0 || index >= KV_HOST_SUBTABLE_COUNT || function < 0) return;
  State().nullIndex = index;
  State().nullFunction = function;
}

int SubTableIndex(const std::string& name) {
  const std::string shortName = name.rfind("t_C4DOS_", 0) == 0 ? name.substr(8) : name;
  for (int i = 0; i < KV_HOST_SUBTABLE_COUNT; ++i) {
    if (shortName == kSlots[i].name) return i;
  }
  return -1;
}

void ResetTables() {
  State().apiVersion = kDefaultHostApiVersion;
  State().nullIndex = -1;
  State().nullFunction = -1;
}

}  // namespace kvhost
