// Text that came from a request, as messages and file names may use it: cut to a
// bounded length on a whole UTF-8 character, so that no answer grows with its input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kvtool {

// The longest start of text of at most maxBytes that does not end inside a UTF-8
// character (a byte sequence that is not UTF-8 is cut by bytes).
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

// text in single quotes for a message, cut to its first 80 bytes ("..." marks a cut).
std::string QuotedInput(std::string_view text);

}  // namespace kvtool
