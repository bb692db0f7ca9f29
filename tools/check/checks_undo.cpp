// The undo check: random sequences of the user's actions on a document of the check's own
// (arrows and other objects created, moved, deleted, parameters and links set, every
// button pressed, its file dialog answered or cancelled). After each step one undo and one
// redo give back exactly the document before and after it, asking an arrow what it greys
// changes nothing, runs of undos in a row give back each state the sequence went through,
// and once the document is freed the host holds no more than before it was made. A failing
// sequence is replayed in fresh sessions and shrunk to the fewest actions that still fail.
#include <algorithm>
#include <chrono>
#include <optional>

#include "check_support.h"
#include "description/okeelvane.h"
#include "test_powers.h"

namespace kvcheck {
namespace fs = std::filesystem;
namespace {

// How a preset button's file dialog is answered.
enum class Answer { None, File, Cancel };

// One action of the user, as data, so that a failing sequence can be replayed. Objects are
// named by age, "@0" the oldest object in the document: dropping later actions leaves the
// names of older objects alone, and a shorter replay acts on whatever has the name (an
// action naming no such object is skipped).
struct Action {
  enum class Kind { NewArrow, NewObject, Move, Set, Link, Press, Delete, Undo, Redo, UndoRun };
  Kind kind = Kind::NewArrow;
  int target = 0;           // the object acted on
  int other = -1;           // Move: the new parent (-1: the top); Link: the linked object (-1: none)
  bool first = false;       // Move: first under the parent, else last
  std::int32_t id = 0;      // Set, Link, Press: the parameter; NewObject: the type
  kvhost::Value value;      // Set: the value
  Answer answer = Answer::None;
  std::string file;         // the name the dialog answers with, in the sequence's folder
  int count = 0;            // UndoRun: undos in a row, then as many redos
  std::int64_t asked = 0;   // the arrow asked what it greys afterwards (modulo their number)
};

Action Act(Action::Kind kind, int target = 0, int other = -1, std::int32_t id = 0) {
  Action a;
  a.kind = kind;
  a.target = target;
  a.other = other;
  a.id = id;
  return a;
}

std::string Name(int n) { return n < 0 ? std::string("the top") : "@" + std::to_string(n); }

std::string Symbol(const kvhost::Description& description, std::int32_t id) {
  const kvhost::DescParameter* p = kvhost::FindParameter(description, id);
  return p != nullptr ? p->symbol : std::to_string(id);
}

std::string ActionText(const Action& a, const kvhost::Description& description) {
  using Kind = Action::Kind;
  switch (a.kind) {
    case Kind::NewArrow:
      return "create an arrow";
    case Kind::NewObject:
      return "create a " + kvhost::ObjectTypeName(a.id);
    case Kind::Move:
      return "place " + Name(a.target) + (a.first ? " first under " : " last under ") + Name(a.other);
    case Kind::Set:
      return "set " + Name(a.target) + " " + Symbol(description, a.id) + "=" + kvtool::ValueText(a.value);
    case Kind::Link:
      return (a.other < 0 ? "clear " + Name(a.target) + " " + Symbol(description, a.id)
                          : "link " + Name(a.target) + " " + Symbol(description, a.id) + " to " + Name(a.other));
    case Kind::Press:
      return "press " + Name(a.target) + " " + Symbol(description, a.id) +
             (a.answer == Answer::File ? " answering " + a.file : a.answer == Answer::Cancel ? " cancelling" : "");
    case Kind::Delete:
      return "delete " + Name(a.target);
    case Kind::Undo:
      return "undo";
    case Kind::Redo:
      return "redo";
    case Kind::UndoRun:
      return std::to_string(a.count) + " undos in a row and back";
  }
  return {};
}

std::string ActionsText(const std::vector<Action>& actions, const kvhost::Description& description) {
  std::string out;
  for (const Action& a : actions) out += (out.empty() ? "" : "; ") + ActionText(a, description);
  return out;
}

// The document's objects and its arrows, oldest first.
struct Contents {
  std::vector<KvNode*> nodes;
  std::vector<KvNode*> arrows;
};

void Collect(KvNode* node, Contents& c) {
  c.nodes.push_back(node);
  if (kvhost::ObjectType(node) == Okeelvane) c.arrows.push_back(node);
  for (KvNode* child : kvhost::Children(node)) Collect(child, c);
}

Contents ContentsOf(const KvDocument* doc) {
  Contents c;
  for (KvNode* top : kvhost::TopObjects(doc)) Collect(top, c);
  const auto older = [](const KvNode* a, const KvNode* b) { return kvhost::ObjectSerial(a) < kvhost::ObjectSerial(b); };
  std::sort(c.nodes.begin(), c.nodes.end(), older);
  std::sort(c.arrows.begin(), c.arrows.end(), older);
  return c;
}

int NameOf(const Contents& c, const KvNode* node) {
  const auto at = std::find(c.nodes.begin(), c.nodes.end(), node);
  return at == c.nodes.end() ? -1 : static_cast<int>(at - c.nodes.begin());
}

struct Failure {
  std::string seen;
  std::string expected;
};

// Asks arrow, twice, whether each of its parameters is editable. Empty when both answers
// agree and the document is as before, else what went wrong.
std::string EnablingFault(const kvhost::Description& description, KvDocument* doc, KvNode* arrow) {
  const std::string before = kvhost::DocumentText(doc);
  for (const kvhost::DescParameter& p : description.parameters) {
    const bool first = kvhost::IsEnabled(arrow, p.id);
    if (kvhost::IsEnabled(arrow, p.id) != first) return "two answers for " + p.symbol;
  }
  const std::string after = kvhost::DocumentText(doc);
  if (after != before) return "a change of the document asking what is editable (" + FirstDifference(before, after) + ")";
  return {};
}

// What one undo check's host allocations are beyond those of before, kind by kind.
std::string AllocationsText(const std::vector<std::int64_t>& before) {
  std::string out;
  for (std::size_t k = 0; k < before.size(); ++k) {
    const std::int64_t more = kvhost::LiveAllocations(static_cast<kvhost::AllocKind>(k)) - before[k];
    if (more != 0) {
      out += (out.empty() ? "" : ", ") + std::to_string(more) + " " +
             kvhost::AllocKindName(static_cast<kvhost::AllocKind>(k));
    }
  }
  return out;
}

// One sequence: the module loaded into a fresh host, a document of its own and a folder for
// its preset files, both made afresh, so that a replay meets what the first run met.
class Sequence {
 public:
  Sequence(const CheckContext& context, fs::path folder) : session_(OpenSession(context)), folder_(std::move(folder)) {
    std::error_code ec;
    fs::remove_all(folder_, ec);
    fs::create_directories(folder_);
    for (std::size_t k = 0; k < static_cast<std::size_t>(kvhost::AllocKind::Count); ++k) {
      live_.push_back(kvhost::LiveAllocations(static_cast<kvhost::AllocKind>(k)));
    }
    doc_ = kvhost::NewDocument();
    states_.push_back(kvhost::DocumentText(doc_));
  }
  ~Sequence() {
    if (doc_ != nullptr) kvhost::FreeDocument(doc_);
  }
  Sequence(const Sequence&) = delete;
  Sequence& operator=(const Sequence&) = delete;

