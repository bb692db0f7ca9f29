// keelvane: drives the arrow module through the stand-in host from the command line.
// Exit status: 0 ok, 1 a failed operation, 2 a usage or input error.
#include <algorithm>
#include <iostream>
#include <string>
#include <string_view>

#include "commands.h"
#include "tool_error.h"
#if KEELVANE_WITH_SERVE
#include "serve_command.h"
#endif

namespace {

// The first word that is neither an option nor the value of --plugin: the command typed.
std::string TypedCommand(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--plugin") {
      ++i;
    } else if (!arg.starts_with("-")) {
      return std::string(arg);
    }
  }
  return {};
}

std::vector<std::string> CommandNames(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
    names.push_back(sub->get_name());
  }
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace kvtool;
  CLI::App app{
      "keelvane: loads the arrow module from its plug-in folder into the stand-in host and "
      "drives arrow objects as a user would (menu, edits, buttons, file dialogs).\n"
      "NAME=VALUE edits name a parameter by code name (ARROW_HEAD_LENGTH, PRIM_PLANE, ...) "
      "or id; bools are on/off/true/false/1/0; numbers are decimal and stored as given "
      "(fractions for tapers, radians for SPLINEOBJECT_ANGLE).\n"
      "Exit status: 0 ok, 1 a failed operation, 2 a usage or input error.",
      "keelvane"};
  app.fallthrough();
  app.require_subcommand(1);
  app.set_version_flag("--version", "keelvane " KEELVANE_VERSION);
  ToolOptions options;
  const std::string pluginHelp =
      "plug-in folder holding the module, res/ and presets/ (default: "
      "$KEELVANE_PLUGIN, else <bindir>/../plugins/win/keelvane)";
  app.add_option("--plugin", options.plugin, pluginHelp);

  std::vector<Command> commands;
  AddOutlineCommand(app, commands);
  AddPresetCommands(app, commands);
  AddParamsCommand(app, commands);
  AddGalleryCommand(app, commands);
  AddSceneCommand(app, commands);
  AddCheckCommand(app, commands);
#if KEELVANE_WITH_SERVE
  AddServeCommand(app, commands);
#endif

  // Every command takes --plugin after its name too, and its help lists it.
  for (const Command& command : commands) {
    if (command.app->get_option_no_throw("--plugin") == nullptr) {
      command.app->add_option("--plugin", options.plugin, pluginHelp);
    }
  }

  const std::vector<std::string> names = CommandNames(app);
  if (const std::string typed = TypedCommand(argc, argv);
      !typed.empty() && std::find(names.begin(), names.end(), typed) == names.end()) {
    std::cerr << "keelvane: unknown command '" << typed << "'; the commands are";
    for (std::size_t i = 0; i < names.size(); ++i) std::cerr << (i ? ", " : " ") << names[i];
    std::cerr << "\n";
    return kStatusBadInput;
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kStatusBadInput;
  }

  for (const Command& command : commands) {
    if (!command.app->parsed()) continue;
    try {
      return command.run(options);
    } catch (const ToolError& e) {
      std::cerr << "keelvane " << command.name << ": " << e.what() << "\n";
      return e.status;
    } catch (const std::exception& e) {
      std::cerr << "keelvane " << command.name << ": " << e.what() << "\n";
      return kStatusFailed;
    }
  }
  std::cerr << app.help();
  return kStatusBadInput;
}
