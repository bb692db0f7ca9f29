// Shared by the preset tests: a scratch folder per test, the preset buttons pressed with
// scripted dialog answers, and preset files crafted byte by byte.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "arrow_parameters.h"
#include "file_bytes.h"
#include "file_paths.h"
#include "local_files.h"
#include "module_fixture.h"

namespace kvtest {

inline Bytes Slice(const Bytes& bytes, std::size_t offset, std::size_t count) {
  if (offset >= bytes.size()) return {};
  count = std::min(count, bytes.size() - offset);
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
               bytes.begin() + static_cast<std::ptrdiff_t>(offset + count));
}

// Big-endian items, appended one after the other.
struct PresetBytes {
  PresetBytes& I32(std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<std::uint8_t>(v >> shift));
    return *this;
  }
  PresetBytes& F32(float v) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return I32(bits);
  }
  PresetBytes& Byte(std::uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  // Length (text bytes + 1), the text, the zero byte.
  PresetBytes& Str(std::string_view text) {
    I32(static_cast<std::uint32_t>(text.size() + 1));
    return Raw(text).Byte(0);
  }
  PresetBytes& Raw(std::string_view raw) {
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return *this;
  }
  Bytes bytes;
};

// One preset value: a float, a bool (its byte in the file) or an int32.
enum class Kind { Float, Bool, Int };
struct Item {
  std::int32_t id;
  Kind kind;
  double value;
};
using Items = std::vector<Item>;

// Items 5 to 29 in file order, at the values a reset object has.
inline Items DefaultItems() {
  Items items;
  for (std::int32_t item = kFirstPresetItem + 1; const ArrowParameter* p = PresetItemParameter(item); ++item) {
    const Kind kind = p->kind == kFloatParameter ? Kind::Float : p->kind == kBoolParameter ? Kind::Bool : Kind::Int;
    items.push_back({p->id, kind, p->defaultValue});
  }
  return items;
}

// Every item away from its default and from its neighbours, floats not representable in
// single precision, so that a value read into the wrong item or kept unnarrowed shows.
inline Items DistinctItems() {
  Items items = DefaultItems();
  double f = 10.1;
  for (Item& item : items) {
    if (item.kind == Kind::Float) item.value = (f += 1.37);
    if (item.kind == Kind::Bool) item.value = item.value != 0 ? 0 : 1;
  }
  for (Item& item : items) {
    if (item.id == KV_PRIM_PLANE) item.value = 2;
    if (item.id == KV_SPLINEOBJECT_INTERPOLATION) item.value = 1;
    if (item.id == KV_SPLINEOBJECT_SUB) item.value = -17;
  }
  return items;
}

inline Item& At(Items& items, std::int32_t id) {
  for (Item& item : items) {
    if (item.id == id) return item;
  }
  ADD_FAILURE() << "no preset item " << id;
  return items.front();
}

inline bool IsDoubleArrowItem(std::int32_t id) {
  return id == ARROW_DOUBLE || id == ARROW_DOUBLE_SHAFT_LENGTH || id == ARROW_DOUBLE_SHAFT_WIDTH;
}

inline bool HasDoubleArrowItems(const std::string& version) {
  return version == "# Version 1.2" || version == "# Version 1.3";
}

// A preset file as the format lays it out for version: items 11 to 13 only in the layout
// of versions 1.2 and 1.3.
struct PresetFile {
  explicit PresetFile(Items fileItems = DefaultItems(), std::string presetName = "",
                      std::string fileVersion = "# Version 1.3")
      : version(std::move(fileVersion)), name(std::move(presetName)), items(std::move(fileItems)) {}

  std::string version;
  std::string name;
  Items items;
  bool endMarker = true;

  Bytes Build() const {
    PresetBytes b;
    b.Str("# Keelvane preset file").Str(version).Str("# Start of parameters").Str(name);
    const Bytes values = ValueBytes();
    b.bytes.insert(b.bytes.end(), values.begin(), values.end());
    if (endMarker) b.Str("# End of parameters");
    return b.bytes;
  }

  // The items after the name, as the version lays them out.
  Bytes ValueBytes() const {
    PresetBytes b;
    for (const Item& item : items) {
      if (IsDoubleArrowItem(item.id) && !HasDoubleArrowItems(version)) continue;
      if (item.kind == Kind::Float) b.F32(static_cast<float>(item.value));
      if (item.kind == Kind::Bool) b.Byte(static_cast<std::uint8_t>(item.value));
      if (item.kind == Kind::Int) b.I32(static_cast<std::uint32_t>(static_cast<std::int32_t>(item.value)));
    }
    return b.bytes;
  }
};

