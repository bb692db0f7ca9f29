// The page and the panel's JSON API. Every action answers with the new state (as
// GET /api/state does), or with {"error": message}: status 400, having changed nothing,
// when the request is wrong (with "parameter": the id of the field whose value was
// refused, where it is one); status 500 when the host or the module failed the operation.
//
//   GET  /                          the page (and /panel.css, /panel.js)
//   GET  /api/state?object=N        the state with object N selected
//   GET  /api/version               {version}: the document's version, for a tab to see
//                                   that another one changed it
//   POST /api/add      {kind}                    an arrow, spline or null from the menu
//   POST /api/set      {object, id, value}       the user's edit of a parameter
//   POST /api/press    {object, id}              a button
//   POST /api/move     {object, parent, last}    a drag in the tree (parent null: top)
//   POST /api/undo     {object, version}   POST /api/redo {object, version}
//                      (refused with 409 when version, if given, is not the document's)
//   POST /api/preset/load?object=N&name=F   the preset file as the body, or as the file
//                                           part of a multipart form (at most 1 MiB)
//   POST /api/preset/save   {object}        the saved preset file, as a download
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "input_text.h"
#include "panel.h"
#include "tool_error.h"
#include "web_assets.h"
#include "web_server.h"

namespace kvtool {
namespace {


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
Json Body(const HttpRequest& req) {
  constexpr int kMaxDepth = 64;
  if (req.Header("Content-Type").rfind("application/json", 0) != 0) {
    Refuse("the request must be JSON (Content-Type application/json)");
  }
  if (NestedDeeperThan(req.body, kMaxDepth)) Refuse("the request is nested deeper than 64 levels");
  Json body = Json::parse(req.body, nullptr, false);
  if (!body.is_object()) Refuse("the request body is not a JSON object");
  return body;
}

// The uploaded preset: the request body, or the file part of a multipart form (as
// `curl -F file=@x.kvp` sends it); its name from the form or the query.
FormFile Upload(const HttpRequest& req) {
  if (!IsMultipartForm(req)) return FormFile{req.Query("name").value_or(""), req.body};
  if (std::optional<FormFile> file = FirstFormFile(req)) return std::move(*file);
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

std::optional<std::uint64_t> QuerySerial(const HttpRequest& req) {
  const std::optional<std::string> text = req.Query("object");
  if (!text) return std::nullopt;
  if (text->empty() || text->find_first_not_of("0123456789") != std::string::npos || text->size() > 18) {
    Refuse("'object' must be an object's number, not " + QuotedInput(*text));
  }
  return std::stoull(*text);
}

std::int32_t Id(const Json& body) {
  const auto it = body.find("id");
  if (it == body.end() || !it->is_number_integer()) Refuse("'id' must be a parameter id");
  const auto id = it->get<std::int64_t>();
  if (id < INT32_MIN || id > INT32_MAX) Refuse("'id' must be a parameter id");
  return static_cast<std::int32_t>(id);
}

// An undo or redo from a tab that has not seen the document's latest change would take
// back what it does not show: refused, and the tab then fetches the state.
struct StaleView : std::runtime_error {
  using std::runtime_error::runtime_error;
};

void CheckVersion(const Json& body, std::uint64_t version) {
  const auto it = body.find("version");
  if (it == body.end() || !it->is_number_unsigned() || it->get<std::uint64_t>() == version) return;
  throw StaleView("the document was changed in another tab or window: this one shows it now; "
                  "undo or redo again if you still want to");
}

}  // namespace

WebServer::RouteHandler WebServer::Acting(std::function<std::optional<std::uint64_t>(const HttpRequest&)> action) {
  return [this, action = std::move(action)](const HttpRequest& req) {
    try {
      const std::optional<std::uint64_t> selected = action(req);
      return JsonAnswer(200, panel_.State(selected));
    } catch (const FieldRefusal& e) {
      // The page marks the field the refused value was typed into.
      return JsonAnswer(400, Json{{"error", e.what()}, {"parameter", e.parameter}});
    } catch (const ToolError& e) {
      return JsonError(e.status == kStatusBadInput ? 400 : 500, e.what());
    } catch (const StaleView& e) {
      return JsonError(409, e.what());
    } catch (const std::exception&) {
      return JsonError(500, "the panel could not do that (an internal error); the document is as the state shows");
    }
  };
}

HttpAnswer WebServer::Answer(const HttpRequest& req) {
  const std::string_view path = req.Path();
  if (req.method == "GET" && path.rfind("/api/", 0) != 0) {
    const WebAsset* asset = FindWebAsset(path);
    if (asset == nullptr) return JsonError(404, "no such page: " + QuotedInput(path));
    return HttpAnswer{200, asset->contentType,
                      std::string(reinterpret_cast<const char*>(asset->data), asset->size),
                      {{"Cache-Control", "no-store"}}};
  }
  for (const Route& route : routes_) {
    if (route.method != req.method || route.path != path) continue;
    std::lock_guard<std::mutex> guard(lock_);
    return route.handle(req);
  }
  return JsonError(404, "no such page or action");
}

void WebServer::Routes() {
  routes_.push_back({"GET", "/api/state", Acting([](const HttpRequest& req) { return QuerySerial(req); })});
  routes_.push_back({"GET", "/api/version", [this](const HttpRequest&) {
                       return JsonAnswer(200, Json{{"version", panel_.Version()}});
                     }});
  routes_.push_back({"POST", "/api/add", Acting([this](const HttpRequest& req) -> std::optional<std::uint64_t> {
                       const Json body = Body(req);
                       if (!body.contains("kind") || !body["kind"].is_string()) Refuse("'kind' must be arrow, spline or null");
                       return panel_.Add(body["kind"].get<std::string>());
                     })});
  routes_.push_back({"POST", "/api/set", Acting([this](const HttpRequest& req) -> std::optional<std::uint64_t> {
                       const Json body = Body(req);
                       if (!body.contains("value")) Refuse("'value' is missing");
                       return panel_.Set(Serial(body, "object"), Id(body), body["value"]);
                     })});
  routes_.push_back({"POST", "/api/press", Acting([this](const HttpRequest& req) -> std::optional<std::uint64_t> {
                       const Json body = Body(req);
                       return panel_.Press(Serial(body, "object"), Id(body));
                     })});
  routes_.push_back({"POST", "/api/move", Acting([this](const HttpRequest& req) -> std::optional<std::uint64_t> {
                       const Json body = Body(req);
                       std::optional<std::uint64_t> parent;
                       if (body.contains("parent") && !body["parent"].is_null()) parent = Serial(body, "parent");
                       const bool last = body.contains("last") && body["last"].is_boolean() && body["last"].get<bool>();
                       return panel_.Move(Serial(body, "object"), parent, last);
                     })});
  for (const bool undo : {true, false}) {
    routes_.push_back({"POST", undo ? "/api/undo" : "/api/redo",
                       Acting([this, undo](const HttpRequest& req) -> std::optional<std::uint64_t> {
                         const Json body = Body(req);
                         CheckVersion(body, panel_.Version());
                         undo ? panel_.Undo() : panel_.Redo();
                         if (body.contains("object") && body["object"].is_number_unsigned()) {
                           return body["object"].get<std::uint64_t>();
                         }
                         return std::nullopt;
                       })});
  }
  routes_.push_back({"POST", "/api/preset/load", Acting([this](const HttpRequest& req) -> std::optional<std::uint64_t> {
                       const auto object = QuerySerial(req);
                       if (!object) Refuse("'object' must name the arrow to load the preset into");
                       const FormFile upload = Upload(req);
                       if (upload.content.empty()) Refuse("the upload is empty: choose a preset file (.kvp)");
                       return panel_.LoadPreset(*object, upload.content, upload.fileName);
                     })});
  routes_.push_back({"POST", "/api/preset/save", [this](const HttpRequest& req) {
                       try {
                         const SavedPreset saved = panel_.SavePreset(Serial(Body(req), "object"));
                         return HttpAnswer{200, "application/octet-stream", saved.bytes,
                                           {{"Content-Disposition", Attachment(saved.fileName)}}};
                       } catch (const ToolError& e) {
                         return JsonError(e.status == kStatusBadInput ? 400 : 500, e.what());
                       } catch (const std::exception&) {
                         return JsonError(500, "the panel could not save the preset (an internal error)");
                       }
                     }});
}

}  // namespace kvtool
