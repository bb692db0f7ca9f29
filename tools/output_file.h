// Output of a command: a file written completely or not at all, or stdout.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kvtool {

// Refuses (status 2) a path that names a folder ("/", "out/", an existing folder).
void CheckOutputIsFile(const std::string& path);

// A format a command writes and the file name extensions that stand for it.
struct OutputFormat {
  std::string name;                     // as --format takes it: "text", "svg", ...
  std::vector<std::string> extensions;  // without the dot, lower case: "txt", "svg", ...
};

// The format to write: --format when given (an empty format is not given), else the one
// that the extension of --output stands for, else fallback. Refuses (status 2), naming
// both, a --format that the extension does not stand for, and an extension that stands
// for none of formats.
std::string ChooseOutputFormat(const std::string& format, const std::string& output,
                               const std::vector<OutputFormat>& formats,
                               const std::string& fallback);

// Writes text to path through a temporary file beside it that is renamed into place, so
// that a reader never sees half a file. An empty path or "-" writes to stdout. Throws a
// ToolError naming the path when it names a folder (status 2, see CheckOutputIsFile) or
// the file cannot be written (status 1).
void WriteOutput(const std::string& path, std::string_view text);

}  // namespace kvtool
