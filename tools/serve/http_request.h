// A request as the panel's server hands it over, and the answer it sends back: plain
// values, with the few readings of a request the routes need.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvtool {

using HttpHeaders = std::vector<std::pair<std::string, std::string>>;

struct HttpRequest {
  std::string method;
  std::string target;  // as sent: path and query
  HttpHeaders headers;
  std::string body;

  // The target up to its query.
  std::string_view Path() const;
  // The value of header name (in any case); empty when absent.
  std::string Header(std::string_view name) const;
  bool HasHeader(std::string_view name) const;
  // The query parameter name, percent-decoded ('+' a blank); nullopt when absent.
  std::optional<std::string> Query(std::string_view name) const;
};

struct HttpAnswer {
  int status = 200;
  std::string contentType;
  std::string body;
  HttpHeaders headers;
};

// A file sent as one part of a multipart form.
struct FormFile {
  std::string fileName;
  std::string content;
};

// Whether the request's body is a multipart form (as `curl -F` and HTML forms send it).
bool IsMultipartForm(const HttpRequest& request);
// The form's first part that names a file; nullopt when the form has none or is cut.
std::optional<FormFile> FirstFormFile(const HttpRequest& request);

}  // namespace kvtool
