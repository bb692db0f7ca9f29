// Shared by the file service tests: a fresh host per test and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "bitmaps.h"
#include "dialogs.h"
#include "file_paths.h"
#include "file_stream.h"
#include "host.h"
#include "host_strings.h"
#include "resources.h"

namespace kvtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh host and an empty scratch folder per test; both cleaned up afterwards.
class FileServicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    kvhost::ResetHost();
    kvhost::ResetFileServices();
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir = std::filesystem::temp_directory_path() /
          ("kv_host_files_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
           std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    for (KvFilename* fn : names) kvhost::FilenameTable()->Free(fn);
    kvhost::ResetFileServices();
    kvhost::ResetHost();
    std::filesystem::remove_all(dir);
  }

  // A path object for path, freed at the end of the test.
  KvFilename* Fn(const std::string& path) {
    KvFilename* fn = kvhost::FilenameTable()->Alloc();
    fn->path = path;
    names.push_back(fn);
    return fn;
  }
  KvFilename* InDir(const std::string& name) { return Fn((dir / name).string()); }

  std::filesystem::path dir;
  std::vector<KvFilename*> names;
};

}  // namespace kvtest
