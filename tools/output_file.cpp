#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include <unistd.h>

#include "tool_error.h"

namespace kvtool {

void WriteOutput(const std::string& path, std::string_view text) {
  if (path.empty() || path == "-") {
    std::cout << text << std::flush;
    return;
  }
  namespace fs = std::filesystem;
  const fs::path target(path);
  fs::path temp = target;
  temp += ".tmp-" + std::to_string(::getpid());

  std::FILE* f = std::fopen(temp.string().c_str(), "wb");
  if (f == nullptr) {
    throw ToolError(kStatusFailed, "cannot write '" + path + "': " + std::strerror(errno));
  }
  const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
  const int writeErrno = errno;
  const bool closed = std::fclose(f) == 0;
  std::error_code ec;
  if (!written || !closed) {
    fs::remove(temp, ec);
    throw ToolError(kStatusFailed,
                    "cannot write '" + path + "': " + std::strerror(written ? errno : writeErrno));
  }
  fs::rename(temp, target, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    throw ToolError(kStatusFailed, "cannot write '" + path + "': " + ec.message());
  }
}

}  // namespace kvtool
