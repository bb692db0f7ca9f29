// St: immutable UTF-8 strings.
#include <algorithm>
#include <cstring>

#include "host_model.h"

namespace kvhost {
namespace {

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    std::uint32_t cp = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      extra = 1;
      cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      cp = c & 0x07;
    } else {
      return false;
    }
    if (i + static_cast<std::size_t>(extra) >= s.size()) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
      if ((cc & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    static const std::uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return true;
}

KvString* Alloc(const char* utf8, int64_t length) {
  if (utf8 == nullptr) return NewString({});
  const std::size_t n = length < 0 ? std::strlen(utf8) : static_cast<std::size_t>(length);
  const std::string_view text(utf8, n);
  if (!IsValidUtf8(text)) return nullptr;
  return NewString(text);
}

void Free(KvString* s) { FreeString(s); }

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

KvStringTable* StringTable() {
  static KvStringTable table{{KV_TABLE_LAYOUT_VERSION, sizeof(KvStringTable)},
                             Alloc, Free, Copy, GetUtf8, Compare};
  return &table;
}

}  // namespace kvhost
