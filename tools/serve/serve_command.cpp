#include "serve_command.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <thread>

#include <pthread.h>

#include "panel.h"
#include "tool_error.h"
#include "web_server.h"

namespace kvtool {
namespace {

int RunServe(const ToolOptions& options, int port) {
  // SIGINT and SIGTERM are taken by one thread that stops the server; blocked before any
  // other thread starts, so that every thread the server makes inherits the mask.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  Panel panel(ChoosePluginFolder(options.plugin));
  WebServer server(panel);
  const int bound = server.Bind(port);
  std::cout << "keelvane serve: the arrow panel is at http://127.0.0.1:" << bound
            << "/ (Ctrl-C stops it)" << std::endl;

  // The first signal stops the server, which takes a fraction of a second; a second one
  // ends the process at once, taking the private folder with it.
  std::atomic<bool> finished{false};
  std::thread watcher([&server, &panel, &stopSignals, &finished] {
    int signal = 0;
    sigwait(&stopSignals, &signal);
    if (finished) return;
    server.Stop();
    sigwait(&stopSignals, &signal);
    if (finished) return;
    panel.RemoveScratch();
    std::cout << "keelvane serve: stopped at once" << std::endl;
    std::_Exit(128 + signal);
  });
  const bool ok = server.Run();
  // Wakes the watcher when the server ended by itself; a signal already taken is harmless.
  finished = true;
  pthread_kill(watcher.native_handle(), SIGTERM);
  watcher.join();
  std::cout << "keelvane serve: stopped" << std::endl;
  if (!ok) throw ToolError(kStatusFailed, "the server failed on port " + std::to_string(bound));
  return kStatusOk;
}

}  // namespace

void AddServeCommand(CLI::App& app, std::vector<Command>& commands) {
  auto port = std::make_shared<int>(8080);
  CLI::App* serve = app.add_subcommand(
      "serve",
      "Serves the arrow's attribute panel on http://127.0.0.1:PORT/ (this machine only): the "
      "object tree, the parameters greyed as the module says, a live preview of the contour, "
      "the buttons, presets, undo and the console. Ctrl-C stops it.");
  serve->add_option("--port", *port, "port to listen on; 0 picks a free one")
      ->check(CLI::Range(0, 65535))
      ->capture_default_str();
  commands.push_back(Command{"serve", serve, [port](const ToolOptions& options) {
                               return RunServe(options, *port);
                             }});
}

}  // namespace kvtool
