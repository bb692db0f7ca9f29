// Lr: a module's resource folder. Loading reads every file of the folder and checks that
// they agree (every symbol known, every shown item labelled), so that a fault in the
// resources shows at load with its file and line rather than as a missing label later.
#include "resources.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <numbers>
#include <new>
#include <system_error>

#include "accounting.h"
#include "console.h"
#include "file_paths.h"
#include "host.h"
#include "host_model.h"
#include "host_strings.h"
#include "local_files.h"
#include "resource_parser.h"

namespace kvhost {
namespace {

namespace fs = std::filesystem;

// The host's own symbols that descriptions may use.
const std::map<std::string, std::int32_t, std::less<>>& HostSymbols() {
  static const std::map<std::string, std::int32_t, std::less<>> symbols = {
      {"ID_OBJECTPROPERTIES", 900},
      {"SPLINEOBJECT_INTERPOLATION", KV_SPLINEOBJECT_INTERPOLATION},
      {"SPLINEOBJECT_SUB", KV_SPLINEOBJECT_SUB},
      {"SPLINEOBJECT_ANGLE", KV_SPLINEOBJECT_ANGLE},
      {"SPLINEOBJECT_MAXIMUMLENGTH", KV_SPLINEOBJECT_MAXIMUMLENGTH},
      {"PRIM_PLANE", KV_PRIM_PLANE},
      {"PRIM_REVERSE", KV_PRIM_REVERSE},
      {"SPLINEOBJECT_INTERPOLATION_NONE", KV_SPLINEOBJECT_INTERPOLATION_NONE},
      {"SPLINEOBJECT_INTERPOLATION_NATURAL", KV_SPLINEOBJECT_INTERPOLATION_NATURAL},
      {"SPLINEOBJECT_INTERPOLATION_UNIFORM", KV_SPLINEOBJECT_INTERPOLATION_UNIFORM},
      {"SPLINEOBJECT_INTERPOLATION_ADAPTIVE", KV_SPLINEOBJECT_INTERPOLATION_ADAPTIVE},
      {"SPLINEOBJECT_INTERPOLATION_SUBDIVIDED", KV_SPLINEOBJECT_INTERPOLATION_SUBDIVIDED},
      {"PRIM_PLANE_XY", KV_PLANE_XY},
      {"PRIM_PLANE_ZY", KV_PLANE_ZY},
      {"PRIM_PLANE_XZ", KV_PLANE_XZ},
      {"Obase", KV_TYPE_BASE},
      {"Ospline", KV_TYPE_SPLINE},
  };
  return symbols;
}

bool ReadText(const fs::path& path, std::string& text, std::string& error) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) {
    error = path.string() + ": cannot be read (missing?)";
    return false;
  }
  text = std::move(*bytes);
  return true;
}

