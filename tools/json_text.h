// Numbers and JSON written so that they read back exactly: every float in its shortest
// form that parses back to the same double.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace kvtool {

// JSON documents of the tool keep their keys in the order they were written.
using Json = nlohmann::ordered_json;

// Shortest text that reads back as the same double ("400", "0.08726646259971647").
std::string NumberText(double value);
// The document on one line, floats written with NumberText.
std::string JsonText(const Json& document);

}  // namespace kvtool
