// The server tests' fixture: a WebServer on a free port of 127.0.0.1, served from a
// thread of this process, with a client that sends what the panel's page sends, and raw
// TCP for requests no well-behaved client would make.
#pragma once

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "panel.h"
#include "serve_test_support.h"
#include "web_server.h"

namespace kvtool {

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

// Sends raw bytes, and that nothing follows, and returns what the server answers before
// it closes.
inline std::string Exchange(int port, const std::string& request) {
  const int fd = Connect(port);
  if (fd < 0) return "";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  ::shutdown(fd, SHUT_WR);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return answer;
}

using Headers = std::vector<std::pair<std::string, std::string>>;

// An answer as the server sent it: "HTTP/1.1 NNN ..." and its header lines, and the body.
struct Reply {
  int status = 0;
  std::string head;
  std::string body;

  // The value of header name (in any case); empty when absent.
  std::string Header(std::string name) const {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    for (std::size_t at = head.find("\r\n"); at != std::string::npos; at = head.find("\r\n", at + 2)) {
      const std::size_t colon = head.find(':', at);
      std::string key = head.substr(at + 2, colon == std::string::npos ? 0 : colon - at - 2);
      std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
      if (key == name) return head.substr(colon + 2, head.find("\r\n", colon) - colon - 2);
    }
    return "";
  }
};

// A client that sends each request on a connection of its own, with a Host naming the
// server (unless headers name another) and its default headers.
class Client {
 public:
  Client(int port, Headers defaults) : port_(port), defaults_(std::move(defaults)) {}

  std::optional<Reply> Get(const std::string& path, const Headers& headers = {}) const {
    return Send("GET", path, headers, std::nullopt, "");
  }
  std::optional<Reply> Post(const std::string& path, const std::string& body, const std::string& type,
                            const Headers& headers = {}) const {
    return Send("POST", path, headers, body, type);
  }

 private:
  std::optional<Reply> Send(const std::string& method, const std::string& path, Headers headers,
                            const std::optional<std::string>& body, const std::string& type) const {
    headers.insert(headers.end(), defaults_.begin(), defaults_.end());
    const bool named = std::any_of(headers.begin(), headers.end(), [](const auto& h) { return h.first == "Host"; });
    if (!named) headers.emplace_back("Host", "127.0.0.1:" + std::to_string(port_));
    if (body) {
      headers.emplace_back("Content-Type", type);
      headers.emplace_back("Content-Length", std::to_string(body->size()));
    }
    std::string request = method + " " + path + " HTTP/1.1\r\n";
    for (const auto& [name, value] : headers) request += name + ": " + value + "\r\n";
    const std::string answer = Exchange(port_, request + "\r\n" + body.value_or(""));
    const std::size_t end = answer.find("\r\n\r\n");
    if (answer.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos) return std::nullopt;
    return Reply{std::stoi(answer.substr(9, 3)), answer.substr(0, end + 2), answer.substr(end + 4)};
  }

  int port_;
  Headers defaults_;
};

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
  kvtool::Client Client() const { return kvtool::Client(port, {{kPanelHeader, "1"}}); }

  // POSTs body as JSON; the answer's status and parsed body.
  std::pair<int, Json> Post(const std::string& path, const Json& body) {
    auto res = Client().Post(path, body.dump(), "application/json");
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

}  // namespace kvtool
