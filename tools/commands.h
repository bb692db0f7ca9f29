// The subcommands of the keelvane tool. Each Add function declares its subcommand on the
// application and appends what runs it; main runs the one the user chose.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

namespace kvtool {

// Options shared by every subcommand.
struct ToolOptions {
  std::string plugin;  // --plugin DIR; empty: KEELVANE_PLUGIN or the default folder
};

struct Command {
  std::string name;  // as typed: "outline", "preset save", ...
  CLI::App* app = nullptr;
  std::function<int(const ToolOptions&)> run;  // returns the exit status
};

void AddOutlineCommand(CLI::App& app, std::vector<Command>& commands);
void AddPresetCommands(CLI::App& app, std::vector<Command>& commands);
void AddParamsCommand(CLI::App& app, std::vector<Command>& commands);
void AddGalleryCommand(CLI::App& app, std::vector<Command>& commands);
void AddSceneCommand(CLI::App& app, std::vector<Command>& commands);
void AddCheckCommand(CLI::App& app, std::vector<Command>& commands);

}  // namespace kvtool
