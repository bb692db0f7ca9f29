// The checks of the module as a whole: its entry point (entry), its description against
// what its objects hold (description), and repeated loading (lifecycle).
#include <algorithm>
#include <cmath>
#include <iomanip>
#include <sstream>

#include "check_support.h"
#include "description/okeelvane.h"
#include "child_process.h"
#include "console.h"
#include "resources.h"
#include "test_powers.h"

namespace kvcheck {
namespace {

constexpr std::int32_t kConsoleInfo = KV_OUTPUT_INFO;

// Parameters a new arrow leaves out of its container on purpose: their reset does not
// touch them, and an absent bool or link reads as off or empty.
constexpr std::int32_t kDeliberatelyUnset[] = {ARROW_EXTRUDE_CAPS,     ARROW_CLONER_ADD_EXTRUDE,
                                               ARROW_CLONE_ON_SPLINE,  ARROW_CLONE_SPLINE,
                                               ARROW_WRAP_ADD_EXTRUDE, ARROW_WRAP_SPLINE};

// The flavour a module answers as, told by the framework version its record carries at
// load (the Windows build's 2025000, the macOS build's 0).
constexpr std::uint64_t kWindowsFrameworkVersion = 2025000;

std::string ModuleFlavour(const KvModuleRecord* record) {
  return record != nullptr && record->frameworkVersion[0] == 0 ? "mac" : "win";
}

// The lowest host version each flavour accepts.
std::int32_t LowestHostVersion(const std::string& flavour) {
  return flavour == "mac" ? KV_MIN_API_VERSION_MACOS : KV_MIN_API_VERSION_WINDOWS;
}

// The flavour the module must be: as --flavour says, else as the folder tells by its
// module's file name (keelvane.xdl64, KeelvaneR2025.xlib) or by its own folder's name
// (plugins/win/keelvane, plugins/mac/keelvane); empty when it cannot tell.
std::string ExpectedFlavour(const CheckContext& context) {
  if (!context.flavour.empty()) return context.flavour;
  const std::string module = kvtool::ModuleFileOf(context.plugin).extension().string();
  if (module == ".xdl64") return "win";
  if (module == ".xlib") return "mac";
  const std::string parent = context.plugin.parent_path().filename().string();
  return parent == "win" || parent == "mac" ? parent : std::string();
}

// Unloads the module and sees that it left no more host allocations behind than baseline
// (what a start in the host's order leaves, which the lifecycle check wants to be none).
std::int64_t UnloadAndCount(std::unique_ptr<kvhost::Module>& module, const std::string& what,
                            std::int64_t baseline, CheckResult& result) {
  module.reset();
  const std::int64_t live = kvhost::LiveAllocations();
  if (live > baseline) {
    result.Fail(what + ": " + std::to_string(live) + " host allocations live after unloading",
                std::to_string(baseline) + ", as after the host's order");
  }
  kvhost::ResetHost();
  return live;
}

void Expect(CheckResult& result, const std::string& what, std::int32_t seen, std::int32_t expected) {
  ++result.cases;
  if (seen != expected) {
    result.Fail(what + " answered " + std::to_string(seen), "answer " + std::to_string(expected));
  }
}

// Actions 6 (load the resources) and 2 (start) where the module has no tables to call
// through (after a refused action 1, after the last action 3): both answer at once
// without reaching the plug-in, so no console line, no registration, no allocation.
void ExpectUnreached(kvhost::Module& module, const std::string& after, CheckResult& result) {
  const std::size_t lines = kvhost::ConsoleLines().size();
  const std::size_t plugins = kvhost::RegisteredPlugins().size();
  const std::int64_t live = kvhost::LiveAllocations();
  Expect(result, "action 6 (load resources) " + after, module.LoadResources(), KV_RESULT_UNHANDLED);
  Expect(result, "action 2 " + after, module.StartPlugins(), KV_RESULT_FAILED);
  ++result.cases;
  const auto& console = kvhost::ConsoleLines();
  if (console.size() != lines) {
    result.Fail("actions 6 and 2 " + after + " reached the plug-in: it wrote \"" + console.back().text + "\"",
                "no console line: the plug-in is not called");
  } else if (kvhost::RegisteredPlugins().size() != plugins) {
    result.Fail("action 2 " + after + " registered a plug-in", "no registration: the plug-in is not called");
  } else if (kvhost::LiveAllocations() != live) {
    result.Fail("actions 6 and 2 " + after + " changed the live host allocations from " + std::to_string(live) +
                    " to " + std::to_string(kvhost::LiveAllocations()),
                "no change: the plug-in is not called");
  }
}

}  // namespace

void RunEntry(CheckContext& context, CheckResult& result) {
  // The host's own order: action 1, resources, action 2, with one console line.
  auto module = LoadModule(context, result);
  if (module == nullptr) return;
  ++result.cases;
  if (module->Identifier().empty()) result.Fail("g_maxon carries no identifier", "the module's identifier");
  if (!module->Start()) return result.Fail("the start sequence failed", "actions 1, 6 and 2 answer 1");
  const auto& console = kvhost::ConsoleLines();
  ++result.cases;
  if (console.size() != 1 || console[0].level != kConsoleInfo) {
    result.Fail(std::to_string(console.size()) + " console lines after a start" +
                    (console.empty() ? "" : ", the first: " + console[0].text),
                "one information line");
  }
  const kvhost::PluginEntry* arrow = kvhost::FindPlugin(Okeelvane);
  ++result.cases;
  if (arrow == nullptr || arrow->record.GetContour == nullptr || arrow->description.empty()) {
    result.Fail("no arrow object with a contour and a description registered", "the arrow registered");
  }
  Expect(result, "action 4", module->Call(KV_ACTION_PROBE, 0, nullptr, nullptr), KV_RESULT_PROBE);
  for (int action : {0, 5, 7, 100, -1}) {
    Expect(result, "unknown action " + std::to_string(action), module->Call(action, 0, nullptr, nullptr), KV_RESULT_UNHANDLED);
  }
  Expect(result, "action 6 with an unknown message", module->Call(KV_ACTION_MESSAGE, 2, nullptr, nullptr), KV_RESULT_UNHANDLED);
  // A nested action 1 and its action 3 touch nothing; the outer action 3 ends the module.
  const std::int64_t live = kvhost::LiveAllocations();
  Expect(result, "a nested action 1", module->Initialise(), KV_RESULT_OK);
  Expect(result, "the nested action 3", module->End(), KV_RESULT_OK);
  ++result.cases;
  if (kvhost::LiveAllocations() != live) {
    result.Fail("a nested action 1 and 3 changed the live allocations from " + std::to_string(live) +
                    " to " + std::to_string(kvhost::LiveAllocations()),
                "no change");
  }
  Expect(result, "the outer action 3", module->End(), KV_RESULT_OK);
  ExpectUnreached(*module, "after the last action 3", result);
  // A stray action 3 ends nothing, and the next action 1 initialises the module afresh
  // (not as a nested one): its resources load again.
  Expect(result, "an action 3 after the last", module->End(), KV_RESULT_OK);
  Expect(result, "action 1 after a stray action 3", module->Initialise(), KV_RESULT_OK);
  Expect(result, "action 6 (load resources) after a stray action 3 and a new action 1", module->LoadResources(),
         KV_RESULT_OK);
  module->End();
  module.reset();
  const std::int64_t baseline = kvhost::LiveAllocations();
  kvhost::ResetHost();

  // Action 2 before the resources: any answer, no crash, nothing left behind.
  if ((module = LoadModule(context, result)) == nullptr) return;
  Expect(result, "action 1", module->Initialise(), KV_RESULT_OK);
  ++result.cases;
  const std::int32_t early = module->StartPlugins();
  if (early != KV_RESULT_FAILED && early != KV_RESULT_OK) {
    result.Fail("action 2 before resources answered " + std::to_string(early),
                std::to_string(KV_RESULT_OK) + " or " + std::to_string(KV_RESULT_FAILED));
  }
  module->End();
  UnloadAndCount(module, "after an action 2 before resources", baseline, result);

  // The flavour's answers: its lowest host version is accepted, the one below refused
  // without an allocation, and so is a missing module path.
  if ((module = LoadModule(context, result)) == nullptr) return;
  const std::string answers = ModuleFlavour(module->Record());
  const std::string flavour = ExpectedFlavour(context);
  ++result.cases;
  if (!flavour.empty() && answers != flavour) {
    result.Fail("the module carries framework version " + std::to_string(module->Record()->frameworkVersion[0]) +
                    " at load, as the " + answers + " flavour does, where the " + flavour + " flavour is wanted",
                "the " + flavour + " flavour's framework version " +
                    std::to_string(flavour == "win" ? kWindowsFrameworkVersion : 0) + " (--flavour, or the folder's own)");
  }
  const std::int32_t lowest = LowestHostVersion(flavour.empty() ? answers : flavour);
  module.reset();
  for (const std::int32_t version : {lowest, lowest - 1}) {
    if ((module = LoadModule(context, result)) == nullptr) return;
    kvhost::SetHostApiVersion(version);
    Expect(result, "action 1 from host version " + std::to_string(version), module->Initialise(),
           version == lowest ? KV_RESULT_OK : KV_RESULT_REFUSED);
    if (version != lowest) ExpectUnreached(*module, "after refusing host version " + std::to_string(version), result);
    module->End();
    UnloadAndCount(module, "after host version " + std::to_string(version), baseline, result);
  }
  if ((module = LoadModule(context, result)) == nullptr) return;
  Expect(result, "action 1 without a module path", module->InitialiseWithoutPath(), KV_RESULT_REFUSED);
  ExpectUnreached(*module, "after refusing a missing path", result);
  module->End();
  UnloadAndCount(module, "after action 1 without a path", baseline, result);

  // A host that hands over a null sub-table: action 1 accepts or refuses it, and the rest
  // of the start sequence runs without a crash either way.
  for (int table = 0; table < KV_HOST_SUBTABLE_COUNT && result.passed; ++table) {
    if ((module = LoadModule(context, result)) == nullptr) return;
    ++result.cases;
    kvhost::NullSubTableForNextCall(table);
    const std::int32_t answer = module->Initialise();
    if (answer != KV_RESULT_OK && answer != KV_RESULT_REFUSED) {
      result.Fail("action 1 with sub-table " + std::to_string(table) + " null answered " +
                      std::to_string(answer),
                  std::to_string(KV_RESULT_OK) + " or " + std::to_string(KV_RESULT_REFUSED));
    }
    module->LoadResources();
    module->StartPlugins();
    module->End();
    module.reset();
    kvhost::ResetHost();
  }
}

namespace {

// The value a default or a random value may take, as the description's range states it.
bool InRange(const kvhost::DescParameter& p, const kvhost::Value& v) {
  const double scale = kvhost::ShownScale(p.unit);
  double x = 0.0;
  if (const double* d = std::get_if<double>(&v)) {
    x = *d;
  } else if (const std::int32_t* i = std::get_if<std::int32_t>(&v)) {
    if (!p.cycle.empty()) {
      for (const kvhost::CycleEntry& e : p.cycle) {
        if (e.value == *i) return true;
      }
      return false;
    }
    x = *i;
  } else {
    return true;
  }
  constexpr double kSlack = 1e-9;
  return std::isfinite(x) && (!p.min || x >= *p.min / scale - kSlack) && (!p.max || x <= *p.max / scale + kSlack);
}

bool HasType(kvhost::ParamType type, const kvhost::Value& v) {
  switch (type) {
    case kvhost::ParamType::Real: return std::holds_alternative<double>(v);
    case kvhost::ParamType::Long: return std::holds_alternative<std::int32_t>(v);
    case kvhost::ParamType::Bool: return std::holds_alternative<bool>(v);
    case kvhost::ParamType::String: return std::holds_alternative<std::string>(v);
    case kvhost::ParamType::Link: return std::holds_alternative<KvNode*>(v);
    case kvhost::ParamType::Button: return false;
  }
  return false;
}

}  // namespace

void RunDescription(CheckContext& context, CheckResult& result) {
  auto session = OpenSession(context);
  const kvhost::Description& description = session->ArrowDescription();
  KvNode* arrow = session->NewArrow();
  KvContainer* c = kvhost::Container(arrow);
  for (const kvhost::DescParameter& p : description.parameters) {
    ++result.cases;
    const auto value = kvhost::GetParameter(c, p.id);
    const bool mayBeUnset = p.type == kvhost::ParamType::Button ||
                            std::find(std::begin(kDeliberatelyUnset), std::end(kDeliberatelyUnset), p.id) !=
                                std::end(kDeliberatelyUnset);
    if (!value) {
      if (!mayBeUnset) result.Fail(p.symbol + " is not in a new arrow's container", "its default");
      continue;
    }
    if (!HasType(p.type, *value)) {
      result.Fail(p.symbol + " holds a value of another type than " + kvhost::ParamTypeName(p.type),
                  "a " + std::string(kvhost::ParamTypeName(p.type)));
    } else if (!InRange(p, *value)) {
      result.Fail(p.symbol + " defaults to " + kvtool::ValueText(*value) + ", outside its range",
                  "a default inside the description's range");
    }
  }
  // Every enabling answer, for the default arrow and for random ones.
  const std::int64_t objects = context.Cases(25);
  for (std::int64_t n = 0; n <= objects; ++n) {
    std::string values = "the default arrow";
    if (n > 0) {
      const auto edits = RandomArrowValues(description, context, true);
      WriteValues(arrow, edits);
      values = EditsText(edits);
    }
    context.progress(n, objects, "enabling of " + values);
    for (const kvhost::DescParameter& p : description.parameters) kvhost::IsEnabled(arrow, p.id);
    ++result.cases;
  }
}

namespace {

// A sanitizer keeps freed memory in quarantine and maps shadow memory as the process runs,
// so the process's size says nothing about leaks in such a build; the live host
// allocations after each cycle (and the sanitizer's own leak check) still do. Nor does it
// under user-mode emulation (KEELVANE_EMULATED, the arm64 build under qemu), whose
// translated code grows with every load of the module.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__) || defined(KEELVANE_EMULATED)
constexpr bool kProcessSizeMeansLeaks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
constexpr bool kProcessSizeMeansLeaks = false;
#else
constexpr bool kProcessSizeMeansLeaks = true;
#endif
#else
constexpr bool kProcessSizeMeansLeaks = true;
#endif

}  // namespace

namespace {

// The slope of the least-squares line through (cycle, bytes): the growth per cycle.
double GrowthPerCycle(const std::vector<std::int64_t>& resident) {
  const double n = static_cast<double>(resident.size());
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < resident.size(); ++i) {
    const double x = static_cast<double>(i), y = static_cast<double>(resident[i]);
    sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  const double d = n * sxx - sx * sx;
  return d > 0 ? (n * sxy - sx * sy) / d : 0.0;
}

}  // namespace

void RunLifecycle(CheckContext& context, CheckResult& result) {
  // At least 100, so that one step of the allocator's (a few pages, once) moves the line
  // by a fraction of the growth allowed per cycle.
  static constexpr std::int64_t kCycles[] = {100, 200, 400, 700, 1000};
  const std::int64_t cycles = kCycles[context.level - 1];
  // The first cycles settle the allocator and the loader; the growth is judged per cycle
  // after them, so that a small loss at every load shows however long the run.
  const std::int64_t warmUp = std::max<std::int64_t>(10, cycles / 10);
  std::vector<std::int64_t> resident;
  for (std::int64_t n = 0; n < cycles && result.passed; ++n) {
    context.progress(n, cycles, "load, start and unload cycle " + std::to_string(n + 1));
    auto module = LoadModule(context, result);
    if (module == nullptr) return;
    if (!module->Start()) return result.Fail("cycle " + std::to_string(n + 1) + ": the start failed", "it starts");
    KvDocument* doc = kvhost::NewDocument();
    KvNode* arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
    if (arrow != nullptr) kvhost::FreeObject(kvhost::GetContour(arrow, doc));
    kvhost::FreeDocument(doc);
    UnloadAndCount(module, "cycle " + std::to_string(n + 1), 0, result);
    ++result.cases;
    if (n >= warmUp) resident.push_back(ResidentBytes());
    if (std::getenv("KV_DEBUG_RSS")) std::fprintf(stderr, "%lld ", static_cast<long long>(ResidentBytes() >> 10));
  }
  if (!kProcessSizeMeansLeaks || resident.size() < 2 || resident.front() == 0) return;
  // A page-sized loss every cycle shows as a steady slope; the allocator's own one-off
  // steps (a new arena, a trimmed heap) move the line far less over the cycles measured.
  constexpr double kAllowedPerCycle = 1024.0;
  const double perCycle = GrowthPerCycle(resident);
  std::ostringstream figures;
  // Rounded first and +0.0 added, so that a slope a hair below zero shows as 0.00.
  figures << std::fixed << std::setprecision(2) << std::round(perCycle / 10.24) / 100.0 + 0.0 << " KiB per cycle after "
          << warmUp << " to warm up";
  result.figures = figures.str();
  if (perCycle > kAllowedPerCycle) {
    result.Fail("the process grew by " + figures.str().substr(0, figures.str().find(" after")) + " over " +
                    std::to_string(resident.size()) + " cycles after " + std::to_string(warmUp) + " to warm up (" +
                    std::to_string((resident.back() - resident.front()) >> 10) + " KiB in all)",
                "growth under " + std::to_string(static_cast<int>(kAllowedPerCycle)) + " bytes per cycle");
  }
}

namespace {

// "ARROW_HEAD_LENGTH (10020)", or the bare id when the description's header does not name it.
std::string IdText(const kvhost::Description& description, std::int32_t id) {
  for (const kvhost::HeaderSymbol& s : description.header) {
    if (s.value == id) return s.name + " (" + std::to_string(id) + ")";
  }
  return "id " + std::to_string(id);
}

}  // namespace

void RunPackage(CheckContext& context, CheckResult& result) {
  namespace fs = std::filesystem;
  // The folder as the host expects it beside the module.
  for (const char* folder : {"res", "presets"}) {
    ++result.cases;
    if (!fs::is_directory(context.plugin / folder)) {
      result.Fail("the plug-in folder has no " + std::string(folder) + "/", "res/ and presets/ beside the module");
    }
  }
  auto module = LoadModule(context, result);
  if (module == nullptr) return;
  kvhost::RecordRequests(true);
  if (!module->Start()) return result.Fail("the start sequence failed", "actions 1, 6 and 2 answer 1");
  const auto descriptionName = kvhost::RegisteredDescription(Okeelvane);
  kvhost::ResourceFolder resources;
  std::string error;
  if (!descriptionName) return result.Fail("no arrow registered with a description", "the arrow registered");
  if (!kvhost::LoadResourceFolder(context.plugin / "res", resources, error)) {
    return result.Fail("res/ does not read: " + error, "a resource folder the host reads");
  }
  const kvhost::Description* description = kvhost::FindDescription(resources, *descriptionName);
  if (description == nullptr) {
    return result.Fail("res/ holds no description " + *descriptionName, "the description the arrow registered with");
  }

  // Every id a new arrow holds is described.
  KvDocument* doc = kvhost::NewDocument();
  KvNode* arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
  if (arrow == nullptr) return result.Fail("no arrow from the menu", "a new arrow");
  KvContainer* own = kvhost::Container(arrow);
  for (const std::int32_t id : kvhost::ParameterIds(own)) {
    ++result.cases;
    if (kvhost::FindParameter(*description, id) == nullptr) {
      result.Fail(IdText(*description, id) + " is in a new arrow's container but not in the description " +
                      *descriptionName,
                  "every id of the container described");
    }
  }

  // Every id the module reads from the arrow during its contour, its messages (a change of
  // every parameter, every button) and the presets is described.
  context.progress(0, 1, "the contour, every parameter changed, every button pressed");
  kvhost::FreeObject(kvhost::GetContour(arrow, doc));
  for (const kvhost::DescParameter& p : description->parameters) {
    if (p.type == kvhost::ParamType::Button) continue;
    if (const auto value = kvhost::GetParameter(own, p.id)) kvhost::SetParameter(doc, arrow, p.id, *value);
  }
  const fs::path preset = ScratchOf(context) / "package.kvp";
  for (const kvhost::DescParameter& p : description->parameters) {
    if (p.type != kvhost::ParamType::Button) continue;
    if (p.id == ARROW_PRESET_SAVE || p.id == ARROW_PRESET_LOAD) kvhost::QueueDialogAnswer(preset.string());
    kvhost::PressButton(arrow, p.id);
    kvhost::ClearDialogs();
  }
  kvhost::FreeObject(kvhost::GetContour(arrow, doc));
  const std::vector<kvhost::ParameterRead> reads = kvhost::ParameterReads();
  std::vector<std::int32_t> undescribed;
  for (const kvhost::ParameterRead& read : reads) {
    if (read.container != own) continue;
    ++result.cases;
    if (kvhost::FindParameter(*description, read.id) == nullptr &&
        std::find(undescribed.begin(), undescribed.end(), read.id) == undescribed.end()) {
      undescribed.push_back(read.id);
    }
  }
  if (!undescribed.empty()) {
    std::string ids;
    for (const std::int32_t id : undescribed) ids += (ids.empty() ? "" : ", ") + IdText(*description, id);
    result.Fail("the module reads " + ids + " from the arrow, not in the description " + *descriptionName,
                "every id the module reads described");
  }

  // Every string and bitmap the module asked for resolves.
  for (const kvhost::ResourceRequest& request : kvhost::ResourceRequests()) {
    ++result.cases;
    if (!request.resolved) result.Fail("the module asked for " + request.what + ", which res/ does not hold", "every string and the icon it asks for in res/");
  }
  kvhost::RecordRequests(false);
  kvhost::FreeDocument(doc);
}

}  // namespace kvcheck
