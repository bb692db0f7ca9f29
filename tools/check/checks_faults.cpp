// The faults check: every operation's host allocations are counted, then each is made to
// fail in turn. No crash, nothing leaked once the document is freed, and the document
// either unchanged, as the operation leaves it when it succeeds, or one undo step from
// unchanged (the part of the operation that could be done).
#include <array>

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

// Every allocation the operation made in its clean run, or a random selection of them
// below level 5.
std::vector<Injection> Sweep(const Counts& made, CheckContext& context) {
  std::vector<Injection> all;
  for (std::size_t k = 0; k < kKinds; ++k) {
    for (std::int64_t j = 0; j < made[k]; ++j) all.push_back({static_cast<AllocKind>(k), static_cast<int>(j)});
  }
  static constexpr std::size_t kMost[] = {4, 16, 64, 256};
  if (context.level >= 5 || all.size() <= kMost[context.level - 1]) return all;
  std::shuffle(all.begin(), all.end(), context.random);
  all.resize(kMost[context.level - 1]);
  return all;
}

// An operation on an arrow in a document of its own: what is set up before, and the
// operation itself.
struct Operation {
  std::string name;
  std::function<void(KvDocument*, KvNode* arrow)> run;  // arrow is null for "creation"
  bool needsArrow = true;
};

void RunLoadAndStart(CheckContext& context, CheckResult& result) {
  auto cycle = [&](const Injection* fault) {
    auto module = LoadModule(context, result);
    if (fault != nullptr) kvhost::FailNextAllocation(fault->kind, 1, fault->skip);
    if (module != nullptr) module->Start();
    const Counts made = Totals();
    module.reset();
    return std::make_pair(made, kvhost::LiveAllocations());
  };
  const auto [made, baseline] = cycle(nullptr);
  const std::vector<Injection> sweep = Sweep(made, context);
  for (std::size_t n = 0; n < sweep.size(); ++n) {
    const Injection& fault = sweep[n];
    context.progress(static_cast<std::int64_t>(n), static_cast<std::int64_t>(sweep.size()),
                     "load and start with " + InjectionText(fault));
    ++result.faultsInjected;
    ++result.cases;
    const std::int64_t live = cycle(&fault).second;
    if (live > baseline) {
      return result.Fail("load and start with " + InjectionText(fault) + ": " + std::to_string(live) +
                             " host allocations live after unloading",
                         std::to_string(baseline) + ", as after a clean start");
    }
  }
  kvhost::ResetHost();
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
      {"creation", [](KvDocument* doc, KvNode*) { kvhost::CreateObjectFromMenu(doc, Okeelvane); }, false},
      {"contour", [](KvDocument* doc, KvNode* arrow) { kvhost::FreeObject(kvhost::GetContour(arrow, doc)); }}};
  for (const kvhost::DescParameter& p : session->ArrowDescription().parameters) {
    if (p.type != kvhost::ParamType::Button) continue;
    const std::int32_t id = p.id;
    const std::string save = (folder / "saved.kvp").string();
    operations.push_back({"press " + p.symbol, [id, preset, save](KvDocument*, KvNode* arrow) {
                            if (id == ARROW_PRESET_LOAD) kvhost::QueueDialogAnswer(preset);
                            if (id == ARROW_PRESET_SAVE) kvhost::QueueDialogAnswer(save);
                            kvhost::PressButton(arrow, id);
                            kvhost::ClearDialogs();
                          }});
  }
  struct Outcome {
    Counts made;
    std::string before, after;
    std::string undone;  // the document after one undo of the operation
    std::int64_t live;
  };
  auto attempt = [&](const Operation& op, const Injection* fault) {
    Outcome o;
    KvDocument* doc = kvhost::NewDocument();
    KvNode* arrow = nullptr;
    if (op.needsArrow) {
      arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
      WriteValues(arrow, values);
    }
    o.before = kvhost::DocumentText(doc, kvhost::ObjectNames::ByPlace);
    const Counts start = Totals();
    if (fault != nullptr) kvhost::FailNextAllocation(fault->kind, 1, fault->skip);
    op.run(doc, arrow);
    kvhost::ClearAllocationFaults();
    const Counts end = Totals();
    for (std::size_t k = 0; k < kKinds; ++k) o.made[k] = end[k] - start[k];
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
    for (const Injection& fault : Sweep(clean.made, context)) {
      const std::string what = op.name + " with " + InjectionText(fault);
      context.progress(static_cast<std::int64_t>(n), static_cast<std::int64_t>(operations.size()), what);
      ++result.faultsInjected;
      ++result.cases;
      const Outcome o = attempt(op, &fault);
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
