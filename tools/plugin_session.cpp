#include "plugin_session.h"

#include "module_loader.h"

#include <cstdlib>
#include <iostream>
#include <system_error>

#include <unistd.h>

#include "description/okeelvane.h"
#include "tool_error.h"

namespace kvtool {
namespace fs = std::filesystem;

namespace {

std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

std::string HostErrorText(const std::vector<std::string>& errors) {
  std::string out;
  for (const std::string& e : errors) out += "\n  host: " + e;
  return out;
}

// Updates the module sent the arrow itself: the load button sends one after a load
// that succeeded, and only then.
std::size_t UpdatesFromModule(const KvNode* node) {
  std::size_t n = 0;
  for (const kvhost::MessageLogEntry& m : kvhost::MessageLog(node)) {
    if (m.type == KV_MSG_UPDATE && m.sender == kvhost::MessageSender::Module) ++n;
  }
  return n;
}

}  // namespace

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
  }
  if (p == nullptr) return std::nullopt;
  return ParameterRef{p->id, p->symbol, KindOf(p->type)};
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
  for (const std::string& text : texts) edits.push_back(ParseEdit(text, lookup));
  return edits;
}

void PluginSession::Apply(KvNode* node, const Edit& edit) {
  kvhost::SetParameter(doc_, node, edit.parameter.id, edit.value);
}

void PluginSession::LoadPreset(KvNode* arrow, const std::string& file) {
  TakeHostErrors();
  const std::size_t before = UpdatesFromModule(arrow);
  kvhost::QueueDialogAnswer(file);
  kvhost::PressButton(arrow, ARROW_PRESET_LOAD);
  const bool pending = kvhost::PendingDialogAnswers() > 0;
  kvhost::ClearDialogs();
  if (UpdatesFromModule(arrow) > before) return;

  std::error_code ec;
  std::string why = "the module did not accept it";
  if (pending) {
    why = "the module showed no file dialog";
  } else if (!fs::exists(file, ec)) {
    why = "no such file";
  } else if (fs::is_directory(file, ec)) {
    why = "it is a folder";
  }
  throw ToolError(kStatusFailed, "cannot load preset '" + file + "': " + why +
                                     HostErrorText(TakeHostErrors()));
}

std::string PluginSession::SavePreset(KvNode* arrow, const std::string& file) {
  const fs::path target(file);
  if (target.filename().empty()) {
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
