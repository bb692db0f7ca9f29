// keelvane serve: the arrow's attribute panel in the browser.
#pragma once

#include <vector>

#include <CLI/CLI.hpp>

#include "commands.h"

namespace kvtool {

void AddServeCommand(CLI::App& app, std::vector<Command>& commands);

}  // namespace kvtool
