#include "ge_files.h"

#include "host_os.h"

Filename::Filename() : _h(g_os.Fn->Alloc()) {}

Filename::Filename(const String& path) : Filename() { SetString(path); }

Filename::Filename(const char* path) : Filename(String(path)) {}

Filename::Filename(const Filename& other) : Filename() {
  if (_h != nullptr && other._h != nullptr) g_os.Fn->CopyTo(other._h, _h);
}

Filename& Filename::operator=(const Filename& other) {
  if (this != &other && _h != nullptr && other._h != nullptr) g_os.Fn->CopyTo(other._h, _h);
  return *this;
}

Filename::~Filename() {
  if (_h != nullptr) g_os.Fn->Free(_h);
}

Bool Filename::IsPopulated() const { return _h != nullptr && g_os.Fn->IsPopulated(_h); }

String Filename::GetString() const {
  return _h != nullptr ? String::Adopt(g_os.Fn->GetString(_h)) : String();
}

void Filename::SetString(const String& path) {
  if (_h != nullptr) g_os.Fn->SetString(_h, path.GetHandle());
}

void Filename::CopyFrom(const KvFilename* path) {
  if (_h != nullptr && path != nullptr) g_os.Fn->CopyTo(path, _h);
}

Filename Filename::GetDirectory() const {
  Filename dir;
  if (_h != nullptr && dir._h != nullptr) g_os.Fn->GetDirectory(_h, dir._h);
  return dir;
}

Filename Filename::GetFile() const {
  Filename file;
  if (_h != nullptr && file._h != nullptr) g_os.Fn->GetFile(_h, file._h);
  return file;
}

void Filename::SetDirectory(const Filename& dir) {
  if (_h != nullptr && dir._h != nullptr) g_os.Fn->SetDirectory(_h, dir._h);
}

void Filename::SetFile(const Filename& file) {
  if (_h != nullptr && file._h != nullptr) g_os.Fn->SetFile(_h, file._h);
}

Bool Filename::CheckSuffix(const String& suffix) const {
  return _h != nullptr && g_os.Fn->CheckSuffix(_h, suffix.GetHandle());
}

void Filename::SetSuffix(const String& suffix) {
  if (_h != nullptr) g_os.Fn->SetSuffix(_h, suffix.GetHandle());
}

Bool Filename::FileSelect(FILESELECTTYPE type, FILESELECT flags, const String& title,
                          const String& forceSuffix) {
  if (_h == nullptr) return false;
  return g_os.Fl->FileSelect(_h, static_cast<Int32>(type), static_cast<Int32>(flags),
                             title.GetHandle(), forceSuffix.GetHandle());
}

Filename Filename::operator+(const Filename& other) const {
  Filename joined(*this);
  if (joined._h != nullptr && other._h != nullptr) g_os.Fn->Add(joined._h, other._h);
  return joined;
}

Bool GeFExist(const Filename& name, Bool isDirectory) {
  return name.GetHandle() != nullptr && g_os.Fl->Exists(name.GetHandle(), isDirectory);
}

BaseFile* BaseFile::Alloc() { return reinterpret_cast<BaseFile*>(g_os.Bf->Alloc()); }

void BaseFile::Free(BaseFile*& file) {
  if (file != nullptr) g_os.Bf->Free(file->GetHandle());
  file = nullptr;
}

Bool BaseFile::Open(const Filename& name, FILEOPEN mode, FILEDIALOG errorDialog,
                    BYTEORDER order, Int32 type, Int32 creator) {
  if (name.GetHandle() == nullptr) return false;
  return g_os.Bf->Open(GetHandle(), name.GetHandle(), static_cast<Int32>(mode),
                       static_cast<Int32>(errorDialog), static_cast<Int32>(order), type, creator);
}

Bool BaseFile::Close() { return g_os.Bf->Close(GetHandle()); }
FILEERROR BaseFile::GetError() const { return static_cast<FILEERROR>(g_os.Bf->GetError(GetHandle())); }
void BaseFile::SetError(FILEERROR error) { g_os.Bf->SetError(GetHandle(), static_cast<Int32>(error)); }
Int64 BaseFile::GetLength() const { return g_os.Bf->GetLength(GetHandle()); }
Int64 BaseFile::GetPosition() const { return g_os.Bf->GetPosition(GetHandle()); }

Bool BaseFile::ReadInt32(Int32* v) { return g_os.Bf->ReadInt32(GetHandle(), v); }
Bool BaseFile::ReadFloat32(Float32* v) { return g_os.Bf->ReadFloat32(GetHandle(), v); }
Bool BaseFile::ReadBool(Bool* v) { return g_os.Bf->ReadBool(GetHandle(), v); }

Bool BaseFile::ReadString(String* v) {
  KvString* s = nullptr;
  if (!g_os.Bf->ReadString(GetHandle(), &s)) return false;
  *v = String::Adopt(s);
  return true;
}

Bool BaseFile::WriteInt32(Int32 v) { return g_os.Bf->WriteInt32(GetHandle(), v); }
Bool BaseFile::WriteFloat32(Float32 v) { return g_os.Bf->WriteFloat32(GetHandle(), v); }
Bool BaseFile::WriteBool(Bool v) { return g_os.Bf->WriteBool(GetHandle(), v); }
Bool BaseFile::WriteString(const String& v) { return g_os.Bf->WriteString(GetHandle(), v.GetHandle()); }