  KvDocument* Document() const { return doc_; }
  const kvhost::Description& Arrow() const { return session_->ArrowDescription(); }
  // The steps that can be undone, as far as the sequence saw each state.
  int Depth() const { return static_cast<int>(states_.size()) - 1; }

  // Does action and checks what it did; false in done when it names nothing there is.
  std::optional<Failure> Step(const Action& a, bool& done) {
    if (a.kind == Action::Kind::UndoRun) return UndoRun(a.count, done);
    const std::string before = kvhost::DocumentText(doc_);
    const std::size_t steps = kvhost::UndoHistory(doc_).size();
    done = Perform(a);
    const std::string after = kvhost::DocumentText(doc_);
    if (!done) {
      if (after == before) return std::nullopt;
      return Failure{"an action that could not be done changed the document (" + FirstDifference(before, after) + ")",
                     "the document unchanged"};
    }
    // Greying is a question: it answers the same twice and changes nothing. One arrow a
    // step keeps long runs quick.
    if (const auto arrows = ContentsOf(doc_).arrows; !arrows.empty()) {
      KvNode* asked = arrows[static_cast<std::size_t>(a.asked % static_cast<std::int64_t>(arrows.size()))];
      if (const std::string fault = EnablingFault(Arrow(), doc_, asked); !fault.empty()) {
        return Failure{fault, "the same answer twice and the document unchanged"};
      }
    }
    const bool back = a.kind == Action::Kind::Undo || a.kind == Action::Kind::Redo;
    if (!back && kvhost::UndoHistory(doc_).size() == steps) {
      if (after != before) {
        return Failure{"a change without an undo step (" + FirstDifference(before, after) + ")",
                       "every change of the document undoable"};
      }
      return std::nullopt;
    }
    // One step back and forth again gives exactly the document before and after.
    const bool undoFirst = a.kind != Action::Kind::Undo;
    if (!(undoFirst ? kvhost::Undo(doc_) : kvhost::Redo(doc_)) || kvhost::DocumentText(doc_) != before) {
      return Failure{std::string("one ") + (undoFirst ? "undo" : "redo") + " gave " +
                         FirstDifference(before, kvhost::DocumentText(doc_)),
                     "the document exactly as before the last action"};
    }
    if (!(undoFirst ? kvhost::Redo(doc_) : kvhost::Undo(doc_)) || kvhost::DocumentText(doc_) != after) {
      return Failure{std::string("one ") + (undoFirst ? "redo" : "undo") + " gave " +
                         FirstDifference(after, kvhost::DocumentText(doc_)),
                     "the document exactly as after the last action"};
    }
    if (a.kind == Action::Kind::Undo) {
      if (states_.size() > 1) states_.pop_back();
    } else {
      states_.push_back(after);
    }
    return std::nullopt;
  }

