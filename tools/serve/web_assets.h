// The page's files (tools/serve/web), built into the binary by embed_web.cmake.
#pragma once

#include <cstddef>
#include <string_view>

namespace kvtool {

struct WebAsset {
  const char* path;         // as requested: "/panel.js"; the page itself is "/index.html"
  const char* contentType;  // with charset for text
  const unsigned char* data;
  std::size_t size;
};

// The file for a request path ("/" is the page); null when there is none.
const WebAsset* FindWebAsset(std::string_view path);

}  // namespace kvtool
