// The record of sub-tables handed to a module at action 1: every pointer set (tables the
// module does not call are headers only), the API version settable, and one test power:
// a chosen sub-table null in the next record handed over.
#include <cstddef>
#include <cstring>

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

#define KV_SUBTABLES(X)                                                                  \
  X(Ge) X(Sh) X(Hf) X(Bc) X(St) X(Bm) X(Ms) X(Ba) X(Fn) X(Fl) X(Bf) X(Cd) X(Cu) X(Pr)  \
  X(Lr) X(Bl) X(Tg) X(Bo) X(Bd) X(Bt) X(Mt) X(Tx) X(Bs) X(Bu) X(Br) X(Bv) X(Nb) X(Pl)  \
  X(Fi) X(Pa) X(Ln) X(Gv) X(Gd) X(At) X(CA) X(Ne) X(FL)

struct SubTableSlot {
  const char* name;
  std::size_t offset;
};

#define KV_SLOT(n) {#n, offsetof(KvHostTables, t_C4DOS_##n)},
constexpr SubTableSlot kSlots[] = {KV_SUBTABLES(KV_SLOT)};
#undef KV_SLOT
static_assert(sizeof(kSlots) / sizeof(kSlots[0]) == KV_HOST_SUBTABLE_COUNT);

KvUnusedTable g_unused{{KV_TABLE_LAYOUT_VERSION, sizeof(KvUnusedTable)}};

struct TablesState {
  KvHostTables record{};
  KvHostTables faulty{};  // handed over instead of record for one call; kept alive after
  std::int32_t apiVersion = kDefaultHostApiVersion;
  int nullIndex = -1;
};

TablesState& State() {
  static TablesState state;
  return state;
}

void Fill(KvHostTables& r) {
  r.apiVersion = State().apiVersion;
#define KV_UNUSED(n) r.t_C4DOS_##n = reinterpret_cast<decltype(r.t_C4DOS_##n)>(&g_unused);
  KV_SUBTABLES(KV_UNUSED)
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

}  // namespace

const KvHostTables* HostTables() {
  Fill(State().record);
  return &State().record;
}

// The record for the next call into a module, with an armed null sub-table applied.
KvHostTables* TablesForNextCall() {
  TablesState& s = State();
  Fill(s.record);
  if (s.nullIndex < 0) return &s.record;
  s.faulty = s.record;
  void* null = nullptr;
  std::memcpy(reinterpret_cast<char*>(&s.faulty) + kSlots[s.nullIndex].offset, &null,
              sizeof(null));
  s.nullIndex = -1;
  return &s.faulty;
}

void SetHostApiVersion(std::int32_t version) { State().apiVersion = version; }
std::int32_t HostApiVersion() { return State().apiVersion; }

void NullSubTableForNextCall(int index) {
  if (index >= 0 && index < KV_HOST_SUBTABLE_COUNT) State().nullIndex = index;
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
}

}  // namespace kvhost