// Offsets in a file with the standard header, version 1.3 and start marker.
constexpr std::size_t kHeaderSize = 4 + 22 + 1;
constexpr std::size_t kNameOffset = kHeaderSize + 18 + 26;

// Puts the items on the node's container as the object holds them (floats unnarrowed).
inline void SetItems(KvNode* node, const Items& items) {
  for (const Item& item : items) {
    kvhost::Value v;
    if (item.kind == Kind::Float) v = item.value;
    if (item.kind == Kind::Bool) v = item.value != 0;
    if (item.kind == Kind::Int) v = static_cast<std::int32_t>(item.value);
    kvhost::SetParameterRaw(kvhost::Container(node), item.id, v);
  }
}

// The node holds each item as a load gives it back: floats as their nearest
// single-precision value, bools and ints exactly.
inline void ExpectItems(KvNode* node, const Items& items) {
  for (const Item& item : items) {
    SCOPED_TRACE("parameter " + std::to_string(item.id));
    switch (item.kind) {
      case Kind::Float:
        EXPECT_EQ(Float(node, item.id), double(float(item.value)));
        break;
      case Kind::Bool:
        EXPECT_EQ(Bool(node, item.id), item.value != 0);
        break;
      case Kind::Int:
        EXPECT_EQ(Int(node, item.id), static_cast<std::int32_t>(item.value));
        break;
    }
  }
}

// Every parameter of the node, rendered as text, for before/after comparisons.
inline std::map<std::int32_t, std::string> Snapshot(KvNode* node) {
  std::map<std::int32_t, std::string> out;
  const KvContainer* c = kvhost::Container(node);
  for (std::int32_t id : kvhost::ParameterIds(c)) out[id] = kvhost::ValueText(*kvhost::GetParameter(c, id));
  return out;
}

// Dialog start paths are compared with the platform's own separators: on Windows the
// module's '/' joins and std::filesystem's '\' both occur.
inline std::string NativeSeparators(const std::string& path) {
  return std::filesystem::path(path).make_preferred().string();
}

// The folder and file part the last file dialog was shown with.
inline std::string LastDialogStart() {
  const auto& shown = kvhost::ShownDialogs();
  return shown.empty() ? std::string("<no dialog>") : NativeSeparators(shown.back().startPath);
}

// Where a preset dialog starting in folder is shown.
inline std::string DialogStart(const std::filesystem::path& folder) {
  return NativeSeparators(kvhost::JoinPath(folder.string(), "*.kvp"));
}

// The arrow module with a scratch folder for preset files and a clean dialog script.
class PresetTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    kvhost::ResetFileServices();
  }
  void TearDown() override {
    kvhost::ResetFileServices();
    ModuleTest::TearDown();
  }

  std::string PathIn(const std::string& file) const { return (dir / file).string(); }

  // The save button, the user naming path.
  void Save(KvNode* arrow, const std::string& path) {
    kvhost::QueueDialogAnswer(path);
    kvhost::PressButton(arrow, ARROW_PRESET_SAVE);
  }

  // The load button, the user picking path. True when the module followed the load with
  // its update message, that is, when it counted the load as done.
  bool Load(KvNode* arrow, const std::string& path) {
    kvhost::QueueDialogAnswer(path);
    return PressAndCountUpdates(arrow, ARROW_PRESET_LOAD) > 0;
  }

  // Update messages (KV_MSG_UPDATE) the module sent to the arrow while the button was pressed.
  int PressAndCountUpdates(KvNode* arrow, std::int32_t button) {
    const std::size_t before = kvhost::MessageLog(arrow).size();
    kvhost::PressButton(arrow, button);
    int updates = 0;
    const auto& log = kvhost::MessageLog(arrow);
    for (std::size_t i = before; i < log.size(); ++i) {
      if (log[i].type == KV_MSG_UPDATE && log[i].sender == kvhost::MessageSender::Module) ++updates;
    }
    return updates;
  }

  // The bytes of a preset saved from arrow.
  Bytes Saved(KvNode* arrow) {
    const std::string path = PathIn("saved.kvp");
    Save(arrow, path);
    return ReadBytes(path);
  }

  const kvhost::ScratchFolder dir{"presets"};
};

}  // namespace kvtest
