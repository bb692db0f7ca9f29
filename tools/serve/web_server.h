// The HTTP side of the browser panel: one page and a small JSON API over a Panel, on
// 127.0.0.1 only. Requests whose Host (or Origin) is not a loopback name are refused,
// so that no other site can reach the panel through the browser (DNS rebinding, forms).
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string_view>

namespace httplib {
class Server;
}

namespace kvtool {

class Panel;

// Largest request body the server reads: preset uploads; JSON requests are far smaller.
constexpr std::size_t kMaxUploadBytes = 1024 * 1024;

// "127.0.0.1", "localhost" or "[::1]", each with or without ":port".
bool IsLoopbackHost(std::string_view host);
// "http://" followed by a loopback host.
bool IsLoopbackOrigin(std::string_view origin);

class WebServer {
 public:
  // panel must outlive the server; every request uses it under one lock.
  explicit WebServer(Panel& panel);
  ~WebServer();
  WebServer(const WebServer&) = delete;
  WebServer& operator=(const WebServer&) = delete;

  // Binds 127.0.0.1:port (0: a free port) and returns the port. Throws a ToolError.
  int Bind(int port);
  // Serves until Stop; returns false when the server failed.
  bool Run();
  // Safe from any thread; Run returns once requests in progress have finished.
  void Stop();

 private:
  void Routes();

  Panel& panel_;
  std::mutex lock_;
  std::atomic<bool> runEntered_{false}, runDone_{false}, stopRequested_{false};
  std::unique_ptr<httplib::Server> server_;
};

}  // namespace kvtool
