#include "check_support.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "tool_error.h"
#include "value_text.h"

namespace kvcheck {

namespace {

// Upper end of a length without a maximum in the description.
constexpr double kLongestLength = 1000.0;

}  // namespace

std::filesystem::path ScratchOf(const CheckContext& context) {
  if (context.scratch.empty()) throw kvtool::ToolError(kvtool::kStatusBadInput, "the check has no scratch folder");
  std::filesystem::create_directories(context.scratch);
  return context.scratch;
}

void Step(const CheckContext& context, const std::string& step) {
  if (context.step) context.step(step);
}

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
        edit.value = shown / kvhost::ShownScale(p.unit);
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

std::unique_ptr<kvhost::Module> LoadModule(const CheckContext& context, CheckResult& result) {
  kvhost::ResetHost();
  try {
    Step(context, "loading the module");
    auto module = kvtool::LoadPluginModule(context.plugin);
    Step(context, "");
    return module;
  } catch (const kvtool::ToolError& e) {
    result.Fail(std::string("the module did not load: ") + e.what(), "it loads and exports its entry point");
    return nullptr;
  }
}

std::unique_ptr<kvtool::PluginSession> OpenSession(const CheckContext& context) {
  return OpenSession(context, context.plugin);
}

std::unique_ptr<kvtool::PluginSession> OpenSession(const CheckContext& context, const std::filesystem::path& folder) {
  Step(context, "loading and starting the module");
  auto session = std::make_unique<kvtool::PluginSession>(folder);
  Step(context, "");
  return session;
}

std::vector<ParameterEdit> PresetValues(kvtool::PluginSession& session, CheckContext& context) {
  auto edits = RandomArrowValues(session.ArrowDescription(), context, false);
  for (ParameterEdit& e : edits) {
    if (double* d = std::get_if<double>(&e.value)) *d = static_cast<double>(static_cast<float>(*d));
  }
  return edits;
}

}  // namespace kvcheck
