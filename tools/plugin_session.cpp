#include "plugin_session.h"

#include "module_loader.h"

#include <cstdlib>
#include <iostream>
#include <system_error>

#include <unistd.h>

#include "description/okeelvane.h"
#include "tool_error.h"
#include "value_text.h"

namespace kvtool {
namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string HostErrorText(const std::vector<std::string>& errors) {
  std::string out;
  for (const std::string& e : errors) out += "\n  host: " + e;
  return out;
}

}  // namespace

std::size_t PluginSession::UpdatesFromModule(const KvNode* node) {
  std::size_t n = 0;
  for (const kvhost::MessageLogEntry& m : kvhost::MessageLog(node)) {
    if (m.type == KV_MSG_UPDATE && m.sender == kvhost::MessageSender::Module) ++n;
  }
  return n;
}

std::string PluginSession::LoadFailure(const std::string& file) {
  std::error_code ec;
  if (!fs::exists(file, ec)) return "no such file";
  if (fs::is_directory(file, ec)) return "it is a folder";
  return "the module did not accept it";
}

fs::path ChoosePluginFolder(const std::string& option) {
  if (!option.empty()) return fs::path(option);
  if (const char* env = std::getenv("KEELVANE_PLUGIN"); env != nullptr && *env != '\0') {
    return fs::path(env);
  }
  const std::string exe = kvhost::ExecutablePath();
  const fs::path bindir = exe.empty() ? fs::current_path() : fs::path(exe).parent_path();
  return (bindir / ".." / "plugins" / "win" / "keelvane").lexically_normal();
}

fs::path ModuleFileOf(const fs::path& folder) {
  const fs::path modulePath = folder / kModuleFileName;
  std::error_code ec;
  if (!fs::is_regular_file(modulePath, ec)) {
    throw ToolError(kStatusFailed, "no module " + Quoted(modulePath) +
                                       " (name the plug-in folder with --plugin DIR or "
                                       "KEELVANE_PLUGIN)");
  }
  return modulePath;
}

std::unique_ptr<kvhost::Module> LoadPluginModule(const fs::path& folder) {
  const fs::path modulePath = ModuleFileOf(folder);
  std::string error;
  std::unique_ptr<kvhost::Module> module = kvhost::Module::Load(modulePath.string(), &error);
  // The host's reason names the file already.
  if (module == nullptr) throw ToolError(kStatusFailed, error);
  return module;
}

PluginSession::PluginSession(const fs::path& folder) : folder_(folder) {
  const fs::path modulePath = ModuleFileOf(folder);
  kvhost::ResetHost();
  module_ = LoadPluginModule(folder);
  if (!module_->Start()) {
    std::string console;
    for (const kvhost::ConsoleLine& line : kvhost::ConsoleLines()) console += "\n  " + line.text;
    throw ToolError(kStatusFailed, "module " + Quoted(modulePath) + " did not start" + console);
  }
  const auto descriptionName = kvhost::RegisteredDescription(Okeelvane);
  if (!descriptionName) {
    throw ToolError(kStatusFailed, "module " + Quoted(modulePath) +
                                       " registered no arrow object (type " +
                                       std::to_string(Okeelvane) + ")");
  }
  std::string error;
  if (!kvhost::LoadResourceFolder(folder / "res", resources_, error)) {
    throw ToolError(kStatusFailed, "cannot read the resources of " + Quoted(folder) + ": " + error);
  }
  description_ = kvhost::FindDescription(resources_, *descriptionName);
  if (description_ == nullptr) {
    throw ToolError(kStatusFailed, "the resources of " + Quoted(folder) +
                                       " hold no description " + *descriptionName);
  }
  doc_ = kvhost::NewDocument();
}

PluginSession::~PluginSession() {
  if (doc_ != nullptr) kvhost::FreeDocument(doc_);
  module_.reset();
  kvhost::ResetHost();
}

KvNode* PluginSession::NewArrow() {
  KvNode* arrow = kvhost::CreateObjectFromMenu(doc_, Okeelvane);
  if (arrow == nullptr) {
    throw ToolError(kStatusFailed, "the host could not create an arrow object" +
                                       HostErrorText(TakeHostErrors()));
  }
  return arrow;
}

std::optional<ParameterRef> PluginSession::ArrowParameter(std::string_view name) const {
  const kvhost::DescParameter* p = nullptr;
  if (const auto id = ParseInt32(name)) {
    p = kvhost::FindParameter(*description_, *id);
  } else {
    p = kvhost::FindParameter(*description_, name);
    for (std::size_t i = 0; p == nullptr && i < description_->parameters.size(); ++i) {
      if (SameInAnyCase(description_->parameters[i].symbol, name)) p = &description_->parameters[i];
    }
  }
  if (p == nullptr) return std::nullopt;
  return ParameterRef{p->id, p->symbol, KindOf(p->type), p};
}

NameList PluginSession::ArrowNames() const {
  return [this] {
    std::vector<std::string> names;
    for (const kvhost::DescParameter& p : description_->parameters) names.push_back(p.symbol);
    return names;
  };
}