  // Frees the document: the host holds what it held before the document was made.
  std::optional<Failure> Finish() {
    kvhost::FreeDocument(doc_);
    doc_ = nullptr;
    if (const std::string more = AllocationsText(live_); !more.empty()) {
      return Failure{more + " live once the document was freed", "the host's allocations as before the document was made"};
    }
    return std::nullopt;
  }

 private:
  bool Perform(const Action& a) {
    using Kind = Action::Kind;
    const Contents c = ContentsOf(doc_);
    const auto at = [&c](int n) { return n >= 0 && n < static_cast<int>(c.nodes.size()) ? c.nodes[static_cast<std::size_t>(n)] : nullptr; };
    KvNode* node = at(a.target);
    const bool arrow = kvhost::ObjectType(node) == Okeelvane;
    switch (a.kind) {
      case Kind::NewArrow:
        return kvhost::CreateObjectFromMenu(doc_, Okeelvane) != nullptr;
      case Kind::NewObject:
        return kvhost::CreateObjectFromMenu(doc_, a.id) != nullptr;
      case Kind::Move: {
        KvNode* parent = at(a.other);
        if (node == nullptr || (a.other >= 0 && parent == nullptr) || (parent != nullptr && kvhost::IsInside(parent, node))) {
          return false;
        }
        kvhost::MoveObject(doc_, node, parent, a.first ? kvhost::Position::First : kvhost::Position::Last);
        return true;
      }
      case Kind::Set:
        if (!arrow) return false;
        kvhost::SetParameter(doc_, node, a.id, a.value);
        return true;
      case Kind::Link:
        if (!arrow || (a.other >= 0 && at(a.other) == nullptr)) return false;
        kvhost::SetParameter(doc_, node, a.id, kvhost::Value(at(a.other)));
        return true;
      case Kind::Press:
        if (!arrow) return false;
        if (a.answer == Answer::File) kvhost::QueueDialogAnswer((folder_ / a.file).string());
        if (a.answer == Answer::Cancel) kvhost::QueueDialogCancel();
        kvhost::PressButton(node, a.id);
        kvhost::ClearDialogs();
        return true;
      case Kind::Delete:
        if (node == nullptr) return false;
        kvhost::DeleteObject(doc_, node);
        return true;
      case Kind::Undo:
        return kvhost::Undo(doc_);
      case Kind::Redo:
        return kvhost::Redo(doc_);
      case Kind::UndoRun:
        break;
    }
    return false;
  }

