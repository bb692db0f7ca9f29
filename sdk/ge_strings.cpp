#include "ge_strings.h"

#include "operatingsystem.h"

String::String(const char* utf8) : String(utf8, -1) {}

String::String(const char* utf8, Int length) {
  if (utf8 == nullptr || length == 0 || (length < 0 && utf8[0] == '\0')) return;
  handle = g_os.St->Alloc(utf8, length);
}

String::String(const String& other) {
  if (other.handle != nullptr) handle = g_os.St->Copy(other.handle);
}

String::String(String&& other) noexcept : handle(other.handle) { other.handle = nullptr; }

String& String::operator=(const String& other) {
  if (this != &other) {
    KvString* copy = other.handle != nullptr ? g_os.St->Copy(other.handle) : nullptr;
    if (handle != nullptr) g_os.St->Free(handle);
    handle = copy;
  }
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    if (handle != nullptr) g_os.St->Free(handle);
    handle = other.handle;
    other.handle = nullptr;
  }
  return *this;
}

String::~String() {
  if (handle != nullptr) g_os.St->Free(handle);
}

String String::Adopt(KvString* hostString) {
  String s;
  s.handle = hostString;
  return s;
}

Bool String::IsEmpty() const { return handle == nullptr || g_os.St->GetUtf8(handle, nullptr, 0) <= 0; }

Int32 String::Compare(const String& other) const { return g_os.St->Compare(handle, other.handle); }

Int String::GetUtf8Length() const {
  if (handle == nullptr) return 0;
  return g_os.St->GetUtf8(handle, nullptr, 0);
}

std::string String::GetUtf8() const {
  const Int length = GetUtf8Length();
  if (length <= 0) return {};
  std::string bytes(static_cast<size_t>(length), '\0');
  g_os.St->GetUtf8(handle, bytes.data(), length);
  return bytes;
}
