// The entry protocol as the host drives it: action 1 (tables and the module's path),
// action 6 with plug-in message 1 (load resources), action 2 (start), action 3 (end).
#include "module.h"

#include "console.h"
#include "file_paths.h"
#include "host.h"
#include "host_model.h"
#include "host_strings.h"
#include "module_loader.h"

namespace kvhost {
namespace {

std::vector<std::int32_t> PluginIds() {
  std::vector<std::int32_t> ids;
  for (const PluginEntry* p : RegisteredPlugins()) ids.push_back(p->id);
  return ids;
}

// The host's own path object for action 1. It must not use up a fault a test armed for
// the module's allocations.
KvFilename* NewHostPath(const std::string& path) {
  const int armedPaths = ArmedFaults(AllocKind::PathHolder);
  const int armedStrings = ArmedFaults(AllocKind::String);
  FailNextAllocation(AllocKind::PathHolder, 0);
  FailNextAllocation(AllocKind::String, 0);
  KvFilename* fn = FilenameTable()->Alloc();
  KvString* text = NewString(path);
  if (fn != nullptr) FilenameTable()->SetString(fn, text);
  FreeString(text);
  FailNextAllocation(AllocKind::PathHolder, armedPaths);
  FailNextAllocation(AllocKind::String, armedStrings);
  return fn;
}

}  // namespace

std::unique_ptr<Module> Module::Load(const std::string& path, std::string* error) {
  std::string reason;
  void* library = OpenLibrary(path, &reason);
  if (library == nullptr) {
    if (error != nullptr) *error = "cannot load module '" + path + "': " + reason;
    return nullptr;
  }
  for (const char* symbol : {"c4d_main", "g_maxon", "g_CpuYieldDelegate"}) {
    if (FindSymbol(library, symbol) == nullptr) {
      if (error != nullptr) {
        *error = "module '" + path + "' does not export the symbol '" + symbol + "'";
      }
      CloseLibrary(library);
      return nullptr;
    }
  }
  auto main = reinterpret_cast<KvModuleMain>(FindSymbol(library, "c4d_main"));
  auto* record = static_cast<KvModuleRecord*>(FindSymbol(library, "g_maxon"));
  std::unique_ptr<Module> module = InProcess(main, record, path, error);
  if (module == nullptr) {
    CloseLibrary(library);
    return nullptr;
  }
  module->library_ = library;
  module->yield_ = static_cast<KvCpuYieldDelegate*>(FindSymbol(library, "g_CpuYieldDelegate"));
  return module;
}

std::unique_ptr<Module> Module::InProcess(KvModuleMain main, KvModuleRecord* record,
                                          const std::string& path, std::string* error) {
  const std::string name = path.empty() ? std::string("(in-process)") : path;
  if (main == nullptr || record == nullptr) {
    if (error != nullptr) *error = "module '" + name + "' has no entry point or no record";
    return nullptr;
  }
  if (record->layoutVersion != KV_TABLE_LAYOUT_VERSION) {
    if (error != nullptr) {
      *error = "module '" + name + "' was built with table layout version " +
               std::to_string(record->layoutVersion) + ", this host has version " +
               std::to_string(KV_TABLE_LAYOUT_VERSION);
    }
    return nullptr;
  }
  std::unique_ptr<Module> module(new Module);
  module->main_ = main;
  module->record_ = record;
  module->path_ = path;
  module->pluginsBefore_ = PluginIds();
  return module;
}

Module::~Module() {
  while (initCount_ > 0) End();
  for (std::int32_t id : OwnPluginIds()) UnregisterPlugin(id);
  CloseLibrary(library_);
}

std::vector<std::int32_t> Module::OwnPluginIds() const {
  std::vector<std::int32_t> own;
  for (std::int32_t id : PluginIds()) {
    bool before = false;
    for (std::int32_t old : pluginsBefore_) before = before || old == id;
    if (!before) own.push_back(id);
  }
  return own;
}

// The module gives the host's tables back at its last end, so its objects are released
// (through its destructor, which calls the host) before it.
void Module::ReleaseOwnNodes() {
  for (std::int32_t id : OwnPluginIds()) {
    if (const PluginEntry* plugin = FindPluginEntry(id)) ReleasePluginNodes(plugin);
  }
}

std::int32_t Module::Call(std::int32_t action, std::intptr_t first, void* second,
                          void* third) {
  if (action == KV_ACTION_INIT_SYSTEM) ++initCount_;
  if (action == KV_ACTION_END && initCount_ == 1) ReleaseOwnNodes();
  if (action == KV_ACTION_END && initCount_ > 0) --initCount_;
  const std::int32_t result = main_(action, first, second, third);
  calls_.push_back(EntryCall{action, first, second, third, result});
  return result;
}

std::int32_t Module::InitialiseWith(const KvFilename* path) {
  return Call(KV_ACTION_INIT_SYSTEM, reinterpret_cast<std::intptr_t>(TablesForNextCall()),
              nullptr, const_cast<KvFilename*>(path));
}

std::int32_t Module::Initialise() {
  KvFilename* path = NewHostPath(path_);
  if (path == nullptr) ReportHostError("no memory for the module path of action 1");
  const std::int32_t result = InitialiseWith(path);
  FilenameTable()->Free(path);
  return result;
}

std::int32_t Module::InitialiseWithoutPath() { return InitialiseWith(nullptr); }

std::int32_t Module::LoadResources() {
  return Call(KV_ACTION_MESSAGE, KV_PLUGINMESSAGE_LOAD_RESOURCES, nullptr, nullptr);
}
std::int32_t Module::StartPlugins() { return Call(KV_ACTION_START, 0, nullptr, nullptr); }
std::int32_t Module::End() { return Call(KV_ACTION_END, 0, nullptr, nullptr); }

bool Module::Start() {
  const std::int32_t init = Initialise();
  if (init != KV_RESULT_OK) return false;
  const std::int32_t resources = LoadResources();  // the host starts the module even so
  const std::int32_t start = StartPlugins();
  return init == KV_RESULT_OK && resources == KV_RESULT_OK && start == KV_RESULT_OK;
}

std::string Module::Identifier() const {
  return record_ != nullptr && record_->identifier != nullptr ? record_->identifier : "";
}

}  // namespace kvhost
