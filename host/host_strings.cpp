// St: immutable UTF-8 strings, and the allocation of every string the host hands out.
#include "host_strings.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "accounting.h"
#include "console.h"
#include "utf8.h"

namespace kvhost {
namespace {

// Live strings, so that a double or foreign free is reported instead of crashing and a
// reset can free what a module leaked.
std::unordered_set<KvString*>& Strings() {
  static std::unordered_set<KvString*> strings;
  return strings;
}

// Contours of distinct objects run on several threads at once and make and free strings.
std::mutex& StringsLock() {
  static std::mutex lock;
  return lock;
}

KvString* Alloc(const char* utf8, int64_t length) {
  if (utf8 == nullptr) return NewString({});
  const std::size_t n = length < 0 ? std::strlen(utf8) : static_cast<std::size_t>(length);
  const std::string_view text(utf8, n);
  if (!IsValidUtf8(text)) return nullptr;
  return NewString(text);
}

KvString* Copy(const KvString* s) { return NewString(StringText(s)); }

int64_t GetUtf8(const KvString* s, char* buffer, int64_t capacity) {
  const std::string_view text = StringText(s);
  if (buffer != nullptr && capacity > 0) {
    const std::size_t n = std::min(text.size(), static_cast<std::size_t>(capacity));
    std::memcpy(buffer, text.data(), n);
  }
  return static_cast<int64_t>(text.size());
}

int32_t Compare(const KvString* a, const KvString* b) {
  const int c = StringText(a).compare(StringText(b));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

KvString* NewString(std::string_view utf8) {
  if (!TryAllocate(AllocKind::String)) return nullptr;
  auto* s = new KvString{std::string(utf8)};
  const std::lock_guard<std::mutex> hold(StringsLock());
  Strings().insert(s);
  return s;
}

void FreeString(KvString* s) {
  if (s == nullptr) return;
  bool known = false;
  {
    const std::lock_guard<std::mutex> hold(StringsLock());
    known = Strings().erase(s) != 0;
  }
  if (!known) {
    ReportHostError("free of a string the host did not make (or made and freed already)");
    return;
  }
  delete s;
  Release(AllocKind::String);
}

std::string_view StringText(const KvString* s) {
  return s == nullptr ? std::string_view() : std::string_view(s->utf8);
}

void FreeLeakedStrings() {
  const std::lock_guard<std::mutex> hold(StringsLock());
  for (KvString* s : Strings()) delete s;
  Strings().clear();
}

KvStringTable* StringTable() {
  static KvStringTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvStringTable)},
      .Alloc = Alloc,
      .Free = FreeString,
      .Copy = Copy,
      .GetUtf8 = GetUtf8,
      .Compare = Compare,
  };
  return &table;
}

}  // namespace kvhost
