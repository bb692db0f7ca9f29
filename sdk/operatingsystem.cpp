// Takes over the host's tables at entry.
#include <cstring>

#include "operatingsystem.h"

HostOS g_os;

namespace {

// Where the check of the host's record reports a missing sub-table.
constexpr SourceLocation kTablesCheckLocation{"operatingsystem", 135};

const char* const kSubTableNames[KV_HOST_SUBTABLE_COUNT] = {
    "t_C4DOS_Ge", "t_C4DOS_Sh", "t_C4DOS_Hf", "t_C4DOS_Bc", "t_C4DOS_St", "t_C4DOS_Bm",
    "t_C4DOS_Ms", "t_C4DOS_Ba", "t_C4DOS_Fn", "t_C4DOS_Fl", "t_C4DOS_Bf", "t_C4DOS_Cd",
    "t_C4DOS_Cu", "t_C4DOS_Pr", "t_C4DOS_Lr", "t_C4DOS_Bl", "t_C4DOS_Tg", "t_C4DOS_Bo",
    "t_C4DOS_Bd", "t_C4DOS_Bt", "t_C4DOS_Mt", "t_C4DOS_Tx", "t_C4DOS_Bs", "t_C4DOS_Bu",
    "t_C4DOS_Br", "t_C4DOS_Bv", "t_C4DOS_Nb", "t_C4DOS_Pl", "t_C4DOS_Fi", "t_C4DOS_Pa",
    "t_C4DOS_Ln", "t_C4DOS_Gv", "t_C4DOS_Gd", "t_C4DOS_At", "t_C4DOS_CA", "t_C4DOS_Ne",
    "t_C4DOS_FL"};

// The sub-table pointers in record order. The record is a C struct of one int32 and 37
// pointers, so the pointers are read member by member rather than by offset arithmetic.
void SubTables(const KvHostTables* r, const void* out[KV_HOST_SUBTABLE_COUNT]) {
  const void* all[KV_HOST_SUBTABLE_COUNT] = {
      r->t_C4DOS_Ge, r->t_C4DOS_Sh, r->t_C4DOS_Hf, r->t_C4DOS_Bc, r->t_C4DOS_St,
      r->t_C4DOS_Bm, r->t_C4DOS_Ms, r->t_C4DOS_Ba, r->t_C4DOS_Fn, r->t_C4DOS_Fl,
      r->t_C4DOS_Bf, r->t_C4DOS_Cd, r->t_C4DOS_Cu, r->t_C4DOS_Pr, r->t_C4DOS_Lr,
      r->t_C4DOS_Bl, r->t_C4DOS_Tg, r->t_C4DOS_Bo, r->t_C4DOS_Bd, r->t_C4DOS_Bt,
      r->t_C4DOS_Mt, r->t_C4DOS_Tx, r->t_C4DOS_Bs, r->t_C4DOS_Bu, r->t_C4DOS_Br,
      r->t_C4DOS_Bv, r->t_C4DOS_Nb, r->t_C4DOS_Pl, r->t_C4DOS_Fi, r->t_C4DOS_Pa,
      r->t_C4DOS_Ln, r->t_C4DOS_Gv, r->t_C4DOS_Gd, r->t_C4DOS_At, r->t_C4DOS_CA,
      r->t_C4DOS_Ne, r->t_C4DOS_FL};
  std::memcpy(out, all, sizeof(all));
}

// A table the SDK calls, with the size this SDK expects of it.
struct CalledTable {
  const KvTableHeader* header;  // null when the host handed no table
  std::uint32_t size;
};

template <typename Table>
CalledTable Called(const Table* table) {
  return {table != nullptr ? &table->header : nullptr, static_cast<std::uint32_t>(sizeof(Table))};
}

constexpr int kCalledTableCount = 13;

// Every table the SDK's forwarders call through; the module reaches the host only by them.
void CalledTables(const KvHostTables* r, CalledTable out[kCalledTableCount]) {
  const CalledTable all[kCalledTableCount] = {
      Called(r->t_C4DOS_Ge), Called(r->t_C4DOS_Bc), Called(r->t_C4DOS_St),
      Called(r->t_C4DOS_Bm), Called(r->t_C4DOS_Fn), Called(r->t_C4DOS_Fl),
      Called(r->t_C4DOS_Bf), Called(r->t_C4DOS_Lr), Called(r->t_C4DOS_Bl),
      Called(r->t_C4DOS_Tg), Called(r->t_C4DOS_Bo), Called(r->t_C4DOS_Bd),
      Called(r->t_C4DOS_Pl)};
  std::memcpy(out, all, sizeof(all));
}

// The assertion line goes through the console writer of Ge, which takes its text as a host
// string, and only St makes a host string from the module's own bytes (the other tables
// hand back strings whose text came from the host: paths, resources, files, containers).
// Without both tables the line cannot be written, and nothing else is tried.
void WriteMissingTablesAssertion(const KvGeneralTable* ge, const KvStringTable* st) {
  if (ge == nullptr || st == nullptr) return;
  char text[1024] = "Assertion failed: ";
  for (int i = 0; i < KV_HOST_SUBTABLE_COUNT; ++i) {
    if (i > 0) std::strcat(text, " && ");
    std::strcat(text, kSubTableNames[i]);
  }
  KvString* s = st->Alloc(text, -1);
  ge->Output(s, kTablesCheckLocation.file, kTablesCheckLocation.line,
             static_cast<Int32>(TARGETAUDIENCE::ALL), static_cast<Int32>(WRITEMETA::DEFAULT),
             KV_OUTPUT_CRITICAL);
  st->Free(s);
}

}  // namespace

Bool InitOS(const KvHostTables* record, Int32* apiVersion) {
  if (record == nullptr) return false;
  CalledTable called[kCalledTableCount];
  CalledTables(record, called);
  // A table of another layout, or smaller than this SDK's idea of it, cannot be called
  // safely, not even to report it.
  for (const CalledTable& t : called) {
    if (t.header != nullptr &&
        (t.header->layoutVersion != KV_TABLE_LAYOUT_VERSION || t.header->size < t.size)) {
      return false;
    }
  }

  const void* tables[KV_HOST_SUBTABLE_COUNT];
  SubTables(record, tables);
  for (const void* t : tables) {
    if (t == nullptr) {
      WriteMissingTablesAssertion(record->t_C4DOS_Ge, record->t_C4DOS_St);
      break;
    }
  }
  // A missing table that is called would be called through a null pointer later.
  for (const CalledTable& t : called) {
    if (t.header == nullptr) return false;
  }

  g_os.record = record;
  g_os.Ge = record->t_C4DOS_Ge;
  g_os.Bc = record->t_C4DOS_Bc;
  g_os.St = record->t_C4DOS_St;
  g_os.Bm = record->t_C4DOS_Bm;
  g_os.Fn = record->t_C4DOS_Fn;
  g_os.Fl = record->t_C4DOS_Fl;
  g_os.Bf = record->t_C4DOS_Bf;
  g_os.Lr = record->t_C4DOS_Lr;
  g_os.Bl = record->t_C4DOS_Bl;
  g_os.Tg = record->t_C4DOS_Tg;
  g_os.Bo = record->t_C4DOS_Bo;
  g_os.Bd = record->t_C4DOS_Bd;
  g_os.Pl = record->t_C4DOS_Pl;
  if (apiVersion != nullptr) *apiVersion = record->apiVersion;
  return true;
}

Bool OSReady() { return g_os.record != nullptr; }

void FreeOS() { g_os = HostOS{}; }
