// Output of a command: a file written completely or not at all, or stdout.
#pragma once

#include <string>
#include <string_view>

namespace kvtool {

// Writes text to path through a temporary file beside it that is renamed into place, so
// that a reader never sees half a file. An empty path or "-" writes to stdout. Throws a
// ToolError (status 1) naming the path when the file cannot be written.
void WriteOutput(const std::string& path, std::string_view text);

}  // namespace kvtool
