// libFuzzer target: arbitrary bytes as a preset file, read by the module's own preset
// reader through the stand-in host's file object, with the module linked in-process.
//
// Every input must leave the host's live allocations where they were, and no string read
// may reserve more bytes than the file holds (a length field is input like any other). An
// input the reader accepts must survive being written back and read again unchanged.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "arrow_parameters.h"
#include "arrow_presets.h"
#include "host.h"
#include "local_files.h"

extern "C" Int32 c4d_main(Int32 action, intptr_t first, void* second, void* third);
extern "C" KvModuleRecord g_maxon;

namespace {

// The host's error log grows with every failed read; a fresh host now and then keeps the
// fuzzer's memory flat.
constexpr int kInputsPerHost = 4096;

[[noreturn]] void Fault(const char* what) {
  std::fprintf(stderr, "preset_fuzzer: %s\n", what);
  std::abort();
}

// The module started in-process, and a scratch folder of this process for its two files.
struct Harness {
  Harness() { StartHost(); }
  ~Harness() { StopHost(); }

  void StartHost() {
    kvhost::ResetHost();
    std::string error;
    // The module's path: beside the repository's res/ folder, so that it starts fully.
    module = kvhost::Module::InProcess(c4d_main, &g_maxon, KEELVANE_SOURCE_DIR "/keelvane", &error);
    if (module == nullptr) Fault(error.c_str());
    if (!module->Start()) Fault("the module did not start");
  }
  void StopHost() {
    module.reset();
    kvhost::ResetHost();
  }

  std::unique_ptr<kvhost::Module> module;
  const kvhost::ScratchFolder folder{"preset-fuzz"};
  const std::string input = (folder / "input.kvp").string();
  const std::string rewritten = (folder / "rewritten.kvp").string();
  int inputs = 0;
};

// Reads the preset at path into scratch; false when it cannot be opened or read.
bool ReadPreset(const std::string& path, BaseContainer& scratch) {
  BaseFile* file = BaseFile::Alloc();
  if (file == nullptr) Fault("no file object");
  bool read = false;
  if (file->Open(Filename(path.c_str()), FILEOPEN::READ, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA)) {
    read = ReadPresetFile(file, scratch);
  }
  BaseFile::Free(file);
  return read;
}

void WritePreset(const std::string& path, const BaseContainer& bc) {
  BaseFile* file = BaseFile::Alloc();
  if (file == nullptr) Fault("no file object");
  if (!file->Open(Filename(path.c_str()), FILEOPEN::WRITE, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA)) {
    Fault("cannot open the rewritten preset");
  }
  WritePresetFile(file, bc);
  BaseFile::Free(file);
}

bool SameFloat(Float a, Float b) { return a == b || (std::isnan(a) && std::isnan(b)); }

// Every value a preset carries is the same in a and b.
bool SameValues(const BaseContainer& a, const BaseContainer& b) {
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.presetItem == 0) continue;
    bool same = true;
    switch (p.kind) {
      case kFloatParameter: same = SameFloat(a.GetFloat(p.id), b.GetFloat(p.id)); break;
      case kBoolParameter: same = a.GetBool(p.id) == b.GetBool(p.id); break;
      case kInt32Parameter: same = a.GetInt32(p.id) == b.GetInt32(p.id); break;
      case kStringParameter: same = a.GetString(p.id) == b.GetString(p.id); break;
      case kLinkParameter:
      case kButtonParameter: break;
    }
    if (!same) {
      std::fprintf(stderr, "preset_fuzzer: parameter %d differs after the rewrite\n", p.id);
      return false;
    }
  }
  return true;
}

void FuzzOne(Harness& h, const uint8_t* data, size_t size) {
  if (!kvhost::WriteWholeFile(h.input, std::string_view(reinterpret_cast<const char*>(data), size))) {
    Fault("cannot write the input file");
  }
  BaseContainer scratch;
  if (!ReadPreset(h.input, scratch)) return;
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.presetItem != 0 && p.kind == kFloatParameter && !std::isfinite(scratch.GetFloat(p.id))) {
      Fault("a preset with a value that is not finite was read");
    }
  }
  WritePreset(h.rewritten, scratch);
  BaseContainer again;
  if (!ReadPreset(h.rewritten, again)) Fault("a rewritten preset does not read back");
  if (!SameValues(scratch, again)) Fault("a rewritten preset reads back different values");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Harness harness;
  if (++harness.inputs % kInputsPerHost == 0) {
    harness.StopHost();
    harness.StartHost();
  }
  const std::int64_t live = kvhost::LiveAllocations();
  kvhost::ResetLargestStringReservation();
  FuzzOne(harness, data, size);
  if (kvhost::LiveAllocations() != live) Fault("host allocations leaked");
  // The rewritten file may be longer than the input (a missing end marker is added).
  if (kvhost::LargestStringReservation() > static_cast<std::int64_t>(size) + 200) {
    Fault("a string read reserved more bytes than the file holds");
  }
  return 0;
}
