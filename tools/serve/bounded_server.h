// The panel's HTTP/1.1 server: Boost.Beast's parser over Asio's sockets, one thread, and
// every bound its own. Each connection carries one request and closes after the answer,
// so nothing a refused request sent is ever read as another. Its head must arrive within
// 1 s of the accept and the whole exchange end within 3 s of it, counted from the accept
// whatever the client trickles; waiting connections hold no thread. At most 1024
// connections are open at once: when full, the oldest one still without a head makes
// room. A head is at most 32 KiB; a body has a valid Content-Length of at most 1 MiB, no
// Transfer-Encoding and no Content-Encoding, and bodies being received at once hold at
// most 8 MiB together. Nothing is decoded and no Range is served: the bytes in are the
// bytes the handler sees, and an answer is the handler's, once.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "http_request.h"

namespace kvtool {

constexpr std::chrono::milliseconds kHeadDeadline{1000};
constexpr std::chrono::milliseconds kRequestDeadline{3000};
constexpr std::size_t kMaxConnections = 1024;
constexpr std::size_t kMaxHeadBytes = 32 * 1024;
// Largest request body: preset uploads; JSON requests are far smaller.
constexpr std::size_t kMaxUploadBytes = 1024 * 1024;
constexpr std::size_t kBodyBudgetBytes = 8 * kMaxUploadBytes;

class BoundedServer {
 public:
  struct Handlers {
    // Sees each head before any of its body is read; an answer refuses the request.
    std::function<std::optional<HttpAnswer>(const HttpRequest& head)> check;
    // Answers the whole request. An exception becomes refusal(500, ...).
    std::function<HttpAnswer(const HttpRequest&)> handle;
    // The answer to a request the server refuses itself (not HTTP, too large, no length).
    std::function<HttpAnswer(int status, const std::string& message)> refusal;
    // Headers every answer carries, the server's own refusals included.
    std::function<HttpHeaders()> everyAnswer;
  };

  explicit BoundedServer(Handlers handlers);
  ~BoundedServer();
  BoundedServer(const BoundedServer&) = delete;
  BoundedServer& operator=(const BoundedServer&) = delete;

  // Listens on 127.0.0.1:port (0: a free port) and returns the port; 0 when the port is
  // taken or not allowed. Another listener's port is refused (no SO_REUSEPORT).
  int Bind(int port);
  // Serves until Stop; false when serving failed.
  bool Run();
  // Closes every connection and the listener; Run returns at once. Safe from any thread,
  // before Run as well.
  void Stop();

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace kvtool
