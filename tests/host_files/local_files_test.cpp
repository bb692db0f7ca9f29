// The host's own files: whole files read and written as they are, and scratch folders in
// the temporary folder, private and gone with their object.
#include <gtest/gtest.h>

#include <filesystem>

#include "local_files.h"

namespace {

namespace fs = std::filesystem;
using kvhost::ScratchFolder;

TEST(LocalFiles, WholeFilesKeepEveryByteAndAMissingOneReadsAsNone) {
  const ScratchFolder folder("local-files-test");
  const std::string bytes("a\0b\r\n\xff", 6);
  ASSERT_TRUE(kvhost::WriteWholeFile(folder / "f.bin", bytes));
  EXPECT_EQ(kvhost::ReadWholeFile(folder / "f.bin"), bytes);
  ASSERT_TRUE(kvhost::WriteWholeFile(folder / "f.bin", "x"));  // truncated, not overwritten in part
  EXPECT_EQ(kvhost::ReadWholeFile(folder / "f.bin"), "x");
  EXPECT_EQ(kvhost::ReadWholeFile(folder / "missing"), std::nullopt);
  EXPECT_EQ(kvhost::ReadWholeFile(folder.Path()), std::nullopt);  // a folder
  EXPECT_FALSE(kvhost::WriteWholeFile(folder / "no" / "f.bin", "x"));
}

TEST(LocalFiles, ScratchFoldersArePrivateApartAndGoneWithTheirObject) {
  const ScratchFolder temp("local-files-test");
  // TMPDIR, where set; compared with a separator at the end, which Windows gives.
  EXPECT_EQ((temp.Path().parent_path() / "").lexically_normal(), (fs::temp_directory_path() / "").lexically_normal());
  fs::path first;
  {
    const ScratchFolder a("x", temp.Path()), b("x", temp.Path());
    first = a.Path();
    EXPECT_EQ(a.Path().parent_path(), temp.Path());
    EXPECT_EQ(a.Path().filename().string().rfind("keelvane-x-", 0), 0u) << a.Path();
    EXPECT_NE(a.Path(), b.Path());
#if !defined(_WIN32)
    EXPECT_EQ(fs::status(a.Path()).permissions(), fs::perms::owner_all);
#endif
    EXPECT_TRUE(kvhost::WriteWholeFile(a / "f", "x"));
  }
  EXPECT_FALSE(fs::exists(first));
}

}  // namespace
