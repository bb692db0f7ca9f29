// cpp-httplib's server with every connection held to one request that must arrive whole
// within a deadline. So a slow or idle client only ties up its own connection, and for a
// bounded time; the bytes after a refused request (its unread body) are never read as a
// next request, since the connection closes after the answer; and a stop ends every
// connection within a fraction of a second, whatever its client is doing.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>

#include <httplib.h>

namespace kvtool {

// Time a client has to send its whole request, head and body, and to take the answer.
constexpr std::chrono::milliseconds kRequestDeadline{3000};
// Connections served at once; further ones wait for a free place.
constexpr std::size_t kMaxConnections = 64;

class BoundedServer : public httplib::Server {
 public:
  BoundedServer();
  // After binding: lets as many connections wait to be accepted as the system allows.
  // The library's queue of 5 drops the connections of a burst, whose clients then
  // retry only a second or more later.
  void WidenBacklog();
  // Ends every connection at its next wait (within 100 ms) and stops listening; Run
  // (listen_after_bind) then returns. Safe from any thread.
  void StopAll();

 private:
  bool process_and_close_socket(socket_t sock) override;

  std::atomic<bool> stopping_{false};
};

}  // namespace kvtool
