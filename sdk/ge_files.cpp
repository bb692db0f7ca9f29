#include "ge_files.h"

#include "operatingsystem.h"

Filename::Filename() : handle(g_os.Fn->Alloc()) {}

Filename::Filename(const String& path) : Filename() { SetString(path); }

Filename::Filename(const char* path) : Filename(String(path)) {}

Filename::Filename(const Filename& other) : Filename() {
  if (handle != nullptr && other.handle != nullptr) g_os.Fn->CopyTo(other.handle, handle);
}

Filename& Filename::operator=(const Filename& other) {
  if (this != &other && handle != nullptr && other.handle != nullptr) g_os.Fn->CopyTo(other.handle, handle);
  return *this;
}

Filename::~Filename() {
  if (handle != nullptr) g_os.Fn->Free(handle);
}

Bool Filename::IsPopulated() const { return handle != nullptr && g_os.Fn->IsPopulated(handle); }

String Filename::GetString() const {
  return handle != nullptr ? String::Adopt(g_os.Fn->GetString(handle)) : String();
}

void Filename::SetString(const String& path) {
  if (handle != nullptr) g_os.Fn->SetString(handle, path.GetHandle());
}

void Filename::CopyFrom(const KvFilename* path) {
  if (handle != nullptr && path != nullptr) g_os.Fn->CopyTo(path, handle);
}

Filename Filename::GetDirectory() const {
  Filename dir;
  if (handle != nullptr && dir.handle != nullptr) g_os.Fn->GetDirectory(handle, dir.handle);
  return dir;
}

Filename Filename::GetFile() const {
  Filename file;
  if (handle != nullptr && file.handle != nullptr) g_os.Fn->GetFile(handle, file.handle);
  return file;
}

void Filename::SetDirectory(const Filename& dir) {
  if (handle != nullptr && dir.handle != nullptr) g_os.Fn->SetDirectory(handle, dir.handle);
}

void Filename::SetFile(const Filename& file) {
  if (handle != nullptr && file.handle != nullptr) g_os.Fn->SetFile(handle, file.handle);
}

Bool Filename::CheckSuffix(const String& suffix) const {
  return handle != nullptr && g_os.Fn->CheckSuffix(handle, suffix.GetHandle());
}

void Filename::SetSuffix(const String& suffix) {
  if (handle != nullptr) g_os.Fn->SetSuffix(handle, suffix.GetHandle());
}

Bool Filename::FileSelect(FILESELECTTYPE type, FILESELECT flags, const String& title,
                          const String& forceSuffix) {
  if (handle == nullptr) return false;
  return g_os.Fl->FileSelect(handle, static_cast<Int32>(type), static_cast<Int32>(flags),
                             title.GetHandle(), forceSuffix.GetHandle());
}

Filename Filename::operator+(const Filename& other) const {
  Filename joined(*this);
  if (joined.handle != nullptr && other.handle != nullptr) g_os.Fn->Add(joined.handle, other.handle);
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
