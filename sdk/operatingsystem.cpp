// Takes over the host's tables at entry.
#include "operatingsystem.h"

#include <cstdio>
#include <cstring>

HostOS g_os;

namespace {

// Where the checks of the host's record report what is missing.
constexpr SourceLocation kTablesCheckLocation{"operatingsystem", 135};

// One sub-table of the record as this SDK sees it.
struct SubTable {
  const char* name;             // as the record names it: "t_C4DOS_Ge"
  const KvTableHeader* header;  // null when the host handed no table
  std::uint32_t size;           // the size of the table this SDK calls through
};

// The tables the SDK calls through are those with functions; the others are a bare
// KvUnusedTable, a header the SDK never reads.
Bool Called(const SubTable& t) { return t.size > sizeof(KvUnusedTable); }

void SubTables(const KvHostTables* r, SubTable out[KV_HOST_SUBTABLE_COUNT]) {
#define KV_SUBTABLE(name, type)                                                     \
  out[KV_SUBTABLE_##name] = {"t_C4DOS_" #name,                                      \
                             r->t_C4DOS_##name != nullptr ? &r->t_C4DOS_##name->header \
                                                          : nullptr,                 \
                             static_cast<std::uint32_t>(sizeof(type))};
  KV_HOST_SUBTABLES(KV_SUBTABLE)
#undef KV_SUBTABLE
}

// A table of another layout, or smaller than this SDK's idea of it, cannot be called
// safely, not even to report it.
Bool Callable(const SubTable& t) {
  return t.header->layoutVersion == KV_TABLE_LAYOUT_VERSION && t.header->size >= t.size;
}

// The assertion line goes through the console writer of Ge, which takes its text as a host
// string, and only St makes a host string from the module's own bytes (the other tables
// hand back strings whose text came from the host: paths, resources, files, containers).
// Without both tables whole the line cannot be written, and nothing else is tried.
void WriteAssertion(const KvGeneralTable* ge, const KvStringTable* st, const char* text) {
  if (ge == nullptr || st == nullptr) return;
  if (KvFirstNullFunction(&ge->header, sizeof(*ge)) >= 0) return;
  if (KvFirstNullFunction(&st->header, sizeof(*st)) >= 0) return;
  KvString* s = st->Alloc(text, -1);
  ge->Output(s, kTablesCheckLocation.file, kTablesCheckLocation.line,
             static_cast<Int32>(TARGETAUDIENCE::ALL), static_cast<Int32>(WRITEMETA::DEFAULT),
             KV_OUTPUT_CRITICAL);
  st->Free(s);
}

// "Assertion failed: t_C4DOS_Ge && t_C4DOS_Sh && ... && t_C4DOS_FL": the host's record
// must hold every sub-table.
void WriteMissingTablesAssertion(const KvHostTables* r, const SubTable tables[]) {
  char text[1024] = "Assertion failed: ";
  for (int i = 0; i < KV_HOST_SUBTABLE_COUNT; ++i) {
    if (i > 0) std::strcat(text, " && ");
    std::strcat(text, tables[i].name);
  }
  WriteAssertion(r->t_C4DOS_Ge, r->t_C4DOS_St, text);
}

// "Assertion failed: t_C4DOS_Bc->function[4] != nullptr": the fifth function after the
// table's header is null.
void WriteNullFunctionAssertion(const KvHostTables* r, const SubTable& t, int function) {
  char text[128];
  std::snprintf(text, sizeof text, "Assertion failed: %s->function[%d] != nullptr", t.name,
                function);
  WriteAssertion(r->t_C4DOS_Ge, r->t_C4DOS_St, text);
}

}  // namespace

Bool InitOS(const KvHostTables* record, Int32* apiVersion) {
  if (record == nullptr) return false;
  SubTable tables[KV_HOST_SUBTABLE_COUNT];
  SubTables(record, tables);
  for (const SubTable& t : tables) {
    if (Called(t) && t.header != nullptr && !Callable(t)) return false;
  }

  for (const SubTable& t : tables) {
    if (t.header == nullptr) {
      WriteMissingTablesAssertion(record, tables);
      break;
    }
  }
  // A missing table or function that is called would be called through a null pointer
  // later.
  Bool complete = true;
  for (const SubTable& t : tables) {
    if (!Called(t)) continue;
    if (t.header == nullptr) {
      complete = false;
      continue;
    }
    const int function = KvFirstNullFunction(t.header, t.size);
    if (function >= 0) {
      WriteNullFunctionAssertion(record, t, function);
      complete = false;
    }
  }
  if (!complete) return false;

  g_os.record = record;
#define KV_KEEP_TABLE(name, type) g_os.name = record->t_C4DOS_##name;
  KV_HOST_SUBTABLES(KV_KEEP_TABLE)
#undef KV_KEEP_TABLE
  if (apiVersion != nullptr) *apiVersion = record->apiVersion;
  return true;
}

Bool OSReady() { return g_os.record != nullptr; }

void FreeOS() { g_os = HostOS{}; }
