// The server's frame: the guards every request passes, the headers every answer
// carries, JSON errors, and binding, running and stopping.
#include "web_server.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "input_text.h"
#include "panel.h"
#include "tool_error.h"

namespace kvtool {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// Why the server will not handle the request of head, or nothing when it will. Seen
// before any of the body is read.
std::optional<HttpAnswer> Refused(const HttpRequest& head, int port) {
  const std::string host = head.Header("Host");
  if (!IsPanelHost(host, port)) {
    return JsonError(403, "refused: the panel answers only requests for 127.0.0.1:" + std::to_string(port) +
                                " (or localhost), not for host " + QuotedInput(host));
  }
  if (head.HasHeader("Origin") && !IsPanelOrigin(head.Header("Origin"), port)) {
    return JsonError(403, "refused: requests from the page of " + QuotedInput(head.Header("Origin")) +
                                " are not accepted");
  }
  if (head.Path().rfind("/api/", 0) == 0) {
    const std::string site = head.Header("Sec-Fetch-Site");
    if (site == "cross-site" || site == "same-site") {
      return JsonError(403, "refused: the request comes from another site's page");
    }
    if (!head.HasHeader(kPanelHeader)) {
      return JsonError(403, std::string("refused: requests to /api/ must carry the header ") + kPanelHeader +
                                  " (the panel's page sends it)");
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

HttpAnswer JsonAnswer(int status, const Json& body) { return HttpAnswer{status, "application/json", JsonText(body), {}}; }

HttpAnswer JsonError(int status, const std::string& message) { return JsonAnswer(status, Json{{"error", message}}); }

WebServer::WebServer(Panel& panel) : panel_(panel) {
  BoundedServer::Handlers handlers;
  handlers.check = [this](const HttpRequest& head) { return Refused(head, port_); };
  handlers.handle = [this](const HttpRequest& request) { return Answer(request); };
  handlers.refusal = JsonError;
  // On every answer, refusals and errors included: no framing (another page could hide
  // the panel under its own and have the user click it), no type sniffing, no referrer,
  // the page's own files as its only source (no inline script or style), no embedding
  // by another site (whose script tag would learn from its load event that the panel
  // runs, and on which port), and the document's version.
  handlers.everyAnswer = [this] {
    return HttpHeaders{
        {"Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'; base-uri 'none'; form-action 'none'"},
        {"X-Frame-Options", "DENY"},
        {"X-Content-Type-Options", "nosniff"},
        {"Referrer-Policy", "no-referrer"},
        {"Cross-Origin-Resource-Policy", "same-origin"},
        {kVersionHeader, std::to_string(panel_.Version())},
    };
  };
  server_ = std::make_unique<BoundedServer>(std::move(handlers));
  Routes();
}

WebServer::~WebServer() { Stop(); }

int WebServer::Bind(int port) {
  if (port < 0 || port > 65535) throw ToolError(kStatusBadInput, "bad port " + std::to_string(port));
  const int bound = server_->Bind(port);
  if (bound <= 0) {
    throw ToolError(kStatusFailed, "cannot listen on 127.0.0.1:" + std::to_string(port) +
                                       ": the port is in use (another keelvane serve?) or not allowed");
  }
  port_ = bound;
  return bound;
}

bool WebServer::Run() { return server_->Run(); }

void WebServer::Stop() { server_->Stop(); }

}  // namespace kvtool