  // count undos in a row, each giving the state the sequence recorded going forward, then
  // as many redos back to the present.
  std::optional<Failure> UndoRun(int count, bool& done) {
    const int depth = Depth();
    const int n = std::min(count, depth);
    done = n > 0 && static_cast<int>(kvhost::UndoHistory(doc_).size()) == depth;
    if (!done) return std::nullopt;
    for (int i = 1; i <= n; ++i) {
      const std::string& want = states_[static_cast<std::size_t>(depth - i)];
      if (!kvhost::Undo(doc_) || kvhost::DocumentText(doc_) != want) {
        return Failure{"undo " + std::to_string(i) + " of " + std::to_string(n) + " in a row gave " +
                           FirstDifference(want, kvhost::DocumentText(doc_)),
                       "each state the document had going forward"};
      }
    }
    for (int i = 1; i <= n; ++i) {
      const std::string& want = states_[static_cast<std::size_t>(depth - n + i)];
      if (!kvhost::Redo(doc_) || kvhost::DocumentText(doc_) != want) {
        return Failure{"redo " + std::to_string(i) + " of " + std::to_string(n) + " in a row gave " +
                           FirstDifference(want, kvhost::DocumentText(doc_)),
                       "each state the document had going forward"};
      }
    }
    return std::nullopt;
  }

  std::unique_ptr<kvtool::PluginSession> session_;
  fs::path folder_;
  std::vector<std::int64_t> live_;  // the host's allocations of each kind before the document
  KvDocument* doc_ = nullptr;
  std::vector<std::string> states_;  // the document at each depth of its undo history
};

// What a sequence is like: how long, how many objects it grows to before it mixes in the
// other actions evenly, and how many undos its runs take in a row (a run waits for as
// many steps to undo as its fewest).
struct Shape {
  int actions;
  int objects;
  int fewestUndos, mostUndos;
};

// Draws the user's actions. Make presses take the arrow's three situations in turn (at the
// top, under an Extrude, under another object) and, when no arrow is in the next one or
// the button would find nothing to do, first the action that makes it so: every situation
// comes up in the shortest run, not by luck.
class Chooser {
 public:
  // The turns of the Make presses and of the loads, kept from sequence to sequence.
  struct Turns {
    int make = 0;
    int load = 0;
  };

  Chooser(CheckContext& context, const Shape& shape, Turns& turns) : context_(context), shape_(shape), turns_(turns) {}

  Action Next(const Sequence& sequence) {
    Action a = Draw(sequence);
    a.asked = context_.Integer(0, 1 << 20);
    return a;
  }

 private:
  template <typename T>
  const T& Pick(const std::vector<T>& from) {
    return from[static_cast<std::size_t>(context_.Integer(0, static_cast<std::int64_t>(from.size()) - 1))];
  }

  Action Draw(const Sequence& sequence) {
    using Kind = Action::Kind;
    const Contents c = ContentsOf(sequence.Document());
    if (c.arrows.empty()) return Act(Action::Kind::NewArrow);
    if (pending_ || context_.Chance(0.25)) return Make(c);
    const bool growing = static_cast<int>(c.nodes.size()) < shape_.objects;
    if (context_.Chance(growing ? 0.4 : 0.05)) {
      return context_.Chance(0.6) ? Act(Action::Kind::NewArrow)
                                  : Act(Kind::NewObject, 0, -1, context_.Chance(0.7) ? KV_TYPE_SPLINE : KV_TYPE_NULL);
    }
    if (sequence.Depth() >= shape_.fewestUndos && context_.Chance(0.04)) {
      Action run = Act(Kind::UndoRun);
      run.count = static_cast<int>(context_.Integer(shape_.fewestUndos, shape_.mostUndos));
      return run;
    }
    if (context_.Chance(0.12)) return Act(Kind::Undo);
    if (context_.Chance(0.08)) return Act(Kind::Redo);
    const std::int64_t kind = context_.Integer(0, 99);
    const int node = static_cast<int>(context_.Integer(0, static_cast<std::int64_t>(c.nodes.size()) - 1));
    const int arrow = NameOf(c, Pick(c.arrows));
    if (kind < 12) {
      Action move = Act(Kind::Move, node, context_.Chance(0.3) ? -1 : static_cast<int>(context_.Integer(0, static_cast<std::int64_t>(c.nodes.size()) - 1)));
      move.first = context_.Chance(0.5);
      return move;
    }
    if (kind < 18) return Act(Kind::Delete, node);
    if (kind < 36) {
      const auto values = RandomArrowValues(sequence.Arrow(), context_, false);
      const ParameterEdit& e = Pick(values);
      Action set = Act(Kind::Set, arrow, -1, e.id);
      set.value = e.value;
      return set;
    }
    if (kind < 50) return Link(c, arrow, context_.Chance(0.5) ? ARROW_CLONE_SPLINE : ARROW_WRAP_SPLINE);
    return Press(c);
  }

