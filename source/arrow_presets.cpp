// Preset files: the bytes of the format, read and written item by item as the parameter
// table lays them out, and the save and load buttons around them.
#include "arrow_presets.h"

#include <cmath>

#include "arrow_parameters.h"

namespace {

constexpr const char* kPresetPattern = "*.kvp";
constexpr const char* kPresetSuffix = "kvp";

void WriteItem(BaseFile* file, const BaseContainer& bc, const ArrowParameter& p) {
  switch (p.kind) {
    case kFloatParameter:
      file->WriteFloat32(static_cast<Float32>(bc.GetFloat(p.id)));
      break;
    case kBoolParameter:
      file->WriteBool(bc.GetBool(p.id));
      break;
    case kInt32Parameter:
      file->WriteInt32(bc.GetInt32(p.id));
      break;
    case kStringParameter:
      file->WriteString(bc.GetString(p.id));
      break;
    case kLinkParameter:
    case kButtonParameter:
      break;
  }
}

Bool ReadItem(BaseFile* file, BaseContainer& scratch, const ArrowParameter& p) {
  switch (p.kind) {
    case kFloatParameter: {
      Float32 v = 0.0f;
      if (!file->ReadFloat32(&v)) return false;
      // A NaN or an infinity is no length any outline can be drawn from: such a file is
      // refused whole, as one cut short is.
      if (!std::isfinite(v)) return false;
      scratch.SetFloat(p.id, static_cast<Float>(v));
      return true;
    }
    case kBoolParameter: {
      Bool v = false;
      if (!file->ReadBool(&v)) return false;
      scratch.SetBool(p.id, v);
      return true;
    }
    case kInt32Parameter: {
      Int32 v = 0;
      if (!file->ReadInt32(&v)) return false;
      scratch.SetInt32(p.id, v);
      return true;
    }
    case kStringParameter: {
      String v;
      if (!file->ReadString(&v)) return false;
      scratch.SetString(p.id, v);
      return true;
    }
    case kLinkParameter:
    case kButtonParameter:
      break;
  }
  return false;
}

// The layout of a file with this version string: a known version's, else the first.
// False when a version string to compare with cannot be made: out of memory, a newer file
// would be read as an older one, every later item shifted, so the file is refused.
Bool LayoutOf(const String& version, Int32* layout) {
  *layout = kPresetFirstLayout;
  for (const PresetVersion& known : kPresetVersions) {
    const String text(known.text);
    if (text.IsEmpty()) return false;
    if (version == text) *layout = known.layout;
  }
  return true;
}

// A file name that starts in folder with the preset pattern as its file part.
Filename PresetDialogStart(const Filename& folder) {
  Filename start;
  start.SetDirectory(folder);
  start.SetFile(Filename(kPresetPattern));
  return start;
}

// A marker whose string cannot be made (out of memory) would go out as an empty string,
// and an empty version string makes a reader take the file for an older layout, every
// later item shifted: the file is put in error instead, so that the writes after it write
// nothing and the file ends there, cut short, as every reader refuses it.
void WriteMarker(BaseFile* file, const char* text) {
  const String marker(text);
  if (marker.IsEmpty()) {
    file->SetError(FILEERROR::OUTOFMEMORY);
    return;
  }
  file->WriteString(marker);
}

}  // namespace

void WritePresetFile(BaseFile* file, const BaseContainer& bc) {
  WriteMarker(file, kPresetHeader);
  WriteMarker(file, kPresetWrittenVersion.text);
  WriteMarker(file, kPresetStartMarker);
  for (Int32 item = kFirstPresetItem; const ArrowParameter* p = PresetItemParameter(item); ++item) {
    WriteItem(file, bc, *p);
  }
  WriteMarker(file, kPresetEndMarker);
}

Bool ReadPresetFile(BaseFile* file, BaseContainer& scratch) {
  String header;
  String version;
  String start;
  if (!file->ReadString(&header) || !file->ReadString(&version) || !file->ReadString(&start)) {
    return false;
  }
  Int32 layout = kPresetFirstLayout;
  if (!LayoutOf(version, &layout)) return false;
  for (Int32 item = kFirstPresetItem; const ArrowParameter* p = PresetItemParameter(item); ++item) {
    if (p->presetLayout > layout) {
      // An older file lacks the item: the parameter takes its reset value.
      WriteArrowDefault(scratch, *p);
    } else if (!ReadItem(file, scratch, *p)) {
      return false;
    }
  }
  // The end marker and anything after the last item are not read.
  return true;
}

Bool SavePreset(BaseObject* op) {
  Filename name = PresetDialogStart(PresetFolder());
  if (!name.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::SAVE, String())) return false;
  BaseFile* file = BaseFile::Alloc();
  if (file == nullptr) return false;
  if (!name.CheckSuffix(String(kPresetSuffix))) name.SetSuffix(String(kPresetSuffix));
  if (!file->Open(name, FILEOPEN::WRITE, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA)) {
    BaseFile::Free(file);
    return false;
  }
  WritePresetFile(file, *op->GetDataInstance());
  file->Close();
  BaseFile::Free(file);
  return true;
}

Bool LoadPreset(ArrowObject* arrow, BaseObject* op, BaseDocument* doc) {
  BaseContainer scratch(*op->GetDataInstance());
  Filename name = PresetDialogStart(arrow->GetPresetFolder());
  if (!name.FileSelect(FILESELECTTYPE::ANYTHING, FILESELECT::LOAD, String())) return false;
  arrow->SetPresetFolder(name.GetDirectory());
  if (!scratch.IsValid()) return false;
  BaseFile* file = BaseFile::Alloc();
  if (file == nullptr) return false;
  if (!file->Open(name, FILEOPEN::READ, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA)) {
    BaseFile::Free(file);
    return false;
  }
  if (!ReadPresetFile(file, scratch)) {
    BaseFile::Free(file);
    return false;
  }
  file->Close();
  doc->AddUndo(UNDOTYPE::CHANGE, op);
  op->SetData(scratch, true);
  BaseFile::Free(file);
  return true;
}
