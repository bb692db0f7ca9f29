// Files of the machine the host runs on, read and written directly rather than through a
// module's file table: whole files, and scratch folders for what a run writes on the side.
// The host's resources, the tool, the suites and the benchmarks all use these.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kvhost {

// The bytes of the file at path; nullopt when it cannot be opened or read to its end.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);
// Writes bytes as the whole file at path (made or truncated); false when it cannot.
bool WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

// A new empty folder in the temporary folder (TMPDIR, else the system's) or in parent,
// named "keelvane-<what>-<random>" apart from every other run's and open to this user
// alone (0700). It goes, with everything in it, when the object goes.
class ScratchFolder {
 public:
  // Throws std::filesystem::filesystem_error when no folder can be made.
  explicit ScratchFolder(std::string_view what, const std::filesystem::path& parent = {});
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }
  // Removes the folder now (a process that must end at once calls it); the destructor
  // then has nothing left to do.
  void Remove() const;

 private:
  std::filesystem::path path_;
};

}  // namespace kvhost
