// The server's frame: the guards every request passes, the headers every answer
// carries, JSON errors, and binding, running and stopping.
#include "web_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "bounded_server.h"
#include "input_text.h"
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

void SendError(httplib::Response& res, int status, const std::string& message) {
  res.status = status;
  res.set_content(JsonText(Json{{"error", message}}), "application/json");
}

struct Refusal {
  int status;
  std::string message;
};

// Why the server will not handle req, or nothing when it will.
std::optional<Refusal> Refused(const httplib::Request& req, int port) {
  const std::string host = req.get_header_value("Host");
  if (!IsPanelHost(host, port)) {
    return Refusal{403, "refused: the panel answers only requests for 127.0.0.1:" + std::to_string(port) +
                            " (or localhost), not for host " + QuotedInput(host)};
  }
  if (req.has_header("Origin") && !IsPanelOrigin(req.get_header_value("Origin"), port)) {
    return Refusal{403, "refused: requests from the page of " + QuotedInput(req.get_header_value("Origin")) +
                            " are not accepted"};
  }
  if (req.path.rfind("/api/", 0) == 0) {
    const std::string site = req.get_header_value("Sec-Fetch-Site");
    if (site == "cross-site" || site == "same-site") {
      return Refusal{403, "refused: the request comes from another site's page"};
    }
    if (!req.has_header(kPanelHeader)) {
      return Refusal{403, std::string("refused: requests to /api/ must carry the header ") + kPanelHeader +
                              " (the panel's page sends it)"};
    }
  }
  // This version of the library reads a chunked body whole, past the limit: a body
  // must announce its length.
  if (req.has_header("Transfer-Encoding")) {
    return Refusal{411, "send the body with a Content-Length (at most 1 MiB), not chunked"};
  }
  // The body is not read yet: a request that announces too much is turned away now.
  const std::string length = req.get_header_value("Content-Length");
  if (!length.empty()) {
    if (length.size() > 18 || length.find_first_not_of("0123456789") != std::string::npos) {
      return Refusal{400, "bad Content-Length " + QuotedInput(length)};
    }
    if (const std::size_t bytes = std::stoull(length); bytes > kMaxUploadBytes) {
      return Refusal{413, "the upload is " + std::to_string(bytes) +
                              " bytes; the panel accepts at most 1 MiB (1048576 bytes)"};
    }
  }
  return std::nullopt;
}

}  // namespace

bool IsPanelHost(std::string_view host, int port) {
  const std::string h = Lower(host);
  const std::string suffix = ":" + std::to_string(port);
  for (const char* name : {"127.0.0.1", "localhost", "[::1]"}) {
    if (h == name + suffix || (port == 80 && h == name)) return true;
  }
  return false;
}

bool IsPanelOrigin(std::string_view origin, int port) {
  constexpr std::string_view scheme = "http://";
  if (origin.substr(0, scheme.size()) != scheme) return false;
  return IsPanelHost(origin.substr(scheme.size()), port);
}

WebServer::WebServer(Panel& panel) : panel_(panel), server_(std::make_unique<BoundedServer>()) {
  server_->set_payload_max_length(kMaxUploadBytes);
  Guards();
  Routes();
}

WebServer::~WebServer() { Stop(); }

void WebServer::Guards() {
  BoundedServer& s = *server_;
  // On every answer, refusals and errors included: no framing (another page could hide
  // the panel under its own and have the user click it), no type sniffing, no referrer,
  // and the page's own files as its only source (no inline script or style).
  s.set_default_headers({
      {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'"},
      {"X-Frame-Options", "DENY"},
      {"X-Content-Type-Options", "nosniff"},
      {"Referrer-Policy", "no-referrer"},
  });
  s.set_pre_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    const std::optional<Refusal> refusal = Refused(req, port_);
    if (!refusal) return httplib::Server::HandlerResponse::Unhandled;
    SendError(res, refusal->status, refusal->message);
    return httplib::Server::HandlerResponse::Handled;
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
}

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
                                       ": the port is in use (another keelvane serve?) or not allowed");
  }
  server_->WidenBacklog();
  port_ = bound;
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
  server_->StopAll();
}

}  // namespace kvtool
