// Parameter values written for people (text) and for machines (JSON), the same way by
// every command.
#pragma once

#include <functional>
#include <string>

#include "host.h"
#include "json_text.h"

namespace kvtool {

// The name a link shows: an object's name, or "none" for the empty link.
using LinkName = std::function<std::string(const KvNode* target)>;

// on/off, decimal numbers in shortest form, "quoted" strings, x,y,z vectors, link names.
std::string ValueText(const kvhost::Value& value, const LinkName& linkName = {});
// Numbers, bools, strings, [x,y,z], and links as the target's name (null when empty).
Json ValueJson(const kvhost::Value& value, const LinkName& linkName = {});

}  // namespace kvtool
