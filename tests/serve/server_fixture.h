// The server tests' fixture: a WebServer on a free port of 127.0.0.1, served from a
// thread of this process, with a client that sends what the panel's page sends, and raw
// TCP for requests no well-behaved client would make.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>

#include <httplib.h>

#include "panel.h"
#include "serve_test_support.h"
#include "web_server.h"

namespace kvtool {

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port = server.Bind(0);
    thread = std::thread([this] { server.Run(); });
  }
  void TearDown() override {
    server.Stop();
    if (thread.joinable()) thread.join();
  }

  // A client as the page is one: it sends the panel's header.
  httplib::Client Client() {
    httplib::Client client("127.0.0.1", port);
    client.set_default_headers({{kPanelHeader, "1"}});
    return client;
  }

  // POSTs body as JSON; the answer's status and parsed body.
  std::pair<int, Json> Post(const std::string& path, const Json& body) {
    auto res = Client().Post(path.c_str(), body.dump(), "application/json");
    if (!res) return {0, nullptr};
    return {res->status, Json::parse(res->body, nullptr, false)};
  }

  Json State() { return Json::parse(Client().Get("/api/state")->body, nullptr, false); }
  std::uint64_t Arrow() { return State()["selected"].get<std::uint64_t>(); }

  // "Host: 127.0.0.1:PORT" and a line ending, for raw requests.
  std::string HostLine() const { return "Host: 127.0.0.1:" + std::to_string(port) + "\r\n"; }

  Panel panel{PluginFolder()};
  WebServer server{panel};
  int port = 0;
  std::thread thread;
};

// A connected TCP socket to 127.0.0.1:port; -1 when the connection failed.
inline int Connect(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Sends raw bytes and returns what the server answers before it closes.
inline std::string Exchange(int port, const std::string& request) {
  const int fd = Connect(port);
  if (fd < 0) return "";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return answer;
}

}  // namespace kvtool
