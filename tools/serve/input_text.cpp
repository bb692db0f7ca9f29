#include "input_text.h"

namespace kvtool {

std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t cut = maxBytes;
  // Back off continuation bytes (10xxxxxx) to the start of the character the cut splits.
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80 && maxBytes - cut < 3) --cut;
  return text.substr(0, cut);
}

std::string QuotedInput(std::string_view text) {
  constexpr std::size_t kQuoted = 80;
  const std::string_view shown = Utf8Prefix(text, kQuoted);
  return "'" + std::string(shown) + (shown.size() < text.size() ? "...'" : "'");
}

}  // namespace kvtool
