// Shared by the file service tests: a fresh host per test and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bitmaps.h"
#include "dialogs.h"
#include "file_bytes.h"
#include "file_paths.h"
#include "file_stream.h"
#include "host.h"
#include "host_strings.h"
#include "local_files.h"
#include "resources.h"

namespace kvtest {

inline std::string ReadText(const std::filesystem::path& path) { return kvhost::ReadWholeFile(path).value_or(""); }
inline void WriteText(const std::filesystem::path& path, const std::string& text) { kvhost::WriteWholeFile(path, text); }

// A fresh host and an empty scratch folder per test; both cleaned up afterwards.
class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kvhost::ResetHost();
    kvhost::ResetFileServices();
  }
  void TearDown() override {
    for (KvFilename* fn : names) kvhost::FilenameTable()->Free(fn);
    kvhost::ResetFileServices();
    kvhost::ResetHost();
  }

  // A path object for path, freed at the end of the test.
  KvFilename* Fn(const std::string& path) {
    KvFilename* fn = kvhost::FilenameTable()->Alloc();
    fn->path = path;
    names.push_back(fn);
    return fn;
  }
  KvFilename* InDir(const std::string& name) { return Fn((dir / name).string()); }

  const kvhost::ScratchFolder dir{"host-files"};
  std::vector<KvFilename*> names;
};

}  // namespace kvtest
