// The host's string: a handle to an immutable host string. An empty string holds no
// handle, so making and copying empty strings costs the host nothing.
#pragma once

#include <string>

#include "ge_types.h"

class String {
 public:
  String() = default;
  String(const char* utf8);  // NOLINT(google-explicit-constructor): strings from literals
  String(const char* utf8, Int length);
  String(const String& other);
  String(String&& other) noexcept;
  String& operator=(const String& other);
  String& operator=(String&& other) noexcept;
  ~String();

  // Takes over a handle the host returned as new.
  static String Adopt(KvString* hostString);

  Bool IsEmpty() const;
  Bool IsPopulated() const { return !IsEmpty(); }
  // 0 when equal.
  Int32 Compare(const String& other) const;
  Bool operator==(const String& other) const { return Compare(other) == 0; }
  Bool operator!=(const String& other) const { return Compare(other) != 0; }

  // Number of UTF-8 bytes; -1 when the host cannot produce them.
  Int GetUtf8Length() const;
  // The UTF-8 bytes (empty when the host cannot produce them).
  std::string GetUtf8() const;

  const KvString* GetHandle() const { return handle; }

 private:
  KvString* handle = nullptr;
};
