// A module's resource folder as the stand-in host reads it, for the Lr table, tests and
// the command-line tool.
//
// Layout of a folder:
//   symbols.h                                 enum of the string ids of strings.str
//   strings_en-US/strings.str                 STRINGTABLE { IDS_X "text"; ... }
//   description/<name>.res                    CONTAINER <Name> { NAME <Name>; GROUP ... }
//   description/<name>.h                      enum of the description's ids
//   strings_en-US/description/<name>.str      STRINGTABLE <Name> { SYMBOL "label"; ... }
//   any image files (the module's icon)
// Every file is parsed strictly; a fault names the file and line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host_tables.h"

namespace kvhost {

enum class ParamType { Real, Long, Bool, String, Button, Link };
// The unit a value is shown in; MIN, MAX and STEP are given in it.
enum class ParamUnit { None, Real, Meter, Percent, Degree };

const char* ParamTypeName(ParamType type);  // as written in a .res: "REAL", "LONG", ...
const char* ParamUnitName(ParamUnit unit);  // "METER", ...; "" for None
// The factor from a stored value to the value shown in unit: 100 for PERCENT (a stored
// fraction), degrees per radian for DEGREE (a stored angle), 1 for the rest.
double ShownScale(ParamUnit unit);

struct CycleEntry {
  std::int32_t value = 0;
  std::string symbol;
  std::string label;
  int line = 0;
};

struct DescGroup {
  std::int32_t id = 0;
  std::string symbol;
  std::string label;
  std::string parent;  // symbol of the enclosing group; "" at the top
  int line = 0;
};

struct DescParameter {
  std::int32_t id = 0;
  std::string symbol;
  ParamType type = ParamType::Real;
  std::string label;
  ParamUnit unit = ParamUnit::None;
  std::optional<double> min, max, step;
  std::vector<CycleEntry> cycle;     // LONG only
  std::vector<std::int32_t> accept;  // LINK only: accepted object types
  std::string group;                 // symbol of the innermost group; "" at the top
  int line = 0;
};

struct HeaderSymbol {
  std::string name;
  std::int32_t value = 0;
  int line = 0;
};

struct Description {
  std::string name;   // the CONTAINER name, e.g. "Okeelvane"
  std::int32_t id = 0;
  std::string label;  // label of the NAME symbol
  std::vector<DescGroup> groups;          // in the order they open
  std::vector<DescParameter> parameters;  // in the order they appear
  std::vector<HeaderSymbol> header;       // the symbols the description's .h defines
  std::string resFile, headerFile, stringsFile;
};

struct ResourceFolder {
  std::string path;
  std::vector<HeaderSymbol> stringSymbols;  // symbols.h
  std::vector<std::pair<std::int32_t, std::string>> strings;  // id -> text, in file order
  std::vector<Description> descriptions;    // sorted by file name
};

// Reads and checks a whole resource folder. On false, error is "<file>:<line>: what".
bool LoadResourceFolder(const std::filesystem::path& folder, ResourceFolder& out, std::string& error);

const Description* FindDescription(const ResourceFolder& folder, std::string_view name);
const DescParameter* FindParameter(const Description& desc, std::int32_t id);
const DescParameter* FindParameter(const Description& desc, std::string_view symbol);
const DescGroup* FindGroup(const Description& desc, std::string_view symbol);
// The text of string id; null when there is none.
const std::string* FindString(const ResourceFolder& folder, std::int32_t id);

// The symbols the host itself defines (its own parameters, groups, cycle entries and
// object types), which descriptions use without defining them.
std::optional<std::int32_t> HostSymbolValue(std::string_view symbol);

// What a handle from the Lr table holds.
const ResourceFolder& ResourceContents(const KvResource* res);

// The Lr table over resource folders.
KvResourceTable* ResourceTable();
// True when the loaded resource folder holds a description of that name.
bool HasDescription(const KvResource* res, std::string_view name);

// Path of a module's resource file named without a folder: inside the folder that Lr.Load
// loaded most recently (and that is still loaded); the name itself otherwise.
std::string ResolveResourceFile(std::string_view name);

}  // namespace kvhost

struct KvResource {
  kvhost::ResourceFolder folder;
};