const HeaderSymbol* FindSymbol(const std::vector<HeaderSymbol>& symbols, std::string_view name) {
  for (const HeaderSymbol& s : symbols) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

std::string At(const std::string& file, int line) { return file + ":" + std::to_string(line) + ": "; }

bool LoadHeader(const fs::path& path, std::vector<HeaderSymbol>& out, std::string& error) {
  std::string text;
  if (!ReadText(path, text, error) || !ParseSymbolHeader(path.string(), text, out, error)) return false;
  for (const HeaderSymbol& s : out) {
    if (HostSymbolValue(s.name)) {
      error = At(path.string(), s.line) + s.name + " is the host's own symbol and must not be defined here";
      return false;
    }
  }
  return true;
}

// Gives every labelled item of desc its text from the description's string table.
bool ApplyLabels(Description& desc, const std::vector<ResourceLabel>& labels, std::string& error) {
  std::map<std::string, std::string, std::less<>> text;
  for (const ResourceLabel& l : labels) {
    if (!FindSymbol(desc.header, l.symbol) && !HostSymbolValue(l.symbol)) {
      error = At(desc.stringsFile, l.line) + "label for unknown symbol " + l.symbol;
      return false;
    }
    text[l.symbol] = l.text;
  }
  auto label = [&](const std::string& symbol, int line, std::string& out) {
    auto it = text.find(symbol);
    if (it == text.end()) {
      error = At(desc.resFile, line) + symbol + " has no label in " + desc.stringsFile;
      return false;
    }
    out = it->second;
    return true;
  };
  if (!label(desc.name, 1, desc.label)) return false;
  for (DescGroup& g : desc.groups) {
    if (!label(g.symbol, g.line, g.label)) return false;
  }
  for (DescParameter& p : desc.parameters) {
    if (!label(p.symbol, p.line, p.label)) return false;
    for (CycleEntry& e : p.cycle) {
      if (!label(e.symbol, e.line, e.label)) return false;
    }
  }
  return true;
}

bool LoadDescription(const fs::path& folder, const fs::path& resFile, Description& desc, std::string& error) {
  std::string base = resFile.stem().string();
  desc.resFile = resFile.string();
  desc.headerFile = (folder / "description" / (base + ".h")).string();
  desc.stringsFile = (folder / "strings_en-US" / "description" / (base + ".str")).string();
  if (!LoadHeader(desc.headerFile, desc.header, error)) return false;

  std::string text;
  if (!ReadText(resFile, text, error)) return false;
  SymbolLookup lookup = [&desc](std::string_view name) -> std::optional<std::int32_t> {
    if (const HeaderSymbol* s = FindSymbol(desc.header, name)) return s->value;
    return HostSymbolValue(name);
  };
  if (!ParseDescription(desc.resFile, text, lookup, desc, error)) return false;
  std::string lower = desc.name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  if (lower != base) {
    error = At(desc.resFile, 1) + "CONTAINER " + desc.name + " does not match the file name " + base;
    return false;
  }

  std::string tableName;
  std::vector<ResourceLabel> labels;
  if (!ReadText(desc.stringsFile, text, error) ||
      !ParseStringTable(desc.stringsFile, text, true, tableName, labels, error)) {
    return false;
  }
  if (tableName != desc.name) {
    error = At(desc.stringsFile, 1) + "STRINGTABLE " + tableName + " does not match CONTAINER " + desc.name;
    return false;
  }
  return ApplyLabels(desc, labels, error);
}

bool LoadStrings(const fs::path& folder, ResourceFolder& out, std::string& error) {
  if (!LoadHeader(folder / "symbols.h", out.stringSymbols, error)) return false;
  fs::path file = folder / "strings_en-US" / "strings.str";
  std::string text, name;
  std::vector<ResourceLabel> labels;
  if (!ReadText(file, text, error) || !ParseStringTable(file.string(), text, false, name, labels, error)) return false;
  for (const ResourceLabel& l : labels) {
    const HeaderSymbol* s = FindSymbol(out.stringSymbols, l.symbol);
    if (!s) {
      error = At(file.string(), l.line) + l.symbol + " is not defined in symbols.h";
      return false;
    }
    out.strings.emplace_back(s->value, l.text);
  }
  for (const HeaderSymbol& s : out.stringSymbols) {
    if (!FindString(out, s.value)) {
      error = At((folder / "symbols.h").string(), s.line) + s.name + " has no text in " + file.string();
      return false;
    }
  }
  return true;
}

struct LoadedFolders {
  std::vector<const KvResource*> live;  // in load order
};

LoadedFolders& Loaded() {
  static LoadedFolders loaded;
  return loaded;
}

KvResource* LrLoad(const KvFilename* folder) {
  std::string path = folder ? folder->path : std::string();
  ResourceFolder contents;
  std::string error;
  if (!LoadResourceFolder(path, contents, error)) {
    ReportHostError("resources: " + error);
    return nullptr;
  }
  if (!TryAllocate(AllocKind::Resource)) return nullptr;
  KvResource* res = new (std::nothrow) KvResource{std::move(contents)};
  if (!res) {
    Release(AllocKind::Resource);
    return nullptr;
  }
  Loaded().live.push_back(res);
  return res;
}

void LrFree(KvResource* res) {
  if (!res) return;
  std::vector<const KvResource*>& live = Loaded().live;
  live.erase(std::remove(live.begin(), live.end(), res), live.end());
  delete res;
  Release(AllocKind::Resource);
}

KvString* LrLoadString(const KvResource* res, std::int32_t id) {
  const std::string* text = res ? FindString(res->folder, id) : nullptr;
  NoteResourceRequest("string " + std::to_string(id), text != nullptr);
  return text ? NewString(*text) : nullptr;
}

}  // namespace