std::optional<ParameterRef> PluginSession::HostParameter(std::int32_t objectType,
                                                         std::string_view id) {
  const auto number = ParseInt32(id);
  if (!number) return std::nullopt;
  for (const kvhost::HostParameterType& param : kvhost::HostParameterTypes(objectType)) {
    if (param.id == *number) {
      return ParameterRef{param.id, std::to_string(param.id), KindOfHostValue(param.valueType)};
    }
  }
  return std::nullopt;
}

ParameterLookup PluginSession::LookupFor(const KvNode* node) const {
  const std::int32_t type = kvhost::ObjectType(node);
  if (type == Okeelvane) {
    return [this](std::string_view name) { return ArrowParameter(name); };
  }
  return [type](std::string_view name) { return HostParameter(type, name); };
}

std::vector<Edit> PluginSession::ParseArrowEdits(const std::vector<std::string>& texts) const {
  std::vector<Edit> edits;
  const ParameterLookup lookup = [this](std::string_view name) { return ArrowParameter(name); };
  for (const std::string& text : texts) edits.push_back(ParseEdit(text, lookup, {}, ArrowNames()));
  return edits;
}

void PluginSession::Apply(KvNode* node, const Edit& edit) {
  kvhost::SetParameter(doc_, node, edit.parameter.id, edit.value);
}

namespace {

// The stored value in the description's unit; none for values that are not numbers.
std::optional<double> ShownNumberOf(const kvhost::DescParameter& p, const kvhost::Value& v) {
  if (const auto* f = std::get_if<double>(&v)) return *f * kvhost::ShownScale(p.unit);
  if (const auto* i = std::get_if<std::int32_t>(&v)) return static_cast<double>(*i);
  return std::nullopt;
}

std::optional<std::string> RangeWarning(const kvhost::DescParameter& p, const kvhost::Value& v) {
  const std::string given = p.symbol + "=" + ValueText(v);
  if (const auto* i = std::get_if<std::int32_t>(&v); i != nullptr && !p.cycle.empty()) {
    for (const kvhost::CycleEntry& c : p.cycle) {
      if (c.value == *i) return std::nullopt;
    }
    return given + " is none of its choices (" + ChoicesText(p) + ")";
  }
  const auto shown = ShownNumberOf(p, v);
  if (!shown || !((p.min && *shown < *p.min) || (p.max && *shown > *p.max))) return std::nullopt;
  std::string why = given;
  const double scale = kvhost::ShownScale(p.unit);
  if (scale != 1.0) why += " (" + ShownText(std::get<double>(v), scale) + UnitText(p.unit) + ")";
  why += " is outside its range, " + RangeText(p);
  if (p.unit == kvhost::ParamUnit::Percent) why += " (stored as a fraction of 1)";
  if (p.unit == kvhost::ParamUnit::Degree) why += " (stored in radians)";
  return why;
}

}  // namespace

std::vector<std::string> PluginSession::EditWarnings(KvNode* node, const Edit& edit) {
  std::vector<std::string> warnings;
  if (kvhost::ObjectType(node) != Okeelvane) return warnings;
  const kvhost::DescParameter* p = kvhost::FindParameter(*description_, edit.parameter.id);
  if (p == nullptr) return warnings;
  if (auto range = RangeWarning(*p, edit.value)) warnings.push_back(*range);
  if (kvhost::IsEnabled(node, p->id)) return warnings;

  // The switches whose other state would enable it, each tried on the live container
  // without a message or an undo record and put back at once.
  KvContainer* container = kvhost::Container(node);
  std::string switches;
  for (const kvhost::DescParameter& other : description_->parameters) {
    if (other.type != kvhost::ParamType::Bool || other.id == p->id) continue;
    const auto held = kvhost::GetParameter(container, other.id);
    if (!held || !std::holds_alternative<bool>(*held)) continue;
    const bool on = std::get<bool>(*held);
    kvhost::SetParameterRaw(container, other.id, !on);
    const bool enables = kvhost::IsEnabled(node, p->id);
    kvhost::SetParameterRaw(container, other.id, on);
    if (enables) switches += (switches.empty() ? "" : " and ") + other.symbol + (on ? " is on" : " is off");
  }
  warnings.push_back(p->symbol + " is greyed out " +
                     (switches.empty() ? "for the current values" : "while " + switches) +
                     ": the value is stored, but the arrow does not use it");
  return warnings;
}

void PluginSession::ApplyChecked(KvNode* node, const Edit& edit, bool strict, const std::string& prefix) {
  const std::vector<std::string> warnings = EditWarnings(node, edit);
  if (strict && !warnings.empty()) Refuse("refused (--strict): " + warnings.front());
  for (const std::string& w : warnings) std::cerr << prefix << "warning: " << w << "\n";
  Apply(node, edit);
}

