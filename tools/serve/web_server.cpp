// The server's frame: the loopback-only guards, the body limit, JSON errors, and
// binding, running and stopping.
#include "web_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <string>
#include <thread>

#include <httplib.h>

#include "json_text.h"
#include "tool_error.h"

namespace kvtool {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool IsPort(std::string_view digits) {
  return !digits.empty() && digits.size() <= 5 &&
         std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
}

void SendError(httplib::Response& res, int status, const std::string& message) {
  res.status = status;
  res.set_content(JsonText(Json{{"error", message}}), "application/json");
}

}  // namespace

bool IsLoopbackHost(std::string_view host) {
  const std::string h = Lower(host);
  std::string_view name = h;
  std::string_view port;
  if (!name.empty() && name.front() == '[') {
    const std::size_t close = name.find(']');
    if (close == std::string_view::npos) return false;
    port = name.substr(close + 1);
    name = name.substr(0, close + 1);
  } else if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
    port = name.substr(colon);
    name = name.substr(0, colon);
  }
  if (!port.empty() && (port.front() != ':' || !IsPort(port.substr(1)))) return false;
  return name == "127.0.0.1" || name == "localhost" || name == "[::1]";
}

bool IsLoopbackOrigin(std::string_view origin) {
  constexpr std::string_view scheme = "http://";
  if (origin.substr(0, scheme.size()) != scheme) return false;
  return IsLoopbackHost(origin.substr(scheme.size()));
}

WebServer::WebServer(Panel& panel) : panel_(panel), server_(std::make_unique<httplib::Server>()) {
  httplib::Server& s = *server_;
  s.set_payload_max_length(kMaxUploadBytes);
  // Short keep-alive waits, so that Stop is not held up by an idle browser connection.
  s.set_keep_alive_timeout(1);
  s.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
    using R = httplib::Server::HandlerResponse;
    const std::string host = req.get_header_value("Host");
    if (!IsLoopbackHost(host)) {
      SendError(res, 403,
                "refused: the panel answers only requests for 127.0.0.1, localhost or [::1], "
                "not for host '" + host + "'");
      return R::Handled;
    }
    if (req.has_header("Origin") && !IsLoopbackOrigin(req.get_header_value("Origin"))) {
      SendError(res, 403, "refused: requests from the page of '" + req.get_header_value("Origin") +
                              "' are not accepted");
      return R::Handled;
    }
    // This version of the library reads a chunked body whole, past the limit: a body
    // must announce its length.
    if (req.has_header("Transfer-Encoding")) {
      SendError(res, 411, "send the body with a Content-Length (at most 1 MiB), not chunked");
      res.set_header("Connection", "close");
      return R::Handled;
    }
    // The body is not read yet: a request that announces too much is turned away now.
    const std::string length = req.get_header_value("Content-Length");
    if (!length.empty()) {
      std::size_t bytes = 0;
      try {
        bytes = std::stoull(length);
      } catch (const std::exception&) {
        SendError(res, 400, "bad Content-Length '" + length + "'");
        res.set_header("Connection", "close");
        return R::Handled;
      }
      if (bytes > kMaxUploadBytes) {
        SendError(res, 413, "the upload is " + std::to_string(bytes) +
                                " bytes; the panel accepts at most 1 MiB (1048576 bytes)");
        res.set_header("Connection", "close");
        return R::Handled;
      }
    }
    return R::Unhandled;
  });
  // Errors the library answers itself (no route, body over the limit while it is being
  // read, unreadable requests) get a JSON body like every other error.
  s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
    if (!res.body.empty()) return;
    const std::string message = res.status == 404   ? "no such page or action"
                                : res.status == 413 ? "the request body is larger than 1 MiB"
                                                    : "the request could not be handled";
    SendError(res, res.status, message);
  });
  Routes();
}

WebServer::~WebServer() { Stop(); }

int WebServer::Bind(int port) {
  if (port < 0 || port > 65535) throw ToolError(kStatusBadInput, "bad port " + std::to_string(port));
  int bound = port;
  if (port == 0) {
    bound = server_->bind_to_any_port("127.0.0.1");
  } else if (!server_->bind_to_port("127.0.0.1", port)) {
    bound = -1;
  }
  if (bound <= 0) {
    throw ToolError(kStatusFailed, "cannot listen on 127.0.0.1:" + std::to_string(port) +
                                       " (is the port in use?)");
  }
  return bound;
}

// Run and Stop may race (Stop from a signal thread or a test, before the server has
// started listening): each announces itself before it looks at the other.
bool WebServer::Run() {
  runEntered_ = true;
  bool ok = true;
  if (!stopRequested_) ok = server_->listen_after_bind();
  runDone_ = true;
  return ok;
}

void WebServer::Stop() {
  if (stopRequested_.exchange(true)) return;
  if (!runEntered_) return;
  while (!server_->is_running() && !runDone_) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  server_->stop();
}

}  // namespace kvtool
