// Takes over the host's tables at entry.
#include <cstring>

#include "host_os.h"

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

// A table the SDK calls must come from a host of the same layout and be at least as large
// as this SDK's idea of it. A missing table is reported by the assertion line instead.
bool LayoutMatches(const KvTableHeader* header, std::uint32_t expectedSize) {
  if (header == nullptr) return true;
  return header->layoutVersion == KV_TABLE_LAYOUT_VERSION && header->size >= expectedSize;
}

template <typename Table>
const KvTableHeader* Header(const Table* table) {
  return table != nullptr ? &table->header : nullptr;
}

void WriteMissingTablesAssertion() {
  if (g_os.St == nullptr || g_os.Ge == nullptr) return;  // nothing to write with
  char text[1024] = "Assertion failed: ";
  for (int i = 0; i < KV_HOST_SUBTABLE_COUNT; ++i) {
    if (i > 0) std::strcat(text, " && ");
    std::strcat(text, kSubTableNames[i]);
  }
  KvString* s = g_os.St->Alloc(text, -1);
  g_os.Ge->Output(s, kTablesCheckLocation.file, kTablesCheckLocation.line,
                  static_cast<Int32>(TARGETAUDIENCE::ALL), static_cast<Int32>(WRITEMETA::DEFAULT),
                  KV_OUTPUT_CRITICAL);
  g_os.St->Free(s);
}

}  // namespace

Bool InitOS(const KvHostTables* record, Int32* apiVersion) {
  if (record == nullptr) return false;
  const bool layoutOk =
      LayoutMatches(Header(record->t_C4DOS_Ge), sizeof(KvGeneralTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Bc), sizeof(KvContainerTable)) &&
      LayoutMatches(Header(record->t_C4DOS_St), sizeof(KvStringTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Bm), sizeof(KvBitmapTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Fn), sizeof(KvFilenameTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Fl), sizeof(KvFileSystemTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Bf), sizeof(KvFileTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Lr), sizeof(KvResourceTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Bl), sizeof(KvListNodeTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Tg), sizeof(KvTagTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Bo), sizeof(KvObjectTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Bd), sizeof(KvDocumentTable)) &&
      LayoutMatches(Header(record->t_C4DOS_Pl), sizeof(KvPluginTable));
  if (!layoutOk) return false;

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

  const void* tables[KV_HOST_SUBTABLE_COUNT];
  SubTables(record, tables);
  for (const void* t : tables) {
    if (t == nullptr) {
      WriteMissingTablesAssertion();
      break;
    }
  }
  return true;
}

void FreeOS() { g_os = HostOS{}; }
