#include "arrow_presets.h"

#include <cmath>
#include <span>

#include "description/okeelvane.h"

namespace {

constexpr const char* kPresetHeader = "# Keelvane preset file";
constexpr const char* kVersion12 = "# Version 1.2";
constexpr const char* kVersion13 = "# Version 1.3";
constexpr const char* kStartMarker = "# Start of parameters";
constexpr const char* kEndMarker = "# End of parameters";
constexpr const char* kPresetPattern = "*.kvp";
constexpr const char* kPresetSuffix = "kvp";

enum class ItemKind { Float, Bool, Int32 };

struct PresetItem {
  Int32 id;
  ItemKind kind;
};

// Items 5 to 10: the head and chevron settings.
constexpr PresetItem kHeadItems[] = {
    {ARROW_HEAD_LENGTH, ItemKind::Float},      {ARROW_HEAD_WIDTH, ItemKind::Float},
    {ARROW_HEAD_SWEEP, ItemKind::Float},       {ARROW_CHEVRON_HEAD, ItemKind::Bool},
    {ARROW_CHEVRON_SQUARE_ENDS, ItemKind::Bool}, {ARROW_CHEVRON_THICKNESS, ItemKind::Float},
};

// Items 11 to 13: the double arrow, present from version 1.2 on.
constexpr PresetItem kDoubleItems[] = {
    {ARROW_DOUBLE, ItemKind::Bool},
    {ARROW_DOUBLE_SHAFT_LENGTH, ItemKind::Float},
    {ARROW_DOUBLE_SHAFT_WIDTH, ItemKind::Float},
};

// Items 14 to 29: shaft, fletching and the spline settings.
constexpr PresetItem kShaftItems[] = {
    {ARROW_SHAFT, ItemKind::Bool},
    {ARROW_SHAFT_LENGTH, ItemKind::Float},
    {ARROW_SHAFT_WIDTH, ItemKind::Float},
    {ARROW_TAIL_NOTCH, ItemKind::Float},
    {ARROW_TAPER_HEAD, ItemKind::Float},
    {ARROW_TAPER_TAIL, ItemKind::Float},
    {ARROW_FLETCHING, ItemKind::Bool},
    {ARROW_FLETCHING_LENGTH, ItemKind::Float},
    {ARROW_FLETCHING_HEIGHT, ItemKind::Float},
    {ARROW_FLETCHING_SWEEP, ItemKind::Float},
    {PRIM_PLANE, ItemKind::Int32},
    {PRIM_REVERSE, ItemKind::Bool},
    {SPLINEOBJECT_INTERPOLATION, ItemKind::Int32},
    {SPLINEOBJECT_SUB, ItemKind::Int32},
    {SPLINEOBJECT_ANGLE, ItemKind::Float},
    {SPLINEOBJECT_MAXIMUMLENGTH, ItemKind::Float},
};

void WriteItems(BaseFile* file, const BaseContainer& bc, std::span<const PresetItem> items) {
  for (const PresetItem& item : items) {
    switch (item.kind) {
      case ItemKind::Float:
        file->WriteFloat32(static_cast<Float32>(bc.GetFloat(item.id)));
        break;
      case ItemKind::Bool:
        file->WriteBool(bc.GetBool(item.id));
        break;
      case ItemKind::Int32:
        file->WriteInt32(bc.GetInt32(item.id));
        break;
    }
  }
}

Bool ReadItems(BaseFile* file, BaseContainer& scratch, std::span<const PresetItem> items) {
  for (const PresetItem& item : items) {
    switch (item.kind) {
      case ItemKind::Float: {
        Float32 v = 0.0f;
        if (!file->ReadFloat32(&v)) return false;
        // A NaN or an infinity is no length any outline can be drawn from: such a file is
        // refused whole, as one cut short is.
        if (!std::isfinite(v)) return false;
        scratch.SetFloat(item.id, static_cast<Float>(v));
        break;
      }
      case ItemKind::Bool: {
        Bool v = false;
        if (!file->ReadBool(&v)) return false;
        scratch.SetBool(item.id, v);
        break;
      }
      case ItemKind::Int32: {
        Int32 v = 0;
        if (!file->ReadInt32(&v)) return false;
        scratch.SetInt32(item.id, v);
        break;
      }
    }
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

}  // namespace

void WritePresetFile(BaseFile* file, const BaseContainer& bc) {
  file->WriteString(String(kPresetHeader));
  file->WriteString(String(kVersion13));
  file->WriteString(String(kStartMarker));
  file->WriteString(bc.GetString(ARROW_PRESET_NAME));
  WriteItems(file, bc, kHeadItems);
  WriteItems(file, bc, kDoubleItems);
  WriteItems(file, bc, kShaftItems);
  file->WriteString(String(kEndMarker));
}

Bool ReadPresetFile(BaseFile* file, BaseContainer& scratch) {
  String header;
  String version;
  String start;
  String name;
  if (!file->ReadString(&header) || !file->ReadString(&version) || !file->ReadString(&start)) {
    return false;
  }
  if (!file->ReadString(&name)) return false;
  scratch.SetString(ARROW_PRESET_NAME, name);
  if (!ReadItems(file, scratch, kHeadItems)) return false;
  // Out of memory, a version string cannot be made to compare with, and a newer file
  // would be read as an older one, every later item shifted: refuse the file instead.
  const String version12(kVersion12);
  const String version13(kVersion13);
  if (version12.IsEmpty() || version13.IsEmpty()) return false;
  if (version == version12 || version == version13) {
    if (!ReadItems(file, scratch, kDoubleItems)) return false;
  } else {
    // Older files have no double arrow: it is switched off at its reset values.
    scratch.SetBool(ARROW_DOUBLE, false);
    scratch.SetFloat(ARROW_DOUBLE_SHAFT_LENGTH, 400.0);
    scratch.SetFloat(ARROW_DOUBLE_SHAFT_WIDTH, 100.0);
  }
  return ReadItems(file, scratch, kShaftItems);
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
