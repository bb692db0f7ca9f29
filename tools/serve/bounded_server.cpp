#include "bounded_server.h"

#include <algorithm>
#include <cerrno>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kvtool {
namespace {

using Clock = std::chrono::steady_clock;

// Waits in slices of at most 100 ms until fd is ready for events; false at the
// deadline, once stopping is set, or on an error.
bool WaitFor(int fd, short events, Clock::time_point deadline, const std::atomic<bool>& stopping) {
  for (;;) {
    if (stopping) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, static_cast<int>(std::min<long long>(left.count(), 100)));
    if (n > 0) return true;  // ready, or hung up: the read or write that follows tells
    if (n < 0 && errno != EINTR) return false;
  }
}

void Address(int fd, bool peer, std::string& ip, int& port) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  const int got = peer ? ::getpeername(fd, reinterpret_cast<sockaddr*>(&address), &length)
                       : ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  char text[INET_ADDRSTRLEN] = "";
  if (got == 0 && address.sin_family == AF_INET) ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  ip = text;
  port = got == 0 ? ntohs(address.sin_port) : 0;
}

// A connection's socket for one request: every read and write waits at most until the
// request's deadline, and not at all once the server stops.
class DeadlineStream final : public httplib::Stream {
 public:
  DeadlineStream(int fd, const std::atomic<bool>& stopping)
      : fd_(fd), deadline_(Clock::now() + kRequestDeadline), stopping_(stopping) {}

  bool is_readable() const override { return WaitFor(fd_, POLLIN, deadline_, stopping_); }
  bool is_writable() const override { return WaitFor(fd_, POLLOUT, deadline_, stopping_); }
  ssize_t read(char* ptr, size_t size) override {
    return is_readable() ? ::recv(fd_, ptr, size, 0) : -1;
  }
  ssize_t write(const char* ptr, size_t size) override {
    return is_writable() ? ::send(fd_, ptr, size, MSG_NOSIGNAL) : -1;
  }
  void get_remote_ip_and_port(std::string& ip, int& port) const override { Address(fd_, true, ip, port); }
  void get_local_ip_and_port(std::string& ip, int& port) const override { Address(fd_, false, ip, port); }
  socket_t socket() const override { return fd_; }

 private:
  int fd_;
  Clock::time_point deadline_;
  const std::atomic<bool>& stopping_;
};

// Closes after the answer has gone: the client's unsent or unread bytes (a refused
// request's body) are taken and dropped for a moment first, since closing a socket with
// unread input resets the connection and can destroy the answer before it is read.
void CloseAfterAnswer(int fd, const std::atomic<bool>& stopping) {
  ::shutdown(fd, SHUT_WR);
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(500);
  std::size_t dropped = 0;
  char buffer[16384];
  while (dropped < 2 * 1024 * 1024 && WaitFor(fd, POLLIN, deadline, stopping)) {
    const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    dropped += static_cast<std::size_t>(n);
  }
  ::close(fd);
}

}  // namespace

BoundedServer::BoundedServer() {
  new_task_queue = [] { return new httplib::ThreadPool(kMaxConnections); };
  // The library's default adds SO_REUSEPORT, with which a second server could bind the
  // same port and take half of its requests. SO_REUSEADDR alone still refuses a port
  // that another listener holds.
  set_socket_options([](socket_t sock) {
    const int yes = 1;
    ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
}

void BoundedServer::WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }

void BoundedServer::StopAll() {
  stopping_ = true;
  stop();
}

bool BoundedServer::process_and_close_socket(socket_t sock) {
  DeadlineStream stream(sock, stopping_);
  bool closed = false;
  // One request, answered with "Connection: close".
  const bool ok = !stopping_ && process_request(stream, true, closed, nullptr);
  CloseAfterAnswer(sock, stopping_);
  return ok;
}

}  // namespace kvtool
