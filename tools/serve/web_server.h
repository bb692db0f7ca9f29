// The HTTP side of the browser panel: one page and a small JSON API over a Panel, on
// 127.0.0.1 only. Any page the user's browser shows can send requests to 127.0.0.1, so
// the server answers only requests that name it exactly (Host, and Origin where sent,
// with its port), takes API requests only with a header that no other site's page can
// send without asking first, forbids framing and embedding by other sites, and bounds
// the work of every request (BoundedServer).
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bounded_server.h"
#include "json_text.h"

namespace kvtool {

class Panel;

// Every /api/ request carries this header (any value); the page sets it. A page of
// another origin cannot send it without the browser asking the server first, which
// this server never allows.
constexpr const char* kPanelHeader = "X-Keelvane-Panel";
// Every answer carries the document's version in this header; it grows with each change.
constexpr const char* kVersionHeader = "X-Keelvane-Version";

// "127.0.0.1", "localhost" or "[::1]" with ":port" (or without, for port 80).
bool IsPanelHost(std::string_view host, int port);
// "http://" followed by a panel host: the page's own origin.
bool IsPanelOrigin(std::string_view origin, int port);

// An answer with body written as JSON.
HttpAnswer JsonAnswer(int status, const Json& body);
// {"error": message} with status.
HttpAnswer JsonError(int status, const std::string& message);

class WebServer {
 public:
  // panel must outlive the server; every request uses it under one lock.
  explicit WebServer(Panel& panel);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds 127.0.0.1:port (0: a free port) and returns the port. Throws a ToolError
  // (status 1) when the port is taken, by another keelvane serve or anything else.
  int Bind(int port);
  // Serves until Stop; returns false when the server failed.
  bool Run();
  // Safe from any thread, before Run too; Run returns at once, whatever the clients do.
  void Stop();

 private:
  using RouteHandler = std::function<HttpAnswer(const HttpRequest&)>;
  struct Route {
    std::string method;
    std::string path;
    RouteHandler handle;
  };

  void Routes();
  HttpAnswer Answer(const HttpRequest& request);
  // A handler that runs action under the lock and answers with the state of the object
  // it returns, or with the error it raised, having changed nothing.
  RouteHandler Acting(std::function<std::optional<std::uint64_t>(const HttpRequest&)> action);

  Panel& panel_;
  std::mutex lock_;
  std::atomic<int> port_{0};
  std::vector<Route> routes_;
  std::unique_ptr<BoundedServer> server_;
};

}  // namespace kvtool
