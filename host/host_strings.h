// The host's strings: immutable UTF-8 text behind the opaque string handle, allocated and
// accounted here for the St table and for every other service that hands out a string.
// (Not "strings.h": that name belongs to a system header that <string.h> includes.)
#pragma once

#include <string>
#include <string_view>

#include "host_tables.h"

// The concrete type behind the opaque string handle.
struct KvString {
  std::string utf8;
};

namespace kvhost {

KvStringTable* StringTable();

// New accounted string; null when the String kind's fault fires.
KvString* NewString(std::string_view utf8);
// Releases a string made by NewString (or the string table); null is ignored.
void FreeString(KvString* s);
// The text of a string handle; null reads as empty.
std::string_view StringText(const KvString* s);
// Frees the strings still live (a module's leaks), at the host's reset.
void FreeLeakedStrings();

}  // namespace kvhost