  // A link of the arrow named arrow to a random object (a spline more often than not) or none.
  Action Link(const Contents& c, int arrow, std::int32_t id) {
    std::vector<int> splines;
    for (std::size_t n = 0; n < c.nodes.size(); ++n) {
      if (kvhost::ObjectType(c.nodes[n]) == KV_TYPE_SPLINE) splines.push_back(static_cast<int>(n));
    }
    int other = static_cast<int>(context_.Integer(0, static_cast<std::int64_t>(c.nodes.size()) - 1));
    if (!splines.empty() && context_.Chance(0.6)) other = Pick(splines);
    if (context_.Chance(0.15)) other = -1;
    return Act(Action::Kind::Link, arrow, other, id);
  }

  Action Press(const Contents& c) {
    using Kind = Action::Kind;
    static constexpr std::int32_t kOthers[] = {ARROW_PRESET_LOAD, ARROW_PRESET_LOAD, ARROW_PRESET_SAVE, ARROW_INFO, ARROW_RESET};
    std::int32_t button = kOthers[context_.Integer(0, static_cast<std::int64_t>(std::size(kOthers)) - 1)];
    // Loads, the most pressed, take their turns: of a file saved earlier in the sequence
    // (a save comes first when there is none), of a missing file, of a saved file again,
    // cancelled.
    const int load = turns_.load % 4;
    const bool saved = load == 0 || load == 2;
    if (button == ARROW_PRESET_LOAD && saved && saved_.empty()) button = ARROW_PRESET_SAVE;
    Action press = Act(Kind::Press, NameOf(c, Pick(c.arrows)), -1, button);
    if (button == ARROW_PRESET_LOAD) {
      ++turns_.load;
      press.answer = load == 3 ? Answer::Cancel : Answer::File;
      press.file = saved ? Pick(saved_) : "missing.kvp";
    } else if (button == ARROW_PRESET_SAVE) {
      // The first save of a sequence writes its file; later ones now and then are cancelled
      // or write over an earlier file.
      press.answer = saved_.empty() || context_.Chance(0.85) ? Answer::File : Answer::Cancel;
      press.file = !saved_.empty() && context_.Chance(0.3) ? Pick(saved_) : "p" + std::to_string(saved_.size()) + ".kvp";
      if (press.answer == Answer::File && std::find(saved_.begin(), saved_.end(), press.file) == saved_.end()) {
        saved_.push_back(press.file);
      }
    }
    return press;
  }

