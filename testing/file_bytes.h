// Files as byte vectors, for the suites that build binary files byte by byte and read
// back what was written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "local_files.h"

namespace kvtest {

using Bytes = std::vector<std::uint8_t>;

// The file's bytes; none when it cannot be read.
inline Bytes ReadBytes(const std::filesystem::path& path) {
  const std::string bytes = kvhost::ReadWholeFile(path).value_or("");
  return Bytes(bytes.begin(), bytes.end());
}

inline void WriteBytes(const std::filesystem::path& path, const Bytes& bytes) {
  kvhost::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace kvtest
