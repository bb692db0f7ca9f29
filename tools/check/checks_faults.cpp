// The faults check: every operation's host allocations are counted, then each is made to
// fail in turn; a save's and a load's opens, typed reads and writes too, and their file
// dialog cancelled. No crash (nor a call a real host would crash in), nothing leaked once
// the document is freed, and the document either unchanged, as the operation leaves it
// when it succeeds, or one undo step from unchanged (the part of the operation that could
// be done).
#include <array>
#include <filesystem>
#include <tuple>

#include "check_support.h"
#include "description/okeelvane.h"
#include "test_powers.h"

namespace kvcheck {
namespace {

using kvhost::AllocKind;
constexpr std::size_t kKinds = static_cast<std::size_t>(AllocKind::Count);
using Counts = std::array<std::int64_t, kKinds>;

Counts Totals() {
  Counts c{};
  for (std::size_t k = 0; k < kKinds; ++k) c[k] = kvhost::TotalAllocations(static_cast<AllocKind>(k));
  return c;
}

struct Injection {
  AllocKind kind;
  int skip;  // allocations of the kind that succeed first
};

std::string InjectionText(const Injection& i) {
  return "allocation " + std::to_string(i.skip + 1) + " of " + kvhost::AllocKindName(i.kind) + " failing";
}

// Every allocation the operation made in its clean run, or below level 5 the first of
// each kind it made (so that a kind made once, a file or a spline, is never left out) and
// a random selection of the rest.
std::vector<Injection> Sweep(const Counts& made, CheckContext& context) {
  std::vector<Injection> firsts, rest;
  for (std::size_t k = 0; k < kKinds; ++k) {
    for (std::int64_t j = 0; j < made[k]; ++j) {
      (j == 0 ? firsts : rest).push_back({static_cast<AllocKind>(k), static_cast<int>(j)});
    }
  }
  static constexpr std::size_t kMost[] = {4, 16, 64, 256};
  const std::size_t most = context.level >= 5 ? firsts.size() + rest.size() : kMost[context.level - 1];
  if (firsts.size() + rest.size() > most) {
    std::shuffle(rest.begin(), rest.end(), context.random);
    rest.resize(most > firsts.size() ? most - firsts.size() : 0);
  }
  firsts.insert(firsts.end(), rest.begin(), rest.end());
  return firsts;
}

// The first call a real host would have crashed in, of those reported after the first
// `crashes`; empty when there is none.
std::string CrashSince(std::size_t crashes) {
  const auto& all = kvhost::HostCrashes();
  return all.size() > crashes ? all[crashes] : std::string();
}

// An operation on an arrow in a document of its own: what is set up before, and the
// operation itself.
struct Operation {
  std::string name;
  std::function<void(KvDocument*, KvNode* arrow)> run;  // arrow is null for "creation"
  bool needsArrow = true;
  // A button that opens a file: its opens, reads and writes are failed in turn as well,
  // and its dialog cancelled. written: the file it writes, removed before each run.
  bool files = false;
  std::string written;
};

// One fault of a run: what it is, and what arms it just before the operation.
struct Fault {
  std::string text;
  std::function<void()> arm;
  bool cancels = false;  // the user cancels the file dialog: nothing is written
};

std::vector<Fault> AllocationFaults(const Counts& made, CheckContext& context) {
  std::vector<Fault> faults;
  for (const Injection& i : Sweep(made, context)) {
    faults.push_back({InjectionText(i), [i] { kvhost::FailNextAllocation(i.kind, 1, i.skip); }, false});
  }
  return faults;
}

// Each open, typed read and typed write of a clean run failing in turn, then the file
// dialog cancelled (its answer queued before the operation's own).
std::vector<Fault> FileFaults(const kvhost::FileOperations& made) {
  std::vector<Fault> faults;
  auto add = [&](std::int64_t count, const std::string& what, void (*fail)(int)) {
    for (int n = 1; n <= count; ++n) {
      faults.push_back({what + " " + std::to_string(n) + " failing", [fail, n] { fail(n); }, false});
    }
  };
  add(made.opens, "open", kvhost::FailNextOpen);
  add(made.reads, "typed read", kvhost::FailNextRead);
  add(made.writes, "typed write", kvhost::FailNextWrite);
  faults.push_back({"the file dialog cancelled", [] { kvhost::QueueDialogCancel(); }, true});
  return faults;
}

void RunLoadAndStart(CheckContext& context, CheckResult& result) {
  auto cycle = [&](const Injection* fault) {
    auto module = LoadModule(context, result);
    if (fault != nullptr) kvhost::FailNextAllocation(fault->kind, 1, fault->skip);
    if (module != nullptr) module->Start();
    const Counts made = Totals();
    const std::string crash = CrashSince(0);
    module.reset();
    return std::make_tuple(made, kvhost::LiveAllocations(), crash);
  };
  const auto [made, baseline, cleanCrash] = cycle(nullptr);
  if (!cleanCrash.empty()) return result.Fail("load and start: " + cleanCrash, "no call a real host crashes in");
  const std::vector<Injection> sweep = Sweep(made, context);
  for (std::size_t n = 0; n < sweep.size(); ++n) {
    const Injection& fault = sweep[n];
    context.progress(static_cast<std::int64_t>(n), static_cast<std::int64_t>(sweep.size()),
                     "load and start with " + InjectionText(fault));
    ++result.faultsInjected;
    ++result.cases;
    const auto [ignored, live, crash] = cycle(&fault);
    if (!crash.empty()) {
      return result.Fail("load and start with " + InjectionText(fault) + ": " + crash,
                         "no call a real host crashes in");
    }
    if (live > baseline) {
      return result.Fail("load and start with " + InjectionText(fault) + ": " + std::to_string(live) +
                             " host allocations live after unloading",
                         std::to_string(baseline) + ", as after a clean start");
    }
  }
  kvhost::ResetHost();
}

// The document of a new arrow after loading file: as the arrow was when the file did not
// load, its values when it did.
std::string LoadedInNewArrow(const std::string& file) {
  KvDocument* doc = kvhost::NewDocument();
  KvNode* arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
  kvhost::QueueDialogAnswer(file);
  kvhost::PressButton(arrow, ARROW_PRESET_LOAD);
  kvhost::ClearDialogs();
  std::string text = kvhost::DocumentText(doc, kvhost::ObjectNames::ByPlace);
  kvhost::FreeDocument(doc);
  return text;
}

// The operations on an arrow with values (one random set of parameters).
void RunDocumentOperations(CheckContext& context, const std::vector<ParameterEdit>& values,
                           CheckResult& result) {
  auto session = OpenSession(context);
  const std::filesystem::path folder = ScratchOf(context);
  const std::string preset = (folder / "start.kvp").string();
  {
    KvNode* arrow = session->NewArrow();
    WriteValues(arrow, values);
    session->SavePreset(arrow, preset);
  }
  std::vector<Operation> operations{
      {"creation", [](KvDocument* doc, KvNode*) { kvhost::CreateObjectFromMenu(doc, Okeelvane); }, false, false, {}},
      {"contour", [](KvDocument* doc, KvNode* arrow) { kvhost::FreeObject(kvhost::GetContour(arrow, doc)); }, true,
       false, {}}};
  for (const kvhost::DescParameter& p : session->ArrowDescription().parameters) {
    if (p.type != kvhost::ParamType::Button) continue;
    const std::int32_t id = p.id;
    const std::string save = (folder / "saved.kvp").string();
    const bool files = id == ARROW_PRESET_LOAD || id == ARROW_PRESET_SAVE;
    operations.push_back({"press " + p.symbol,
                          [id, preset, save](KvDocument*, KvNode* arrow) {
                            if (id == ARROW_PRESET_LOAD) kvhost::QueueDialogAnswer(preset);
                            if (id == ARROW_PRESET_SAVE) kvhost::QueueDialogAnswer(save);
                            kvhost::PressButton(arrow, id);
                            kvhost::ClearDialogs();
                          },
                          true, files, id == ARROW_PRESET_SAVE ? save : std::string()});
  }
  struct Outcome {
    Counts made;
    kvhost::FileOperations files;
    std::string before, after;
    std::string undone;  // the document after one undo of the operation
    std::int64_t live;
    std::string crash;  // the first call a real host would have crashed in
  };
  auto attempt = [&](const Operation& op, const Fault* fault) {
    Outcome o;
    std::error_code ec;
    if (!op.written.empty()) std::filesystem::remove(op.written, ec);
    KvDocument* doc = kvhost::NewDocument();
    KvNode* arrow = nullptr;
    if (op.needsArrow) {
      arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
      WriteValues(arrow, values);
    }
    o.before = kvhost::DocumentText(doc, kvhost::ObjectNames::ByPlace);
    const Counts start = Totals();
    const kvhost::FileOperations filesBefore = kvhost::FileOperationCounts();
    const std::size_t crashes = kvhost::HostCrashes().size();
    if (fault != nullptr) fault->arm();
    op.run(doc, arrow);
    kvhost::ClearAllocationFaults();
    kvhost::ClearFileFaults();
    const Counts end = Totals();
    for (std::size_t k = 0; k < kKinds; ++k) o.made[k] = end[k] - start[k];
    const kvhost::FileOperations filesAfter = kvhost::FileOperationCounts();
    o.files = {filesAfter.opens - filesBefore.opens, filesAfter.reads - filesBefore.reads,
               filesAfter.writes - filesBefore.writes};
    o.crash = CrashSince(crashes);
    o.after = kvhost::DocumentText(doc, kvhost::ObjectNames::ByPlace);
    if (kvhost::Undo(doc)) o.undone = kvhost::DocumentText(doc, kvhost::ObjectNames::ByPlace);
    kvhost::FreeDocument(doc);
    o.live = kvhost::LiveAllocations();
    return o;
  };
  for (std::size_t n = 0; n < operations.size(); ++n) {
    const Operation& op = operations[n];
    attempt(op, nullptr);  // settles what the module makes once, on first use
    const Outcome clean = attempt(op, nullptr);
    ++result.cases;
    if (!clean.crash.empty()) return result.Fail(op.name + ": " + clean.crash, "no call a real host crashes in");
    // The file a clean save writes, and what it gives a new arrow.
    const std::string bytes = op.written.empty() ? std::string() : kvhost::ReadWholeFile(op.written).value_or("");
    const std::string whole = op.written.empty() ? std::string() : LoadedInNewArrow(op.written);
    const std::string untouched = op.written.empty() ? std::string() : LoadedInNewArrow((folder / "none.kvp").string());
    std::vector<Fault> faults = AllocationFaults(clean.made, context);
    if (op.files) {
      const std::vector<Fault> more = FileFaults(clean.files);
      faults.insert(faults.end(), more.begin(), more.end());
    }
    for (const Fault& fault : faults) {
      const std::string what = op.name + " with " + fault.text;
      context.progress(static_cast<std::int64_t>(n), static_cast<std::int64_t>(operations.size()), what);
      ++result.faultsInjected;
      ++result.cases;
      const Outcome o = attempt(op, &fault);
      if (!o.crash.empty()) return result.Fail(what + ": " + o.crash, "no call a real host crashes in");
      // A part of the operation done (a Cloner made without its Extrude) is as good as
      // none when one undo takes it back.
      if (o.after != o.before && o.after != clean.after && o.undone != o.before) {
        return result.Fail(what + " left the document as neither before nor after (" +
                               FirstDifference(clean.after, o.after) + "), nor one undo from before",
                           "the document unchanged, as a clean run leaves it, or one undo from unchanged");
      }
      if (o.live != clean.live) {
        return result.Fail(what + ": " + std::to_string(o.live - clean.live) +
                               " more host allocations live once the document is freed",
                           "as many as after a clean run");
      }
      // A save that failed on the way leaves a file cut short (which the presets check
      // loads at every length) or one that loads as the whole one or not at all: never
      // one with a hole that loads as other values.
      const std::string left = op.written.empty() ? std::string() : kvhost::ReadWholeFile(op.written).value_or("");
      if (fault.cancels && std::filesystem::exists(op.written)) {
        return result.Fail(what + " wrote " + op.written, "no file written");
      }
      if (!left.empty() && bytes.compare(0, left.size(), left) != 0) {
        const std::string loaded = LoadedInNewArrow(op.written);
        if (loaded != whole && loaded != untouched) {
          return result.Fail(what + " left a file that loads as other values (" + FirstDifference(whole, loaded) + ")",
                             "a file that loads as the whole preset, or is refused");
        }
      }
    }
  }
}

}  // namespace

void RunFaults(CheckContext& context, CheckResult& result) {
  RunLoadAndStart(context, result);
  // Other values take other paths (caps, clones on a spline, a wrap): more of them at
  // higher levels.
  static constexpr int kValueSets[] = {1, 1, 2, 4, 8};
  std::vector<std::vector<ParameterEdit>> sets;
  {
    auto session = OpenSession(context);
    for (int n = 0; n < kValueSets[context.level - 1]; ++n) {
      sets.push_back(RandomArrowValues(session->ArrowDescription(), context, false));
    }
  }
  for (const auto& values : sets) {
    if (result.passed) RunDocumentOperations(context, values, result);
  }
}

}  // namespace kvcheck
