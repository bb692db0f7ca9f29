// Parsers of the three kinds of resource file: C headers of symbols, string tables and
// descriptions. Each checks one file on its own; resources.cpp checks that the files of a
// folder agree. Errors read "<file>:<line>: what".
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "resources.h"

namespace kvhost {

struct ResourceLabel {
  std::string symbol;
  std::string text;
  int line = 0;
};

// Symbol name -> value, or nullopt when the name is unknown.
using SymbolLookup = std::function<std::optional<std::int32_t>(std::string_view)>;

// `enum { NAME = 123, ... };` blocks, with comments and include-guard lines around them.
bool ParseSymbolHeader(const std::string& file, std::string_view text,
                       std::vector<HeaderSymbol>& out, std::string& error);

// `STRINGTABLE [Name] { SYMBOL "text" ["more text" ...]; ... }`. name receives the table's
// name, "" when it has none; named says which of the two the file must be.
bool ParseStringTable(const std::string& file, std::string_view text, bool named,
                      std::string& name, std::vector<ResourceLabel>& out, std::string& error);

// `CONTAINER Name { NAME Name; GROUP ... }`. Fills everything of desc but the labels.
bool ParseDescription(const std::string& file, std::string_view text, const SymbolLookup& lookup,
                      Description& desc, std::string& error);

}  // namespace kvhost
