#include "check_support.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <sstream>

#include "value_text.h"

namespace kvcheck {

namespace {

// Upper end of a length without a maximum in the description.
constexpr double kLongestLength = 1000.0;

// A value stored for a shown value in unit (percent as a fraction, degrees as radians).
double Stored(double shown, kvhost::ParamUnit unit) {
  switch (unit) {
    case kvhost::ParamUnit::Percent: return shown / 100.0;
    case kvhost::ParamUnit::Degree: return shown * std::numbers::pi / 180.0;
    default: return shown;
  }
}

void DepthFirst(KvNode* node, std::vector<KvNode*>& nodes) {
  nodes.push_back(node);
  for (KvNode* child : kvhost::Children(node)) DepthFirst(child, nodes);
}

struct TextOfTree {
  std::vector<KvNode*> nodes;
  bool withSerials = true;

  std::string Name(const KvNode* node) const {
    if (withSerials) return "#" + std::to_string(kvhost::ObjectSerial(node));
    const auto at = std::find(nodes.begin(), nodes.end(), node);
    return at == nodes.end() ? "@outside" : "@" + std::to_string(at - nodes.begin());
  }

  void Write(std::ostringstream& out, KvNode* node, int depth) const {
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ') << kvhost::ObjectType(node) << Name(node);
    KvContainer* c = kvhost::Container(node);
    for (std::int32_t id : kvhost::ParameterIds(c)) {
      out << " " << id << "="
          << kvtool::ValueText(*kvhost::GetParameter(c, id), [this](const KvNode* t) { return Name(t); });
    }
    out << "\n";
    for (KvNode* child : kvhost::Children(node)) Write(out, child, depth + 1);
  }
};

}  // namespace

std::vector<ParameterEdit> RandomArrowValues(const kvhost::Description& description,
                                             CheckContext& context, bool degenerate) {
  std::vector<ParameterEdit> edits;
  for (const kvhost::DescParameter& p : description.parameters) {
    ParameterEdit edit{p.id, p.symbol, {}};
    switch (p.type) {
      case kvhost::ParamType::Real: {
        const double lo = p.min.value_or(-kLongestLength);
        const double hi = p.max.value_or(p.unit == kvhost::ParamUnit::Meter ? kLongestLength : lo + 100.0);
        double shown = context.Uniform(lo, hi);
        if (degenerate && context.Chance(0.15)) shown = context.Chance(0.5) ? 0.0 : -context.Uniform(0.0, hi - lo);
        edit.value = Stored(shown, p.unit);
        break;
      }
      case kvhost::ParamType::Long:
        if (!p.cycle.empty()) {
          edit.value = p.cycle[static_cast<std::size_t>(context.Integer(0, static_cast<std::int64_t>(p.cycle.size()) - 1))].value;
        } else {
          edit.value = static_cast<std::int32_t>(context.Integer(static_cast<std::int64_t>(p.min.value_or(0)),
                                                                 static_cast<std::int64_t>(p.max.value_or(1000))));
        }
        break;
      case kvhost::ParamType::Bool:
        edit.value = context.Chance(0.5);
        break;
      default:
        continue;  // strings, buttons and links are not shape parameters
    }
    edits.push_back(edit);
  }
  return edits;
}

std::string EditsText(const std::vector<ParameterEdit>& edits) {
  std::string out;
  for (const ParameterEdit& e : edits) {
    out += (out.empty() ? "" : " ") + e.symbol + "=" + kvtool::ValueText(e.value);
  }
  return out;
}

void WriteValues(KvNode* node, const std::vector<ParameterEdit>& edits) {
  for (const ParameterEdit& e : edits) kvhost::SetParameterRaw(kvhost::Container(node), e.id, e.value);
}

std::string DocumentText(const KvDocument* doc, bool withSerials) {
  TextOfTree text;
  text.withSerials = withSerials;
  for (KvNode* top : kvhost::TopObjects(doc)) DepthFirst(top, text.nodes);
  std::ostringstream out;
  for (KvNode* top : kvhost::TopObjects(doc)) text.Write(out, top, 0);
  return out.str();
}

std::string FirstDifference(const std::string& a, const std::string& b) {
  std::istringstream ia(a), ib(b);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool ha = static_cast<bool>(std::getline(ia, la));
    const bool hb = static_cast<bool>(std::getline(ib, lb));
    if (!ha && !hb) return "no difference";
    if (ha && hb && la == lb) continue;
    if (!ha || !hb) return "object " + std::to_string(line) + ": " + (ha ? la : "none") + " / " + (hb ? lb : "none");
    // The first value that differs, with the object it belongs to.
    std::istringstream ta(la), tb(lb);
    std::string object, wa, wb;
    ta >> object;
    tb >> wb;
    while (ta >> wa && tb >> wb && wa == wb) {}
    if (wa == wb) wa = "(end)", wb = "(more)";
    return "object " + std::to_string(line) + " (" + object + "): " + wa + " / " + wb;
  }
}

std::filesystem::path NewScratchFolder(const std::string& what) {
  for (;;) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
        ("keelvane-check-" + what + "-" + std::to_string(std::random_device{}()));
    if (std::filesystem::create_directories(folder)) return folder;
  }
}

std::unique_ptr<kvtool::PluginSession> OpenSession(const CheckContext& context) {
  return std::make_unique<kvtool::PluginSession>(context.plugin);
}

}  // namespace kvcheck
