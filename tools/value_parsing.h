// NAME=VALUE edits as the command line and scene scripts give them: the parameter named
// by code name or id, the value parsed as the parameter's type.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host.h"
#include "resources.h"

namespace kvtool {

// What a parameter holds, from the arrow's description or a host object's table.
enum class ValueKind { Int32, Float, Bool, String, Vector, Link, Button };

ValueKind KindOf(kvhost::ParamType type);
// From a host object's parameter table (KV_VALUE_*).
ValueKind KindOfHostValue(std::int32_t valueType);
// "int32", "float", "bool", "string", "vector", "link", "button".
const char* KindName(ValueKind kind);

struct ParameterRef {
  std::int32_t id = 0;
  std::string name;  // the code name, or the id as text where the object has no names
  ValueKind kind = ValueKind::Float;
  // The arrow's description of it; null for host objects' parameters.
  const kvhost::DescParameter* described = nullptr;
};

// The parameter that a NAME (code name or id) stands for, or none.
using ParameterLookup = std::function<std::optional<ParameterRef>(std::string_view name)>;
// The object a link value names; *known is false when the name means nothing. Without a
// resolver only "none" (the empty link) is a link value.
using LinkResolver = std::function<KvNode*(std::string_view name, bool* known)>;

struct Edit {
  ParameterRef parameter;
  kvhost::Value value;
};

std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<double> ParseFloat(std::string_view text);  // finite decimal numbers only
std::optional<bool> ParseBool(std::string_view text);     // on off true false 1 0
bool SameInAnyCase(std::string_view a, std::string_view b);

// The names of candidates nearest to a mistyped name (by edits of single letters, in any
// case), at most three; none when nothing is near enough to be meant.
std::vector<std::string> NearestNames(std::string_view typed,
                                      const std::vector<std::string>& candidates);
// "did you mean A?" or "did you mean A or B?"; empty for no names.
std::string DidYouMean(const std::vector<std::string>& names);

// Parses "NAME=VALUE"; a cycle of the description takes a choice by number or by name in
// any case (PRIM_PLANE=ZY). Throws a ToolError (status 2) that names the parameter and
// the value: no '=', an unknown parameter (with the nearest names of nearNames, when
// given), a button given a value, a value of the wrong type.
using NameList = std::function<std::vector<std::string>()>;
Edit ParseEdit(std::string_view text, const ParameterLookup& lookup,
               const LinkResolver& links = {}, const NameList& nearNames = {});

}  // namespace kvtool
