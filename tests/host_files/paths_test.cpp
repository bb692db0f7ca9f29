// Path objects: folder and file parts, joining, suffix rules; existence tests.
#include "file_test_support.h"

namespace {

using namespace kvhost;
using kvtest::FileServicesTest;

class Paths : public FileServicesTest {
 protected:
  const KvFilenameTable* fn = FilenameTable();
};

TEST_F(Paths, FolderAndFileParts) {
  struct Case {
    const char* path;
    const char* directory;
    const char* file;
  };
  const Case cases[] = {
      {"/plug/presets/a.kvp", "/plug/presets", "a.kvp"},
      {"a.kvp", "", "a.kvp"},
      {"/a.kvp", "/", "a.kvp"},
      {"/plug/presets/", "/plug/presets", ""},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    KvFilename* out = Fn("stale");
    fn->GetDirectory(Fn(c.path), out);
    EXPECT_EQ(out->path, c.directory) << c.path;
    fn->GetFile(Fn(c.path), out);
    EXPECT_EQ(out->path, c.file) << c.path;
  }
}

TEST_F(Paths, JoiningUsesOneSeparator) {
  KvFilename* p = Fn("/plug");
  fn->Add(p, Fn("presets"));
  EXPECT_EQ(p->path, "/plug/presets");
  fn->Add(p, Fn("/sub/a.kvp"));
  EXPECT_EQ(p->path, "/plug/presets/sub/a.kvp") << "the component's folders are kept";
  KvFilename* q = Fn("/plug/");
  fn->Add(q, Fn("res"));
  EXPECT_EQ(q->path, "/plug/res");
  KvFilename* empty = Fn("");
  fn->Add(empty, Fn("presets"));
  EXPECT_EQ(empty->path, "presets") << "an empty plug-in folder leaves a relative path";
  fn->Add(empty, Fn(""));
  EXPECT_EQ(empty->path, "presets");
}

TEST_F(Paths, DialogStartPathIsBuiltFromFolderAndFilePart) {
  KvFilename* start = fn->Alloc();
  ASSERT_NE(start, nullptr);
  EXPECT_FALSE(fn->IsPopulated(start));
  fn->SetDirectory(start, Fn("/plug/presets"));
  fn->SetFile(start, Fn("*.kvp"));
  EXPECT_EQ(start->path, "/plug/presets/*.kvp");
  EXPECT_TRUE(fn->IsPopulated(start));
  fn->SetDirectory(start, Fn("/other"));
  EXPECT_EQ(start->path, "/other/*.kvp") << "the file part is kept";
  fn->SetFile(start, Fn("b.kvp"));
  EXPECT_EQ(start->path, "/other/b.kvp") << "the folder part is kept";
  fn->Free(start);
}

TEST_F(Paths, SuffixIsCheckedWithoutCaseAndReplacedWhole) {
  struct Case {
    const char* path;
    bool hasKvp;
    const char* withKvp;
  };
  const Case cases[] = {
      {"/p/a.kvp", true, "/p/a.kvp"},
      {"/p/a.KVP", true, "/p/a.kvp"},
      {"/p/a.txt", false, "/p/a.kvp"},
      {"/p/a", false, "/p/a.kvp"},
      {"/p/a.tar.gz", false, "/p/a.tar.kvp"},
      {"/p.d/a", false, "/p.d/a.kvp"},   // a dot in a folder is no suffix
      {"/p/a.kvpx", false, "/p/a.kvp"},
      {"/p/a.", false, "/p/a.kvp"},
  };
  KvString* kvp = NewString("kvp");
  for (const Case& c : cases) {
    KvFilename* p = Fn(c.path);
    EXPECT_EQ(fn->CheckSuffix(p, kvp), c.hasKvp) << c.path;
    fn->SetSuffix(p, kvp);
    EXPECT_EQ(p->path, c.withKvp) << c.path;
    EXPECT_TRUE(fn->CheckSuffix(p, kvp)) << c.path;
  }
  FreeString(kvp);
}

TEST_F(Paths, StringsCopiesAndNulls) {
  KvString* text = NewString("/x/\xC3\xA9t\xC3\xA9.kvp");
  KvFilename* p = Fn("");
  fn->SetString(p, text);
  KvString* back = fn->GetString(p);
  EXPECT_EQ(StringText(back), StringText(text));
  KvFilename* copy = Fn("old");
  fn->CopyTo(p, copy);
  EXPECT_EQ(copy->path, p->path);
  fn->SetString(p, nullptr);
  EXPECT_FALSE(fn->IsPopulated(p)) << "a null string reads as empty";
  EXPECT_FALSE(fn->IsPopulated(nullptr));
  fn->Free(nullptr);
  FreeString(back);
  FreeString(text);
}

TEST_F(Paths, AllocationIsAccountedAndCanFail) {
  const std::int64_t before = LiveAllocations(AllocKind::PathHolder);
  KvFilename* p = fn->Alloc();
  EXPECT_EQ(LiveAllocations(AllocKind::PathHolder), before + 1);
  fn->Free(p);
  EXPECT_EQ(LiveAllocations(AllocKind::PathHolder), before);
  FailNextAllocation(AllocKind::PathHolder);
  EXPECT_EQ(fn->Alloc(), nullptr);
  EXPECT_EQ(LiveAllocations(AllocKind::PathHolder), before);
}

TEST_F(Paths, ExistsTellsFilesFromFolders) {
  const KvFileSystemTable* fl = FileSystemTable();
  std::filesystem::create_directories(dir / "presets");
  kvtest::WriteText(dir / "a.kvp", "x");
  EXPECT_TRUE(fl->Exists(InDir("presets"), true));
  EXPECT_FALSE(fl->Exists(InDir("presets"), false));
  EXPECT_TRUE(fl->Exists(InDir("a.kvp"), false));
  EXPECT_FALSE(fl->Exists(InDir("a.kvp"), true));
  EXPECT_FALSE(fl->Exists(InDir("missing"), true));
  EXPECT_FALSE(fl->Exists(InDir("missing"), false));
  EXPECT_FALSE(fl->Exists(Fn(""), true)) << "an empty path names nothing";
  EXPECT_FALSE(fl->Exists(nullptr, false));
}

}  // namespace
