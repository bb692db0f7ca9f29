// Parameter values written for people (text) and for machines (JSON), the same way by
// every command.
#pragma once

#include <functional>
#include <string>

#include "host.h"
#include "json_text.h"
#include "resources.h"

namespace kvtool {

// The name a link shows: an object's name, or "none" for the empty link.
using LinkName = std::function<std::string(const KvNode* target)>;

// on/off, numbers as ShownText shows them, "quoted" strings, x,y,z vectors, link names.
std::string ValueText(const kvhost::Value& value, const LinkName& linkName = {});
// Numbers, bools, strings, [x,y,z], and links as the target's name (null when empty).
Json ValueJson(const kvhost::Value& value, const LinkName& linkName = {});

// The description's range of a parameter in its unit: "from 0 to 100 %", "at least 0",
// "at most 90 degrees"; empty when it has none.
std::string RangeText(const kvhost::DescParameter& parameter);
// The unit as people read it after a number: " %", " degrees", or nothing.
std::string UnitText(kvhost::ParamUnit unit);
// The name a choice of a cycle goes by: its symbol without the parameter's own name
// ("ZY" for PRIM_PLANE_ZY of PRIM_PLANE, "adaptive" written as the symbol has it).
std::string ChoiceName(const kvhost::DescParameter& parameter, const kvhost::CycleEntry& choice);
// Every choice of a cycle as "0 XY, 1 ZY, 2 XZ"; empty for other parameters.
std::string ChoicesText(const kvhost::DescParameter& parameter);

}  // namespace kvtool
