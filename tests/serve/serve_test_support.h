// What the panel and server tests share: the plug-in folder of the built module and a
// preset file written by the module itself.
#pragma once

#include <string>

#include "json_text.h"

namespace kvtool {

inline const char* PluginFolder() { return KEELVANE_PLUGIN_DIR; }

// The parameter entry of symbol in a state's selected object; null JSON when absent.
inline Json ParameterOf(const Json& state, const std::string& symbol) {
  for (const Json& p : state["object"]["parameters"]) {
    if (p["symbol"] == symbol) return p;
  }
  return nullptr;
}

inline std::size_t CountNodes(const Json& tree) {
  std::size_t n = 0;
  for (const Json& node : tree) n += 1 + CountNodes(node["children"]);
  return n;
}

}  // namespace kvtool
