#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <algorithm>
#include <cctype>

#include <unistd.h>

#include "tool_error.h"

namespace kvtool {

namespace fs = std::filesystem;

namespace {

bool ToStdout(const std::string& path) { return path.empty() || path == "-"; }

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string ExtensionList(const std::vector<OutputFormat>& formats) {
  std::string out;
  for (const OutputFormat& f : formats) {
    for (const std::string& e : f.extensions) out += (out.empty() ? "." : ", .") + e;
  }
  return out;
}

}  // namespace

void CheckOutputIsFile(const std::string& path) {
  if (ToStdout(path)) return;
  std::error_code ec;
  if (fs::path(path).filename().empty() || fs::is_directory(path, ec)) {
    Refuse("'" + path + "' names a folder, not a file");
  }
}

std::string ChooseOutputFormat(const std::string& format, const std::string& output,
                               const std::vector<OutputFormat>& formats,
                               const std::string& fallback) {
  const std::string extension = ToStdout(output) ? "" : Lower(fs::path(output).extension().string());
  if (extension.empty() || extension == ".") return format.empty() ? fallback : format;
  const std::string bare = extension.substr(1);
  const auto named = std::find_if(formats.begin(), formats.end(), [&](const OutputFormat& f) {
    return std::find(f.extensions.begin(), f.extensions.end(), bare) != f.extensions.end();
  });
  if (named == formats.end()) {
    Refuse("--output '" + output + "': cannot write a " + extension + " file" +
           (format.empty() ? "" : " (--format " + format + ")") + "; the extensions written are " +
           ExtensionList(formats));
  }
  if (!format.empty() && format != named->name) {
    Refuse("--format " + format + " does not match --output '" + output + "', whose " + extension +
           " stands for " + named->name);
  }
  return named->name;
}

void WriteOutput(const std::string& path, std::string_view text) {
  if (ToStdout(path)) {
    std::cout << text << std::flush;
    return;
  }
  CheckOutputIsFile(path);
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