  // The Make button and situation due next: the press, or else the action that brings the
  // situation about, the next action continuing from there.
  Action Make(const Contents& c) {
    using Kind = Action::Kind;
    static constexpr std::int32_t kMakes[] = {ARROW_MAKE_EXTRUDE, ARROW_MAKE_CLONER, ARROW_MAKE_WRAP};
    const std::int32_t button = kMakes[(turns_.make / 3) % 3];
    const int situation = turns_.make % 3;
    pending_ = true;
    std::vector<KvNode*> in;
    for (KvNode* a : c.arrows) {
      const KvNode* parent = kvhost::Parent(a);
      if ((parent == nullptr ? 0 : kvhost::ObjectType(parent) == KV_TYPE_EXTRUDE ? 1 : 2) != situation) continue;
      // Make Spline Wrap does nothing for an arrow that has its deformer (under it, or
      // beside it in its Extrude): such an arrow is not in the situation that is wanted.
      const auto wrap = [](const KvNode* n) { return kvhost::ObjectType(n) == KV_TYPE_SPLINE_WRAP; };
      const auto beside = situation == 1 ? kvhost::Children(parent) : std::vector<KvNode*>{};
      const auto under = kvhost::Children(a);
      if (button == ARROW_MAKE_WRAP && (std::any_of(under.begin(), under.end(), wrap) || std::any_of(beside.begin(), beside.end(), wrap))) {
        continue;
      }
      in.push_back(a);
    }
    if (in.empty()) {
      if (situation == 0) return Act(Action::Kind::NewArrow);
      if (situation == 1) {
        for (KvNode* a : c.arrows) {
          if (kvhost::Parent(a) == nullptr) return Act(Kind::Press, NameOf(c, a), -1, ARROW_MAKE_EXTRUDE);
        }
        return Act(Action::Kind::NewArrow);
      }
      KvNode* a = Pick(c.arrows);
      std::vector<int> parents;
      for (std::size_t n = 0; n < c.nodes.size(); ++n) {
        if (kvhost::ObjectType(c.nodes[n]) != KV_TYPE_EXTRUDE && !kvhost::IsInside(c.nodes[n], a)) parents.push_back(static_cast<int>(n));
      }
      if (parents.empty()) return Act(Kind::NewObject, 0, -1, KV_TYPE_NULL);
      return Act(Kind::Move, NameOf(c, a), Pick(parents));
    }
    KvNode* arrow = Pick(in);
    Action press = Act(Kind::Press, NameOf(c, arrow), -1, button);
    // A Spline Wrap needs its path; a Cloner on a spline needs the spline.
    const auto linked = [&](std::int32_t id) {
      const auto v = kvhost::GetParameter(kvhost::Container(arrow), id);
      return v && std::holds_alternative<KvNode*>(*v) && kvhost::DocumentOf(std::get<KvNode*>(*v)) != nullptr;
    };
    const bool spline = std::any_of(c.nodes.begin(), c.nodes.end(), [](const KvNode* n) { return kvhost::ObjectType(n) == KV_TYPE_SPLINE; });
    if (button != ARROW_MAKE_EXTRUDE && !spline && context_.Chance(0.5)) return Act(Kind::NewObject, 0, -1, KV_TYPE_SPLINE);
    // The first round of the nine clones on a spline and wraps without an Extrude of its
    // own, the next the other way, and so on.
    const bool second = (turns_.make / 9) % 2 == 1;
    const auto on = [&](std::int32_t id) {
      const auto v = kvhost::GetParameter(kvhost::Container(arrow), id);
      return v && std::holds_alternative<bool>(*v) && std::get<bool>(*v);
    };
    const auto set = [&](std::int32_t id, bool value) {
      Action a = Act(Kind::Set, press.target, -1, id);
      a.value = value;
      return a;
    };
    // Without its path the wrap is not made: only from the second round on, now and then.
    if (button == ARROW_MAKE_WRAP && !linked(ARROW_WRAP_SPLINE) && (!second || context_.Chance(0.8))) {
      return Link(c, press.target, ARROW_WRAP_SPLINE);
    }
    if (button == ARROW_MAKE_CLONER && on(ARROW_CLONE_ON_SPLINE) == second) return set(ARROW_CLONE_ON_SPLINE, !second);
    if (button == ARROW_MAKE_WRAP && on(ARROW_WRAP_ADD_EXTRUDE) != second) return set(ARROW_WRAP_ADD_EXTRUDE, second);
    if (button == ARROW_MAKE_CLONER && !linked(ARROW_CLONE_SPLINE) && context_.Chance(on(ARROW_CLONE_ON_SPLINE) ? 0.9 : 0.5)) {
      return Link(c, press.target, ARROW_CLONE_SPLINE);
    }
    ++turns_.make;
    pending_ = false;
    return press;
  }

