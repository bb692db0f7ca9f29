#include "local_files.h"

#include <cerrno>
#include <fstream>
#include <random>
#include <system_error>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace kvhost {
namespace fs = std::filesystem;

std::optional<std::string> ReadWholeFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  // read() turns a failed read (a folder opens, then fails to read) into badbit, where
  // reading through stream iterators would throw.
  std::string bytes;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return bytes;
}

bool WriteWholeFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

namespace {

// Makes folder for this user alone; false when it exists already.
bool MakePrivateFolder(const fs::path& folder) {
#if defined(_WIN32)
  std::error_code ec;
  const bool made = fs::create_directory(folder, ec);
  if (ec) throw fs::filesystem_error("cannot make a scratch folder", folder, ec);
  return made;
#else
  if (::mkdir(folder.c_str(), 0700) == 0) return true;
  if (errno == EEXIST) return false;
  throw fs::filesystem_error("cannot make a scratch folder", folder,
                             std::error_code(errno, std::generic_category()));
#endif
}

}  // namespace

ScratchFolder::ScratchFolder(std::string_view what, const fs::path& parent) {
  const fs::path temp = parent.empty() ? fs::temp_directory_path() : parent;
  std::random_device random;
  std::uniform_int_distribution<std::uint64_t> digits;
  for (;;) {
    const fs::path folder = temp / ("keelvane-" + std::string(what) + "-" + std::to_string(digits(random)));
    if (MakePrivateFolder(folder)) {
      path_ = folder;
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() { Remove(); }

void ScratchFolder::Remove() const {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

}  // namespace kvhost
