// The page and the panel's JSON API. Every action answers with the new state (as
// GET /api/state does), or with {"error": message}: status 400, having changed nothing,
// when the request is wrong; status 500 when the host or the module failed the operation.
//
//   GET  /                          the page (and /panel.css, /panel.js)
//   GET  /api/state?object=N        the state with object N selected
//   POST /api/add      {kind}                    an arrow, spline or null from the menu
//   POST /api/set      {object, id, value}       the user's edit of a parameter
//   POST /api/press    {object, id}              a button
//   POST /api/move     {object, parent, last}    a drag in the tree (parent null: top)
//   POST /api/undo     {object}   POST /api/redo {object}
//   POST /api/preset/load?object=N&name=F   the preset file as the body, or as the file
//                                           part of a multipart form (at most 1 MiB)
//   POST /api/preset/save   {object}        the saved preset file, as a download
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "bounded_server.h"
#include "input_text.h"
#include "panel.h"
#include "tool_error.h"
#include "web_assets.h"
#include "web_server.h"

namespace kvtool {
namespace {

void SendJson(httplib::Response& res, int status, const Json& body) {
  res.status = status;
  res.set_content(JsonText(body), "application/json");
}

// Whether text, read as JSON, opens more than limit arrays and objects inside each
// other. Counted on the raw text, before anything parses it or writes it back.
bool NestedDeeperThan(std::string_view text, int limit) {
  int depth = 0;
  bool inString = false, escaped = false;
  for (const char c : text) {
    if (inString) {
      if (escaped) escaped = false;
      else if (c == '\\') escaped = true;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

// The request's JSON object. Only JSON is accepted, nested at most 64 deep.
Json Body(const httplib::Request& req) {
  constexpr int kMaxDepth = 64;
  const std::string type = req.get_header_value("Content-Type");
  if (type.rfind("application/json", 0) != 0) Refuse("the request must be JSON (Content-Type application/json)");
  if (NestedDeeperThan(req.body, kMaxDepth)) Refuse("the request is nested deeper than 64 levels");
  Json body = Json::parse(req.body, nullptr, false);
  if (!body.is_object()) Refuse("the request body is not a JSON object");
  return body;
}

// The uploaded preset: the request body, or the file part of a multipart form (as
// `curl -F file=@x.kvp` sends it); its name from the form or the query.
std::pair<std::string, std::string> Upload(const httplib::Request& req) {
  if (!req.is_multipart_form_data()) return {req.body, req.get_param_value("name")};
  for (const auto& [field, part] : req.files) {
    if (!part.filename.empty()) return {part.content, part.filename};
  }
  Refuse("the form has no file part: send the preset file (.kvp) as a file");
}

// The download's header: the name as plain ASCII for every browser, and as UTF-8
// (percent-encoded) where it has characters beyond ASCII.
std::string Attachment(const std::string& fileName) {
  std::string ascii, encoded;
  bool plain = true;
  for (const char c : fileName) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80) plain = false;
    // Continuation bytes of a character already written as '_' add nothing.
    if (byte < 0x80 || (byte & 0xC0) == 0xC0) ascii += byte < 0x80 ? c : '_';
    char hex[4];
    std::snprintf(hex, sizeof hex, "%%%02X", byte);
    const bool plainByte = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '-' || c == '_' || c == '.';
    encoded += plainByte ? std::string(1, c) : std::string(hex);
  }
  std::string header = "attachment; filename=\"" + ascii + "\"";
  if (!plain) header += "; filename*=UTF-8''" + encoded;
  return header;
}

std::uint64_t Serial(const Json& body, const char* key) {
  const auto it = body.find(key);
  if (it == body.end() || !it->is_number_integer() || it->get<std::int64_t>() < 0) Refuse(std::string("'") + key + "' must name an object by its number");
  return it->get<std::uint64_t>();
}

std::optional<std::uint64_t> QuerySerial(const httplib::Request& req) {
  if (!req.has_param("object")) return std::nullopt;
  const std::string text = req.get_param_value("object");
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18) {
    Refuse("'object' must be an object's number, not " + QuotedInput(text));
  }
  return std::stoull(text);
}

std::int32_t Id(const Json& body) {
  const auto it = body.find("id");
  if (it == body.end() || !it->is_number_integer()) Refuse("'id' must be a parameter id");
  const auto id = it->get<std::int64_t>();
  if (id < INT32_MIN || id > INT32_MAX) Refuse("'id' must be a parameter id");
  return static_cast<std::int32_t>(id);
}

}  // namespace

void WebServer::Routes() {
  BoundedServer& s = *server_;

  // Runs an action on the panel under the lock, answering with the state of the object
  // the action selects, or with the error it raised.
  auto act = [this](httplib::Response& res, const std::function<std::optional<std::uint64_t>()>& action) {
    std::lock_guard<std::mutex> guard(lock_);
    try {
      const std::optional<std::uint64_t> selected = action();
      SendJson(res, 200, panel_.State(selected));
    } catch (const ToolError& e) {
      SendJson(res, e.status == kStatusBadInput ? 400 : 500, Json{{"error", e.what()}});
    }
  };

  s.Get(R"(/|/[a-z_]+\.(html|css|js|svg))", [](const httplib::Request& req, httplib::Response& res) {
    const WebAsset* asset = FindWebAsset(req.path);
    if (asset == nullptr) {
      SendJson(res, 404, Json{{"error", "no such page: " + req.path}});
      return;
    }
    res.set_content(reinterpret_cast<const char*>(asset->data), asset->size, asset->contentType);
    res.set_header("Cache-Control", "no-store");
  });

  s.Get("/api/state", [act](const httplib::Request& req, httplib::Response& res) {
    act(res, [&] { return QuerySerial(req); });
  });
  s.Post("/api/add", [this, act](const httplib::Request& req, httplib::Response& res) {
    act(res, [&]() -> std::optional<std::uint64_t> {
      const Json body = Body(req);
      if (!body.contains("kind") || !body["kind"].is_string()) Refuse("'kind' must be arrow, spline or null");
      return panel_.Add(body["kind"].get<std::string>());
    });
  });
  s.Post("/api/set", [this, act](const httplib::Request& req, httplib::Response& res) {
    act(res, [&]() -> std::optional<std::uint64_t> {
      const Json body = Body(req);
      if (!body.contains("value")) Refuse("'value' is missing");
      return panel_.Set(Serial(body, "object"), Id(body), body["value"]);
    });
  });
  s.Post("/api/press", [this, act](const httplib::Request& req, httplib::Response& res) {
    act(res, [&]() -> std::optional<std::uint64_t> {
      const Json body = Body(req);
      return panel_.Press(Serial(body, "object"), Id(body));
    });
  });
  s.Post("/api/move", [this, act](const httplib::Request& req, httplib::Response& res) {
    act(res, [&]() -> std::optional<std::uint64_t> {
      const Json body = Body(req);
      std::optional<std::uint64_t> parent;
      if (body.contains("parent") && !body["parent"].is_null()) parent = Serial(body, "parent");
      const bool last = body.contains("last") && body["last"].is_boolean() && body["last"].get<bool>();
      return panel_.Move(Serial(body, "object"), parent, last);
    });
  });
  for (const bool undo : {true, false}) {
    s.Post(undo ? "/api/undo" : "/api/redo", [this, act, undo](const httplib::Request& req, httplib::Response& res) {
      act(res, [&]() -> std::optional<std::uint64_t> {
        const Json body = Body(req);
        undo ? panel_.Undo() : panel_.Redo();
        if (body.contains("object") && body["object"].is_number_unsigned()) return body["object"].get<std::uint64_t>();
        return std::nullopt;
      });
    });
  }
  s.Post("/api/preset/load", [this, act](const httplib::Request& req, httplib::Response& res) {
    act(res, [&]() -> std::optional<std::uint64_t> {
      const auto object = QuerySerial(req);
      if (!object) Refuse("'object' must name the arrow to load the preset into");
      const auto [bytes, name] = Upload(req);
      if (bytes.empty()) Refuse("the upload is empty: choose a preset file (.kvp)");
      return panel_.LoadPreset(*object, bytes, name);
    });
  });
  s.Post("/api/preset/save", [this](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> guard(lock_);
    try {
      const SavedPreset saved = panel_.SavePreset(Serial(Body(req), "object"));
      res.set_content(saved.bytes, "application/octet-stream");
      res.set_header("Content-Disposition", Attachment(saved.fileName));
    } catch (const ToolError& e) {
      SendJson(res, e.status == kStatusBadInput ? 400 : 500, Json{{"error", e.what()}});
    }
  });
}

}  // namespace kvtool