void PluginSession::LoadPreset(KvNode* arrow, const std::string& file) {
  TakeHostErrors();
  const std::size_t before = UpdatesFromModule(arrow);
  kvhost::QueueDialogAnswer(file);
  kvhost::PressButton(arrow, ARROW_PRESET_LOAD);
  const bool pending = kvhost::PendingDialogAnswers() > 0;
  kvhost::ClearDialogs();
  if (UpdatesFromModule(arrow) > before) return;

  const std::string why = pending ? "the module showed no file dialog" : LoadFailure(file);
  throw ToolError(kStatusFailed, "cannot load preset '" + file + "': " + why +
                                     HostErrorText(TakeHostErrors()));
}

std::string PluginSession::SavePreset(KvNode* arrow, const std::string& file) {
  const fs::path target(file);
  std::error_code dirError;
  if (target.filename().empty() || fs::is_directory(target, dirError)) {
    throw ToolError(kStatusBadInput, "preset file '" + file + "' names a folder, not a file");
  }
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    throw ToolError(kStatusFailed,
                    "cannot save preset '" + file + "': no folder " + Quoted(folder));
  }
  // The module writes into a private folder beside the target, under the name the user
  // typed (so that its suffix rule applies); the finished file is then renamed into place.
  const fs::path scratch = folder / (".keelvane-save-" + std::to_string(::getpid()));
  fs::remove_all(scratch, ec);
  if (!fs::create_directory(scratch, ec)) {
    throw ToolError(kStatusFailed, "cannot save preset '" + file + "': " + ec.message());
  }
  TakeHostErrors();
  kvhost::QueueDialogAnswer((scratch / target.filename()).string());
  kvhost::PressButton(arrow, ARROW_PRESET_SAVE);
  kvhost::ClearDialogs();
  const std::vector<std::string> errors = TakeHostErrors();

  fs::path written;
  for (const fs::directory_entry& entry : fs::directory_iterator(scratch, ec)) {
    written = entry.path();
  }
  std::string failure;
  if (written.empty()) {
    failure = "the module wrote no file";
  } else if (!errors.empty()) {
    failure = "the host reported errors while it was written";
  } else {
    const fs::path final = target.parent_path() / written.filename();
    fs::rename(written, final, ec);
    if (!ec) {
      fs::remove_all(scratch, ec);
      return final.string();
    }
    failure = ec.message();
  }
  std::error_code ignored;
  fs::remove_all(scratch, ignored);
  throw ToolError(kStatusFailed, "cannot save preset '" + file + "': " + failure +
                                     HostErrorText(errors));
}

Outline PluginSession::Contour(KvNode* arrow) {
  KvNode* spline = kvhost::GetContour(arrow, doc_);
  if (spline == nullptr) {
    // The module gives no contour when an outline point would not be finite (huge values)
    // or when the host had no memory for the spline.
    throw ToolError(kStatusFailed, "the arrow has no outline for these values (the module "
                                   "returned no contour)" +
                                       HostErrorText(TakeHostErrors()));
  }
  Outline outline;
  outline.type = kvhost::SplineType(spline);
  outline.points = kvhost::SplinePoints(spline);
  outline.closed = BoolParameter(spline, KV_SPLINEOBJECT_CLOSED).value_or(false);
  outline.interpolation = IntParameter(spline, KV_SPLINEOBJECT_INTERPOLATION).value_or(0);
  outline.sub = IntParameter(spline, KV_SPLINEOBJECT_SUB).value_or(0);
  outline.angle = FloatParameter(spline, KV_SPLINEOBJECT_ANGLE).value_or(0.0);
  outline.maximumLength = FloatParameter(spline, KV_SPLINEOBJECT_MAXIMUMLENGTH).value_or(0.0);
  outline.plane = IntParameter(arrow, KV_PRIM_PLANE).value_or(0);
  outline.reverse = BoolParameter(arrow, KV_PRIM_REVERSE).value_or(false);
  kvhost::FreeObject(spline);
  return outline;
}

std::vector<std::string> PluginSession::TakeHostErrors() {
  const std::vector<std::string>& all = kvhost::HostErrors();
  std::vector<std::string> fresh(all.begin() + static_cast<std::ptrdiff_t>(hostErrorsTaken_),
                                 all.end());
  hostErrorsTaken_ = all.size();
  return fresh;
}

void PluginSession::WarnAboutHostErrors() {
  for (const std::string& e : TakeHostErrors()) std::cerr << "keelvane: host: " << e << "\n";
}

namespace {

template <typename T>
std::optional<T> Typed(KvNode* node, std::int32_t id) {
  const auto v = kvhost::GetParameter(kvhost::Container(node), id);
  if (!v || !std::holds_alternative<T>(*v)) return std::nullopt;
  return std::get<T>(*v);
}

}  // namespace

std::optional<double> FloatParameter(KvNode* node, std::int32_t id) { return Typed<double>(node, id); }
std::optional<std::int32_t> IntParameter(KvNode* node, std::int32_t id) {
  return Typed<std::int32_t>(node, id);
}
std::optional<bool> BoolParameter(KvNode* node, std::int32_t id) { return Typed<bool>(node, id); }

}  // namespace kvtool
