// A module as the host drives it: loaded from a shared library (or wired in-process from
// sources linked into the same program), started through the entry protocol, ended and
// unloaded. Every entry call is kept with its arguments and result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host_tables.h"

namespace kvhost {

struct EntryCall {
  std::int32_t action;
  std::intptr_t first;
  void* second;
  void* third;
  std::int32_t result;
};

class Module {
 public:
  // Loads the library at path and finds c4d_main, g_maxon and g_CpuYieldDelegate; checks
  // the record's layout version. Nothing is called yet. Null with *error naming what is
  // wrong (the missing symbol, both layout versions, the loader's reason).
  static std::unique_ptr<Module> Load(const std::string& path, std::string* error);
  // A module whose sources are linked into this program; path is what action 1 hands over
  // as the module's own file (empty: an empty path).
  static std::unique_ptr<Module> InProcess(KvModuleMain main, KvModuleRecord* record,
                                           const std::string& path, std::string* error);
  // Ends the module if it was started and not ended (action 3), releases the objects of
  // its plug-ins, and unloads the library.
  ~Module();
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  // The start sequence: action 1 with the tables and the module's path, action 6 with
  // plug-in message 1, action 2. True when all three answered success (1).
  bool Start();
  // The single steps, each with its result.
  std::int32_t Initialise();     // action 1: first = &tables, third = the module path
  std::int32_t LoadResources();  // action 6: first = 1, second = null
  std::int32_t StartPlugins();   // action 2
  std::int32_t End();            // action 3; the destructor sends no further one

  // A raw call of c4d_main (kept like every other). An armed null sub-table applies only
  // to the record handed by Initialise.
  std::int32_t Call(std::int32_t action, std::intptr_t first, void* second, void* third);
  // Action 1 with a null path (a test of the entry protocol).
  std::int32_t InitialiseWithoutPath();

  const std::vector<EntryCall>& Calls() const { return calls_; }
  std::string Identifier() const;  // from g_maxon; empty while null
  const KvModuleRecord* Record() const { return record_; }
  const std::string& Path() const { return path_; }
  KvCpuYieldDelegate* CpuYieldDelegate() const { return yield_; }

 private:
  Module() = default;
  std::int32_t InitialiseWith(const KvFilename* path);
  std::vector<std::int32_t> OwnPluginIds() const;  // registered since the module loaded
  void ReleaseOwnNodes();

  void* library_ = nullptr;
  KvModuleMain main_ = nullptr;
  KvModuleRecord* record_ = nullptr;
  KvCpuYieldDelegate* yield_ = nullptr;
  std::string path_;
  std::vector<EntryCall> calls_;
  int initCount_ = 0;  // action 1 calls not matched by an action 3
  std::vector<std::int32_t> pluginsBefore_;
};

}  // namespace kvhost