  CheckContext& context_;
  Shape shape_;
  Turns& turns_;
  bool pending_ = false;  // a Make press is being prepared
  std::vector<std::string> saved_;  // the preset files saved so far
};

// Replays actions in a fresh sequence: its first failure, with in failedAt the number of
// actions up to the failing one.
std::optional<Failure> Replay(const CheckContext& context, const fs::path& folder, const std::vector<Action>& actions,
                              std::size_t& failedAt) {
  Sequence sequence(context, folder);
  for (std::size_t n = 0; n < actions.size(); ++n) {
    bool done = false;
    if (auto failure = sequence.Step(actions[n], done)) {
      failedAt = n + 1;
      return failure;
    }
  }
  failedAt = actions.size();
  return sequence.Finish();
}

// Shrinks a failing list of actions while the failure (the same expectation) stays, each
// replay cut after its failing action: chunks of halving size dropped, then each object
// an action names given an older name (which lets the actions that only made room
// go in the next round), as long as a round changes something. At most 400 replays and
// 5 seconds keep a long sequence's shrinking quick.
class Shrinker {
 public:
  Shrinker(CheckContext& context, fs::path folder, std::string expected)
      : context_(context), folder_(std::move(folder)), expected_(std::move(expected)) {}

  std::vector<Action> Shrink(std::vector<Action> actions) {
    for (bool changed = true; changed && replays_ > 0;) {
      changed = Drop(actions);
      changed = Rename(actions) || changed;
    }
    return actions;
  }

 private:
  // True, with actions cut after the failure, when the candidate still fails.
  bool Fails(std::vector<Action>& candidate) {
    if (--replays_ <= 0 || std::chrono::steady_clock::now() > deadline_) replays_ = 0;
    context_.progress(kReplays - replays_, kReplays, "shrinking a failing sequence: " + std::to_string(candidate.size()) + " actions");
    std::size_t failedAt = 0;
    const auto failure = Replay(context_, folder_, candidate, failedAt);
    if (!failure || failure->expected != expected_) return false;
    candidate.resize(failedAt);
    return true;
  }

  bool Drop(std::vector<Action>& actions) {
    bool changed = false;
    for (std::size_t chunk = std::max<std::size_t>(actions.size() / 2, 1);; chunk /= 2) {
      for (std::size_t at = 0; at < actions.size() && replays_ > 0;) {
        std::vector<Action> fewer(actions);
        fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(at),
                    fewer.begin() + static_cast<std::ptrdiff_t>(std::min(at + chunk, fewer.size())));
        if (Fails(fewer)) {
          actions = std::move(fewer);
          changed = true;
        } else {
          at += chunk;
        }
      }
      if (chunk == 1 || replays_ <= 0) return changed;
    }
  }

  bool Rename(std::vector<Action>& actions) {
    bool changed = false;
    for (std::size_t n = 0; n < actions.size() && replays_ > 0; ++n) {
      for (int Action::*field : {&Action::target, &Action::other}) {
        const int name = actions[n].*field;
        for (int place = 0; place < name && replays_ > 0; ++place) {
          // The object named so here and in every later action.
          std::vector<Action> renamed(actions);
          for (std::size_t m = n; m < renamed.size(); ++m) {
            for (int Action::*f : {&Action::target, &Action::other}) {
              if (renamed[m].*f == name) renamed[m].*f = place;
            }
          }
          if (Fails(renamed)) {
            actions = std::move(renamed);
            changed = true;
            break;
          }
        }
        if (n >= actions.size()) return changed;
      }
    }
    return changed;
  }

  static constexpr int kReplays = 400;
  const std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  CheckContext& context_;
  fs::path folder_;
  std::string expected_;
  int replays_ = kReplays;
};

// What differs between an arrow after its reset and a new arrow: the first value the new
// one holds that the reset one does not hold alike, or empty.
std::string ResetDifference(kvtool::PluginSession& session, KvNode* reset, KvNode* fresh) {
  const KvContainer* got = kvhost::Container(reset);
  const KvContainer* want = kvhost::Container(fresh);
  for (const std::int32_t id : kvhost::ParameterIds(want)) {
    const auto value = kvhost::GetParameter(got, id);
    const auto wanted = kvhost::GetParameter(want, id);
    // Each shown text gives back its value alone, so equal texts are equal values.
    if (!value || value->index() != wanted->index() || kvtool::ValueText(*value) != kvtool::ValueText(*wanted)) {
      return Symbol(session.ArrowDescription(), id) + " is " +
             (value ? kvtool::ValueText(*value) : std::string("not held")) + ", a new arrow's " +
             kvtool::ValueText(*wanted);
    }
  }
  return {};
}

}  // namespace

