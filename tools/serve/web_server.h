// The HTTP side of the browser panel: one page and a small JSON API over a Panel, on
// 127.0.0.1 only. Any page the user's browser shows can send requests to 127.0.0.1, so
// the server answers only requests that name it exactly (Host, and Origin where sent,
// with its port), takes API requests only with a header that no other site's page can
// send without asking first, forbids framing, and bounds the work of every request.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>

namespace kvtool {

class BoundedServer;
class Panel;

// Largest request body the server reads: preset uploads; JSON requests are far smaller.
constexpr std::size_t kMaxUploadBytes = 1024 * 1024;
// Every /api/ request carries this header (any value); the page sets it. A page of
// another origin cannot send it without the browser asking the server first, which
// this server never allows.
constexpr const char* kPanelHeader = "X-Keelvane-Panel";

// "127.0.0.1", "localhost" or "[::1]" with ":port" (or without, for port 80).
bool IsPanelHost(std::string_view host, int port);
// "http://" followed by a panel host: the page's own origin.
bool IsPanelOrigin(std::string_view origin, int port);

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
  // Safe from any thread; Run returns within a fraction of a second, whatever the
  // clients are doing.
  void Stop();

 private:
  void Guards();
  void Routes();

  Panel& panel_;
  std::mutex lock_;
  std::atomic<int> port_{0};
  std::atomic<bool> runEntered_{false}, runDone_{false}, stopRequested_{false};
  std::unique_ptr<BoundedServer> server_;
};

}  // namespace kvtool
