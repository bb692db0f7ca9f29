#include "ge_string.h"

#include "host_os.h"

String::String(const char* utf8) : String(utf8, -1) {}

String::String(const char* utf8, Int length) {
  if (utf8 == nullptr || length == 0 || (length < 0 && utf8[0] == '\0')) return;
  _h = g_os.St->Alloc(utf8, length);
}

String::String(const String& other) {
  if (other._h != nullptr) _h = g_os.St->Copy(other._h);
}

String::String(String&& other) noexcept : _h(other._h) { other._h = nullptr; }

String& String::operator=(const String& other) {
  if (this != &other) {
    KvString* copy = other._h != nullptr ? g_os.St->Copy(other._h) : nullptr;
    if (_h != nullptr) g_os.St->Free(_h);
    _h = copy;
  }
  return *this;
}

String& String::operator=(String&& other) noexcept {
  if (this != &other) {
    if (_h != nullptr) g_os.St->Free(_h);
    _h = other._h;
    other._h = nullptr;
  }
  return *this;
}

String::~String() {
  if (_h != nullptr) g_os.St->Free(_h);
}

String String::Adopt(KvString* handle) {
  String s;
  s._h = handle;
  return s;
}

Bool String::IsEmpty() const { return _h == nullptr || g_os.St->GetUtf8(_h, nullptr, 0) <= 0; }

Int32 String::Compare(const String& other) const { return g_os.St->Compare(_h, other._h); }

Int String::GetUtf8Length() const {
  if (_h == nullptr) return 0;
  return g_os.St->GetUtf8(_h, nullptr, 0);
}

std::string String::GetUtf8() const {
  const Int length = GetUtf8Length();
  if (length <= 0) return {};
  std::string bytes(static_cast<size_t>(length), '\0');
  g_os.St->GetUtf8(_h, bytes.data(), length);
  return bytes;
}