void RunUndo(CheckContext& context, CheckResult& result) {
  // Short sequences at every level; from level 3 long ones too, at level 5 of documents
  // past 100 objects and runs of 20 undos and more.
  std::vector<Shape> shapes(static_cast<std::size_t>(context.Cases(5)), Shape{20, 0, 2, 6});
  static constexpr std::size_t kLong[] = {0, 0, 1, 2, 12};
  shapes.insert(shapes.end(), kLong[context.level - 1], context.level >= 5 ? Shape{320, 110, 20, 30} : Shape{160, 50, 10, 20});
  const fs::path folder = ScratchOf(context) / "sequence";
  std::int64_t largest = 0, longestRun = 0;
  Chooser::Turns turns;
  for (std::size_t s = 0; s < shapes.size() && result.passed; ++s) {
    std::vector<Action> actions;
    std::optional<Failure> failure;
    std::string description;
    kvhost::Description arrow;
    {
      Sequence sequence(context, folder);
      Chooser chooser(context, shapes[s], turns);
      for (int n = 0; n < shapes[s].actions && !failure; ++n) {
        const Action a = chooser.Next(sequence);
        bool done = false;
        failure = sequence.Step(a, done);
        if (!done && !failure) continue;
        actions.push_back(a);
        ++result.cases;
        if (a.kind == Action::Kind::UndoRun) longestRun = std::max<std::int64_t>(longestRun, std::min(a.count, sequence.Depth()));
        largest = std::max<std::int64_t>(largest, static_cast<std::int64_t>(ContentsOf(sequence.Document()).nodes.size()));
        context.progress(static_cast<std::int64_t>(s), static_cast<std::int64_t>(shapes.size()),
                         ActionText(a, sequence.Arrow()));
      }
      if (!failure) failure = sequence.Finish();
      if (!failure) continue;
      arrow = sequence.Arrow();
      description = ActionsText(actions, arrow);
    }
    // Replayed in fresh sessions, the sequence shrinks to what the failure needs.
    const std::vector<Action> shrunk = Shrinker(context, folder, failure->expected).Shrink(actions);
    std::size_t failedAt = 0;
    std::optional<Failure> again = Replay(context, folder, shrunk, failedAt);
    const std::string text = ActionsText(shrunk, arrow);
    if (!again || again->expected != failure->expected) {
      return result.Fail(failure->seen + " after " + std::to_string(actions.size()) + " actions (not repeated in a fresh session): " +
                             description,
                         failure->expected);
    }
    return result.Fail(again->seen + " after " + std::to_string(actions.size()) + " actions, shrunk to " +
                           std::to_string(shrunk.size()) + ": " + text,
                       again->expected);
  }
  result.figures = std::to_string(largest) + " objects at most, " + std::to_string(longestRun) + " undos in a row at most";
  // Reset gives what a new arrow holds, whatever the arrow held before.
  for (std::int64_t n = 0; n < context.Cases(5) && result.passed; ++n) {
    auto session = OpenSession(context);
    KvNode* arrow = session->NewArrow();
    const auto edits = RandomArrowValues(session->ArrowDescription(), context, true);
    const std::string values = EditsText(edits);
    context.progress(n, context.Cases(5), "ARROW_RESET after " + values);
    WriteValues(arrow, edits);
    kvhost::PressButton(arrow, ARROW_RESET);
    ++result.cases;
    if (const std::string difference = ResetDifference(*session, arrow, session->NewArrow()); !difference.empty()) {
      return result.Fail("after ARROW_RESET on " + values + ", " + difference, "every value a new arrow holds");
    }
  }
}

}  // namespace kvcheck
