#include "http_request.h"

#include <algorithm>
#include <cctype>

namespace kvtool {
namespace {

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool StartsWithText(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && SameText(text.substr(0, start.size()), start);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A query's name or value: "%XX" as its byte, '+' as a blank; a '%' without two hex
// digits stays as it is.
std::string Decoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const int high = text[i] == '%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
    if (low >= 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i] == '+' ? ' ' : text[i];
    }
  }
  return out;
}

// The value of parameter name (`name=value` or `name="value"`) in a header value such as
// a Content-Type; empty when absent.
std::string HeaderParameter(std::string_view header, std::string_view name) {
  for (std::size_t at = header.find(';'); at != std::string_view::npos; at = header.find(';', at + 1)) {
    std::string_view rest = header.substr(at + 1);
    rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
    if (!StartsWithText(rest, name) || rest.substr(name.size(), 1) != "=") continue;
    rest.remove_prefix(name.size() + 1);
    if (rest.substr(0, 1) == "\"") {
      rest.remove_prefix(1);
      return std::string(rest.substr(0, rest.find('"')));
    }
    return std::string(rest.substr(0, rest.find(';')));
  }
  return "";
}

}  // namespace

std::string_view HttpRequest::Path() const {
  const std::string_view t = target;
  return t.substr(0, t.find('?'));
}

std::string HttpRequest::Header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (SameText(key, name)) return value;
  }
  return "";
}

bool HttpRequest::HasHeader(std::string_view name) const {
  return std::any_of(headers.begin(), headers.end(), [&](const auto& h) { return SameText(h.first, name); });
}

std::optional<std::string> HttpRequest::Query(std::string_view name) const {
  const std::size_t mark = target.find('?');
  if (mark == std::string::npos) return std::nullopt;
  std::string_view query = std::string_view(target).substr(mark + 1);
  while (!query.empty()) {
    const std::string_view pair = query.substr(0, query.find('&'));
    query.remove_prefix(std::min(pair.size() + 1, query.size()));
    const std::size_t equals = pair.find('=');
    if (Decoded(pair.substr(0, equals)) != name) continue;
    return equals == std::string_view::npos ? std::string() : Decoded(pair.substr(equals + 1));
  }
  return std::nullopt;
}

bool IsMultipartForm(const HttpRequest& request) {
  return StartsWithText(request.Header("Content-Type"), "multipart/form-data");
}

std::optional<FormFile> FirstFormFile(const HttpRequest& request) {
  const std::string boundary = HeaderParameter(request.Header("Content-Type"), "boundary");
  if (boundary.empty()) return std::nullopt;
  const std::string_view body = request.body;
  const std::string delimiter = "--" + boundary;
  std::size_t at = body.find(delimiter);
  while (at != std::string_view::npos) {
    at += delimiter.size();
    if (body.substr(at, 2) != "\r\n") return std::nullopt;  // "--": the form's end
    const std::size_t headsEnd = body.find("\r\n\r\n", at);
    if (headsEnd == std::string_view::npos) return std::nullopt;
    const std::string_view heads = body.substr(at, headsEnd - at);
    const std::size_t contentStart = headsEnd + 4;
    const std::size_t next = body.find("\r\n" + delimiter, contentStart);
    if (next == std::string_view::npos) return std::nullopt;
    std::string fileName;
    for (std::size_t line = 0; line < heads.size();) {
      const std::size_t end = std::min(heads.find("\r\n", line), heads.size());
      const std::string_view field = heads.substr(line, end - line);
      if (StartsWithText(field, "content-disposition:")) fileName = HeaderParameter(field, "filename");
      line = end + 2;
    }
    if (!fileName.empty()) return FormFile{fileName, std::string(body.substr(contentStart, next - contentStart))};
    at = next + 2;
  }
  return std::nullopt;
}

}  // namespace kvtool