const char* ParamTypeName(ParamType type) {
  switch (type) {
    case ParamType::Real: return "REAL";
    case ParamType::Long: return "LONG";
    case ParamType::Bool: return "BOOL";
    case ParamType::String: return "STRING";
    case ParamType::Button: return "BUTTON";
    case ParamType::Link: return "LINK";
  }
  return "";
}

const char* ParamUnitName(ParamUnit unit) {
  switch (unit) {
    case ParamUnit::None: return "";
    case ParamUnit::Real: return "REAL";
    case ParamUnit::Meter: return "METER";
    case ParamUnit::Percent: return "PERCENT";
    case ParamUnit::Degree: return "DEGREE";
  }
  return "";
}

double ShownScale(ParamUnit unit) {
  if (unit == ParamUnit::Percent) return 100.0;
  if (unit == ParamUnit::Degree) return 180.0 / std::numbers::pi;
  return 1.0;
}

bool LoadResourceFolder(const fs::path& folder, ResourceFolder& out, std::string& error) {
  out = ResourceFolder{};
  out.path = folder.string();
  std::error_code ec;
  if (folder.empty() || !fs::is_directory(folder, ec)) {
    error = (folder.empty() ? std::string("(no path)") : folder.string()) + ": no resource folder there";
    return false;
  }
  if (!LoadStrings(folder, out, error)) return false;

  std::vector<fs::path> resFiles;
  fs::path descriptions = folder / "description";
  if (fs::is_directory(descriptions, ec)) {
    for (const fs::directory_entry& e : fs::directory_iterator(descriptions, ec)) {
      if (e.path().extension() == ".res") resFiles.push_back(e.path());
    }
  }
  std::sort(resFiles.begin(), resFiles.end());
  for (const fs::path& file : resFiles) {
    Description desc;
    if (!LoadDescription(folder, file, desc, error)) return false;
    if (FindDescription(out, desc.name)) {
      error = At(desc.resFile, 1) + "a second description named " + desc.name;
      return false;
    }
    out.descriptions.push_back(std::move(desc));
  }
  return true;
}

const Description* FindDescription(const ResourceFolder& folder, std::string_view name) {
  for (const Description& d : folder.descriptions) {
    if (d.name == name) return &d;
  }
  return nullptr;
}

const DescParameter* FindParameter(const Description& desc, std::int32_t id) {
  for (const DescParameter& p : desc.parameters) {
    if (p.id == id) return &p;
  }
  return nullptr;
}

const DescParameter* FindParameter(const Description& desc, std::string_view symbol) {
  for (const DescParameter& p : desc.parameters) {
    if (p.symbol == symbol) return &p;
  }
  return nullptr;
}

const DescGroup* FindGroup(const Description& desc, std::string_view symbol) {
  for (const DescGroup& g : desc.groups) {
    if (g.symbol == symbol) return &g;
  }
  return nullptr;
}

const std::string* FindString(const ResourceFolder& folder, std::int32_t id) {
  for (const auto& [sid, text] : folder.strings) {
    if (sid == id) return &text;
  }
  return nullptr;
}

std::optional<std::int32_t> HostSymbolValue(std::string_view symbol) {
  auto it = HostSymbols().find(symbol);
  if (it == HostSymbols().end()) return std::nullopt;
  return it->second;
}

const ResourceFolder& ResourceContents(const KvResource* res) {
  static const ResourceFolder empty;
  return res ? res->folder : empty;
}

std::string ResolveResourceFile(std::string_view name) {
  const std::vector<const KvResource*>& live = Loaded().live;
  if (live.empty() || name.empty() || FilePart(name) != name) return std::string(name);
  return JoinPath(live.back()->folder.path, name);
}

bool HasDescription(const KvResource* res, std::string_view name) {
  return res && FindDescription(res->folder, name);
}

KvResourceTable* ResourceTable() {
  static KvResourceTable table{
      .header = {KV_TABLE_LAYOUT_VERSION, sizeof(KvResourceTable)},
      .Load = LrLoad,
      .Free = LrFree,
      .LoadString = LrLoadString,
  };
  return &table;
}

}  // namespace kvhost
