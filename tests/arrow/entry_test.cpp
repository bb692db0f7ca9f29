// The module's entry point as the host drives it: action results, nested initialisation,
// the version and path checks of each flavour, resources, registration and console lines.
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "module_loader.h"
#include "preset_test_support.h"

namespace {

using kvtest::Flavour;

std::unique_ptr<kvhost::Module> LoadModule(const std::string& path) {
  std::string error;
  auto module = kvhost::Module::Load(path, &error);
  EXPECT_NE(module, nullptr) << error;
  return module;
}

std::vector<std::string> ConsoleTexts() {
  std::vector<std::string> texts;
  for (const auto& line : kvhost::ConsoleLines()) texts.push_back(line.text);
  return texts;
}

// A status line of the module's own: its text at its fixed place in "main", for every
// audience, with the default write-meta, as an information line.
void ExpectStatusLine(const kvhost::ConsoleLine& line, const std::string& text, int lineNo) {
  EXPECT_EQ(line.text, text);
  EXPECT_EQ(line.file, "main");
  EXPECT_EQ(line.line, lineNo);
  EXPECT_EQ(line.audience, 14);
  EXPECT_EQ(line.writeMeta, 1);
  EXPECT_EQ(line.level, KV_OUTPUT_INFO);
}

class EntryPoint : public ::testing::TestWithParam<Flavour> {
 protected:
  void SetUp() override { kvhost::ResetHost(); }
  void TearDown() override { kvhost::ResetHost(); }
};

TEST_P(EntryPoint, StartRegistersTheArrowAndSaysSo) {
  auto module = LoadModule(GetParam().modulePath);
  ASSERT_TRUE(module->Start());
  EXPECT_EQ(module->Identifier(), "com.orlendt-software.keelvane");

  // Documents store the arrow under this released number.
  const kvhost::PluginEntry* arrow = kvhost::FindPlugin(1025060);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(arrow->pluginType, KV_PLUGINTYPE_OBJECT);
  EXPECT_EQ(arrow->name, "Arrow");
  EXPECT_EQ(arrow->description, "Okeelvane");
  EXPECT_EQ(arrow->record.info, KV_OBJECT_GENERATOR | KV_OBJECT_ISSPLINE);
  EXPECT_EQ(arrow->record.diskLevel, 0);
  EXPECT_NE(arrow->record.GetContour, nullptr);
  EXPECT_NE(arrow->record.GetVirtualObjects, nullptr);
  EXPECT_TRUE(arrow->icon.has_value());
  EXPECT_EQ(kvhost::RegisteredDescription(Okeelvane), "Okeelvane");

  ASSERT_EQ(kvhost::ConsoleLines().size(), 1u);
  ExpectStatusLine(kvhost::ConsoleLines()[0], "Orlendt Software: Keelvane successfully loaded.", 22);
}

TEST_P(EntryPoint, ActionResults) {
  auto module = LoadModule(GetParam().modulePath);
  ASSERT_EQ(module->Initialise(), 1);
  EXPECT_EQ(module->Call(4, 0, nullptr, nullptr), 5);
  for (int action : {0, 5, 7, 100, -1}) {
    EXPECT_EQ(module->Call(action, 0, nullptr, nullptr), -1) << "action " << action;
  }
  EXPECT_EQ(module->Call(6, 0, nullptr, nullptr), 1);   // message 0: nothing to do
  EXPECT_EQ(module->Call(6, 2, nullptr, nullptr), -1);  // unknown message
  EXPECT_EQ(module->LoadResources(), 1);
  EXPECT_EQ(module->StartPlugins(), 1);
  EXPECT_EQ(module->End(), 1);
}

TEST_P(EntryPoint, NestedInitialisationIsCounted) {
  auto module = LoadModule(GetParam().modulePath);
  ASSERT_TRUE(module->Start());
  const auto live = kvhost::LiveAllocations();
  EXPECT_EQ(module->Initialise(), 1);  // a second action 1 touches nothing
  EXPECT_EQ(kvhost::LiveAllocations(), live);
  EXPECT_EQ(module->End(), 1);  // matches the second action 1: nothing released
  EXPECT_EQ(kvhost::LiveAllocations(), live);
  EXPECT_EQ(module->End(), 1);  // the last one releases the path and the resources
  EXPECT_LT(kvhost::LiveAllocations(), live);
}

TEST_P(EntryPoint, AcceptsTheLowestHostVersionAndRefusesTheOneBelow) {
  {
    kvhost::SetHostApiVersion(GetParam().minHostApiVersion);
    auto module = LoadModule(GetParam().modulePath);
    EXPECT_EQ(module->Initialise(), 1);
    module->End();
  }
  {
    kvhost::SetHostApiVersion(GetParam().minHostApiVersion - 1);
    auto module = LoadModule(GetParam().modulePath);
    const auto live = kvhost::LiveAllocations();
    EXPECT_EQ(module->Initialise(), -3);
    EXPECT_EQ(kvhost::LiveAllocations(), live);  // nothing allocated
    module->End();
  }
}

TEST(EntryPointFlavours, WindowsAcceptsAHostThatMacOSRefuses) {
  kvhost::ResetHost();
  kvhost::SetHostApiVersion(kvtest::kWindows.minHostApiVersion);
  auto windows = LoadModule(kvtest::kWindows.modulePath);
  EXPECT_EQ(windows->Initialise(), 1);
  windows->End();
  windows.reset();
  auto macos = LoadModule(kvtest::kMacOS.modulePath);
  EXPECT_EQ(macos->Initialise(), -3);
  macos->End();
  macos.reset();
  kvhost::ResetHost();
}

TEST(EntryPointFlavours, WindowsRecordCarriesTheFrameworkVersion) {
  kvhost::ResetHost();
  auto windows = LoadModule(kvtest::kWindows.modulePath);
  ASSERT_NE(windows->Record(), nullptr);
  EXPECT_EQ(windows->Record()->frameworkVersion[0], 2025000u);
  EXPECT_EQ(windows->Record()->frameworkVersion[1], 2025000u);
  EXPECT_EQ(windows->Record()->layoutVersion, KV_TABLE_LAYOUT_VERSION);
  ASSERT_NE(windows->CpuYieldDelegate(), nullptr);
  ASSERT_NE(*windows->CpuYieldDelegate(), nullptr);
  (*windows->CpuYieldDelegate())();  // returns at once
}

TEST_P(EntryPoint, NoModulePathIsRefused) {
  auto module = LoadModule(GetParam().modulePath);
  EXPECT_EQ(module->InitialiseWithoutPath(), -3);
  module->End();
}

TEST_P(EntryPoint, MissingSubTableIsReportedAndInitialisationGoesOn) {
  auto module = LoadModule(GetParam().modulePath);
  kvhost::NullSubTableForNextCall(kvhost::SubTableIndex("t_C4DOS_Ne"));
  EXPECT_EQ(module->Initialise(), 1);
  ASSERT_FALSE(kvhost::ConsoleLines().empty());
  const kvhost::ConsoleLine& line = kvhost::ConsoleLines()[0];
  EXPECT_EQ(line.level, KV_OUTPUT_CRITICAL);
  EXPECT_EQ(line.file, "operatingsystem");
  EXPECT_EQ(line.line, 135);
  EXPECT_EQ(line.text.rfind("Assertion failed: t_C4DOS_Ge && t_C4DOS_Sh && ", 0), 0u) << line.text;
  EXPECT_NE(line.text.find(" && t_C4DOS_Ne && t_C4DOS_FL"), std::string::npos);
  EXPECT_EQ(line.text.size(), std::string("Assertion failed: ").size() + 37 * 10 + 36 * 4);
  module->End();
}

// A host record with one sub-table, or one function of a sub-table, null, run in a child
// process so that a call through the null pointer is a failed test, not a lost suite. The
// module calls 13 of the 37 tables: a null one of those, or a null function in one,
// refuses action 1 as a table of another layout does, and the module then answers every
// later action without calling the host; a null one of the others changes nothing. Either
// way the assertion line is written whenever Ge (the console) and St (its strings) are
// there whole.
bool ModuleCallsTable(const std::string& name) {
  for (const char* called : {"Ge", "Bc", "St", "Bm", "Fn", "Fl", "Bf", "Lr", "Bl", "Tg", "Bo",
                             "Bd", "Pl"}) {
    if (name == called) return true;
  }
  return false;
}

// Every sub-table of the record the host hands over, with its short name.
struct SubTable {
  std::string name;
  const KvTableHeader* header;
};
std::vector<SubTable> HostSubTables() {
  const KvHostTables* t = kvhost::HostTables();
  return {
#define KV_SUBTABLE_ENTRY(name, type) {#name, &t->t_C4DOS_##name->header},
      KV_HOST_SUBTABLES(KV_SUBTABLE_ENTRY)
#undef KV_SUBTABLE_ENTRY
  };
}

// What the module answered and wrote, with the host's record made faulty by arm at action 1.
std::string StartWithFaultyRecord(const std::string& modulePath, const std::function<void()>& arm) {
  kvhost::ResetHost();
  std::string error;
  auto module = kvhost::Module::Load(modulePath, &error);
  if (module == nullptr) return error;
  const auto live = kvhost::LiveAllocations();
  arm();
  const std::int32_t init = module->Initialise();
  const bool kept = kvhost::LiveAllocations() != live;
  bool assertion = false;
  for (const kvhost::ConsoleLine& line : kvhost::ConsoleLines()) {
    assertion = assertion || (line.level == KV_OUTPUT_CRITICAL && line.file == "operatingsystem");
  }
  const std::int32_t message = module->LoadResources();
  const std::int32_t start = module->StartPlugins();
  const std::int32_t end = module->End();
  return "action 1 " + std::to_string(init) + (kept ? " keeping memory" : " keeping nothing") +
         ", assertion line " + (assertion ? "written" : "missing") + ", then actions 6 2 3: " +
         std::to_string(message) + " " + std::to_string(start) + " " + std::to_string(end);
}

[[noreturn]] void ReportAndExit(const std::string& summary) {
  std::fprintf(stderr, "%s\n", summary.c_str());
  std::fflush(stderr);
  std::exit(0);
}

TEST_P(EntryPoint, EveryNullSubTableIsRefusedOrIgnoredWithoutACrash) {
  for (const SubTable& table : HostSubTables()) {
    const std::string& name = table.name;
    const bool called = ModuleCallsTable(name);
    const bool lineWritable = name != "Ge" && name != "St";
    const std::string expected =
        std::string(called ? "action 1 -3 keeping nothing" : "action 1 1 keeping memory") +
        ", assertion line " + (lineWritable ? "written" : "missing") +
        (called ? ", then actions 6 2 3: -1 0 1" : ", then actions 6 2 3: 1 1 1");
    const int index = kvhost::SubTableIndex(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_EXIT(ReportAndExit(StartWithFaultyRecord(
                    GetParam().modulePath, [index] { kvhost::NullSubTableForNextCall(index); })),
                ::testing::ExitedWithCode(0), expected)
        << "t_C4DOS_" << name;
  }
}

// Every function of every table the module calls, null in turn: refused before anything
// is called, with a line that names the table and the function.
TEST_P(EntryPoint, EveryNullFunctionOfACalledTableIsRefused) {
  for (const SubTable& table : HostSubTables()) {
    const std::string& name = table.name;
    if (!ModuleCallsTable(name)) continue;
    const int index = kvhost::SubTableIndex(name);
    const bool lineWritable = name != "Ge" && name != "St";
    const std::string expected =
        std::string("action 1 -3 keeping nothing, assertion line ") +
        (lineWritable ? "written" : "missing") + ", then actions 6 2 3: -1 0 1";
    const int functions =
        static_cast<int>((table.header->size - sizeof(KvTableHeader)) / sizeof(void (*)()));
    for (int function = 0; function < functions; ++function) {
      EXPECT_EXIT(ReportAndExit(StartWithFaultyRecord(GetParam().modulePath, [index, function] {
                    kvhost::NullFunctionForNextCall(index, function);
                  })),
                  ::testing::ExitedWithCode(0), expected)
          << "t_C4DOS_" << name << " function " << function;
    }
  }
}

TEST_P(EntryPoint, NullFunctionIsNamedOnTheConsole) {
  auto module = LoadModule(GetParam().modulePath);
  kvhost::NullFunctionForNextCall(kvhost::SubTableIndex("Bc"), 4);
  EXPECT_EQ(module->Initialise(), -3);
  ASSERT_EQ(kvhost::ConsoleLines().size(), 1u);
  const kvhost::ConsoleLine& line = kvhost::ConsoleLines()[0];
  EXPECT_EQ(line.level, KV_OUTPUT_CRITICAL);
  EXPECT_EQ(line.file, "operatingsystem");
  EXPECT_EQ(line.text, "Assertion failed: t_C4DOS_Bc->function[4] != nullptr");
  module->End();
}

TEST_P(EntryPoint, ResourcesThatDoNotLoadFailEveryTimeWithTheLine) {
  kvtest::PluginFolderCopy copy(GetParam(), {.withResources = false});
  auto module = LoadModule(copy.ModulePath());
  ASSERT_EQ(module->Initialise(), 1);
  EXPECT_EQ(module->LoadResources(), -1);
  EXPECT_EQ(module->LoadResources(), -1);
  const auto texts = ConsoleTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Keelvane: failed to load resource file.");
  EXPECT_EQ(texts[1], texts[0]);
  EXPECT_EQ(kvhost::ConsoleLines()[1].file, "main");
  EXPECT_EQ(kvhost::ConsoleLines()[1].line, 41);
  module->End();
}

TEST_P(EntryPoint, MissingIconStillRegistersTheObject) {
  kvtest::PluginFolderCopy copy(GetParam(), {.withIcon = false});
  auto module = LoadModule(copy.ModulePath());
  ASSERT_TRUE(module->Start());
  const kvhost::PluginEntry* arrow = kvhost::FindPlugin(Okeelvane);
  ASSERT_NE(arrow, nullptr);
  EXPECT_FALSE(arrow->icon.has_value());
  EXPECT_EQ(ConsoleTexts().back(), "Orlendt Software: Keelvane successfully loaded.");
}

TEST_P(EntryPoint, FailedRegistrationAnswersZeroAndSaysSo) {
  // Without resources the description "Okeelvane" cannot be registered, so neither can the
  // object.
  kvtest::PluginFolderCopy copy(GetParam(), {.withResources = false});
  auto module = LoadModule(copy.ModulePath());
  ASSERT_EQ(module->Initialise(), 1);
  ASSERT_EQ(module->LoadResources(), -1);
  EXPECT_EQ(module->StartPlugins(), 0);
  EXPECT_EQ(kvhost::FindPlugin(Okeelvane), nullptr);
  ExpectStatusLine(kvhost::ConsoleLines().back(), "Orlendt Software: Failed to load Keelvane.", 17);
  module->End();
}

// The process's current folder, changed for the life of the object.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::filesystem::path& folder)
      : saved_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~CurrentFolder() { std::filesystem::current_path(saved_); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::filesystem::path saved_;
};

// Without memory for the path holder the module keeps no path and starts from an empty
// plug-in folder: "res" and "presets" are looked up relative to the current folder, not
// beside the module (which here has neither).
TEST_P(EntryPoint, NoMemoryForThePathHolderStartsFromAnEmptyPluginFolder) {
  kvtest::PluginFolderCopy bare(GetParam(), {.withResources = false, .withPresets = false});
  kvtest::PluginFolderCopy current(GetParam(), {});
  CurrentFolder inCurrent(current.Folder());
  auto module = LoadModule(bare.ModulePath());
  kvhost::FailNextAllocation(kvhost::AllocKind::Memory);  // the path holder: the first
  ASSERT_EQ(module->Initialise(), 1);
  EXPECT_EQ(module->LoadResources(), 1);
  ASSERT_EQ(module->StartPlugins(), 1);

  KvDocument* doc = kvhost::NewDocument();
  KvNode* arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
  ASSERT_NE(arrow, nullptr);
  kvhost::QueueDialogCancel();
  kvhost::PressButton(arrow, ARROW_PRESET_LOAD);
  EXPECT_EQ(kvtest::LastDialogStart(), kvtest::DialogStart("presets"));
  kvhost::FreeDocument(doc);
  module->End();
}

TEST_P(EntryPoint, ExportsNothingButTheThreeSymbols) {
  std::string error;
  void* library = kvhost::OpenLibrary(GetParam().modulePath, &error);
  ASSERT_NE(library, nullptr) << error;
  EXPECT_NE(kvhost::FindSymbol(library, "c4d_main"), nullptr);
  EXPECT_NE(kvhost::FindSymbol(library, "g_maxon"), nullptr);
  EXPECT_NE(kvhost::FindSymbol(library, "g_CpuYieldDelegate"), nullptr);
  for (const char* hidden : {"g_initCount", "g_pluginPath", "g_resource", "g_os",
                             "_Z11PluginStartv", "_Z17BuildArrowOutlineRK13ArrowSettings"}) {
    EXPECT_EQ(kvhost::FindSymbol(library, hidden), nullptr) << hidden;
  }
  kvhost::CloseLibrary(library);
}

KV_INSTANTIATE_FLAVOURS(EntryPoint);

}  // namespace
