// Saving and loading a preset through the stand-in host's file object, on a file in a
// temporary folder: the dialog-free core of the preset commands, with the module linked
// in-process. The pair is meant to stay under 20 microseconds. The folder is the system's
// temporary folder (TMPDIR); on a disk-backed one the truncating open of the save dominates,
// so TMPDIR=/dev/shm measures the file object and the preset code alone.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "arrow_presets.h"
#include "host.h"
#include "local_files.h"

extern "C" Int32 c4d_main(Int32 action, intptr_t first, void* second, void* third);
extern "C" KvModuleRecord g_maxon;

namespace {

// The module started in-process, one reset arrow whose settings are saved, and the
// preset file.
struct PresetBench {
  PresetBench() {
    kvhost::ResetHost();
    // The module's path lies beside the repository's res/ folder, so that it starts fully.
    const std::filesystem::path root = std::filesystem::path(__FILE__).parent_path().parent_path();
    std::string error;
    module = kvhost::Module::InProcess(c4d_main, &g_maxon, (root / "keelvane").string(), &error);
    if (module == nullptr || !module->Start()) std::abort();
    doc = kvhost::NewDocument();
    KvNode* arrow = kvhost::CreateObjectFromMenu(doc, ID_ARROW_OBJECT);
    if (arrow == nullptr) std::abort();
    data = static_cast<BaseObject*>(GeListNode::FromHandle(arrow))->GetDataInstance();
    data->SetString(ARROW_PRESET_NAME, String("benchmark arrow"));
    path.emplace((folder / "bench.kvp").string().c_str());
  }
  ~PresetBench() {
    path.reset();  // host objects go before the host
    kvhost::FreeDocument(doc);
    module.reset();
    kvhost::ResetHost();
  }

  std::unique_ptr<kvhost::Module> module;
  KvDocument* doc = nullptr;
  BaseContainer* data = nullptr;
  const kvhost::ScratchFolder folder{"bench-presets"};
  std::optional<Filename> path;  // made once the module holds the host's tables
};

PresetBench& Bench() {
  static PresetBench bench;
  return bench;
}

bool Save(PresetBench& b) {
  BaseFile* file = BaseFile::Alloc();
  const bool opened = file != nullptr &&
                      file->Open(*b.path, FILEOPEN::WRITE, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA);
  if (opened) WritePresetFile(file, *b.data);
  BaseFile::Free(file);
  return opened;
}

bool Load(PresetBench& b) {
  BaseContainer scratch(*b.data);
  BaseFile* file = BaseFile::Alloc();
  const bool read = file != nullptr &&
                    file->Open(*b.path, FILEOPEN::READ, FILEDIALOG::IGNOREOPEN, BYTEORDER::V_MOTOROLA) &&
                    ReadPresetFile(file, scratch);
  BaseFile::Free(file);
  return read;
}

void BM_SavePreset(benchmark::State& state) {
  PresetBench& b = Bench();
  for (auto _ : state) {
    if (!Save(b)) state.SkipWithError("the preset file could not be opened");
  }
}
BENCHMARK(BM_SavePreset);

void BM_LoadPreset(benchmark::State& state) {
  PresetBench& b = Bench();
  if (!Save(b)) state.SkipWithError("the preset file could not be written");
  for (auto _ : state) {
    if (!Load(b)) state.SkipWithError("the preset did not read back");
  }
}
BENCHMARK(BM_LoadPreset);

void BM_SaveAndLoadPreset(benchmark::State& state) {
  PresetBench& b = Bench();
  for (auto _ : state) {
    if (!Save(b) || !Load(b)) state.SkipWithError("the preset did not go through");
  }
}
BENCHMARK(BM_SaveAndLoadPreset);

}  // namespace
