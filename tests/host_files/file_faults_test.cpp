// Typed file streams: failed opens, reads and writes, how they are reported, and the
// test powers that cause them.
#include <functional>

#include "file_test_support.h"

namespace {

using namespace kvhost;
using kvtest::FileServicesTest;


class FileFaults : public FileServicesTest {
 protected:
  const KvFileTable* bf = FileTable();

  void SetUp() override {
    FileServicesTest::SetUp();
    kvtest::WriteBytes(dir / "data.bin", {0, 0, 0, 1, 0, 0, 0, 2, 1});
    file = bf->Alloc();
    ASSERT_NE(file, nullptr);
  }
  void TearDown() override {
    bf->Free(file);
    FileServicesTest::TearDown();
  }
  KvFile* file = nullptr;
};

TEST_F(FileFaults, FailedOpenIsReportedUnlessIgnored) {
  EXPECT_FALSE(bf->Open(file, InDir("missing.kvp"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_TRUE(HostErrors().empty()) << "IGNOREOPEN keeps a failed open silent";
  EXPECT_EQ(bf->GetError(file), KV_FILEERROR_OPEN);
  EXPECT_EQ(bf->GetLength(file), -1);
  EXPECT_EQ(bf->GetPosition(file), -1);

  EXPECT_FALSE(bf->Open(file, InDir("missing.kvp"), KV_FILEOPEN_READ, KV_FILEDIALOG_NONE, KV_BYTEORDER_MOTOROLA, 0, 0));
  ASSERT_EQ(HostErrors().size(), 1u);
  EXPECT_NE(HostErrors()[0].find("missing.kvp"), std::string::npos) << HostErrors()[0];

  EXPECT_FALSE(bf->Open(file, InDir(""), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0)) << "a folder";
  EXPECT_FALSE(bf->Open(file, InDir("no/such/folder/x.kvp"), KV_FILEOPEN_WRITE, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_FALSE(bf->Open(file, InDir("data.bin"), 3, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0)) << "no mode 3";
  EXPECT_FALSE(bf->Open(file, nullptr, KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_EQ(HostErrors().size(), 1u);
}

TEST_F(FileFaults, WriteCreatesAndTruncates) {
  ASSERT_TRUE(bf->Open(file, InDir("data.bin"), KV_FILEOPEN_WRITE, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_EQ(bf->GetLength(file), 0);
  EXPECT_TRUE(bf->WriteBool(file, true));
  EXPECT_EQ(bf->GetLength(file), 1);
  EXPECT_TRUE(bf->Close(file));
  EXPECT_EQ(kvtest::ReadBytes(dir / "data.bin").size(), 1u);
}

TEST_F(FileFaults, FirstFailureSetsTheErrorAndIsReportedOnce) {
  ASSERT_TRUE(bf->Open(file, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  std::int32_t v = 0;
  EXPECT_TRUE(bf->ReadInt32(file, &v));
  EXPECT_TRUE(bf->ReadInt32(file, &v));
  EXPECT_EQ(v, 2);
  EXPECT_FALSE(bf->ReadInt32(file, &v)) << "one byte left";
  EXPECT_EQ(bf->GetError(file), KV_FILEERROR_FILEEND);
  bool b = false;
  EXPECT_FALSE(bf->ReadBool(file, &b)) << "a file in error reads nothing more";
  ASSERT_EQ(HostErrors().size(), 1u);
  EXPECT_NE(HostErrors()[0].find("data.bin"), std::string::npos) << HostErrors()[0];

  bf->SetError(file, KV_FILEERROR_NONE);
  EXPECT_TRUE(bf->ReadBool(file, &b)) << "clearing the error lets reads go on";
  EXPECT_TRUE(b);
}

TEST_F(FileFaults, WrongDirectionIsAFailedOperation) {
  ASSERT_TRUE(bf->Open(file, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_FALSE(bf->WriteInt32(file, 1));
  EXPECT_EQ(bf->GetError(file), KV_FILEERROR_INVALID);
  KvFile* closed = bf->Alloc();
  std::int32_t v = 0;
  EXPECT_FALSE(bf->ReadInt32(closed, &v)) << "never opened";
  bf->Free(closed);
  EXPECT_EQ(HostErrors().size(), 2u);
}

TEST_F(FileFaults, InjectedOpenFailure) {
  FailNextOpen();
  EXPECT_FALSE(bf->Open(file, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_TRUE(HostErrors().empty());
  EXPECT_TRUE(bf->Open(file, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0)) << "only the next one";
}

TEST_F(FileFaults, InjectedReadFailureCountsTypedReads) {
  ASSERT_TRUE(bf->Open(file, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  FailNextRead(2);
  std::int32_t v = 0;
  EXPECT_TRUE(bf->ReadInt32(file, &v));
  EXPECT_FALSE(bf->ReadInt32(file, &v));
  EXPECT_EQ(bf->GetError(file), KV_FILEERROR_READ);
  EXPECT_EQ(HostErrors().size(), 1u);
  bf->SetError(file, KV_FILEERROR_NONE);
  EXPECT_TRUE(bf->ReadInt32(file, &v)) << "the power fires once";
}

TEST_F(FileFaults, InjectedWriteFailureLeavesTheFileShort) {
  ASSERT_TRUE(bf->Open(file, InDir("out.bin"), KV_FILEOPEN_WRITE, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  FailNextWrite(2);
  KvString* s = NewString("x");
  EXPECT_TRUE(bf->WriteInt32(file, 7));
  EXPECT_FALSE(bf->WriteString(file, s));
  EXPECT_FALSE(bf->WriteBool(file, true)) << "a file in error writes nothing more";
  EXPECT_EQ(bf->GetError(file), KV_FILEERROR_WRITE);
  EXPECT_TRUE(bf->Close(file));
  FreeString(s);
  EXPECT_EQ(kvtest::ReadBytes(dir / "out.bin").size(), 4u);
  EXPECT_EQ(HostErrors().size(), 1u);
}

TEST_F(FileFaults, FileObjectsAreAccountedAndCanFail) {
  const std::int64_t before = LiveAllocations(AllocKind::File);
  KvFile* f = bf->Alloc();
  ASSERT_TRUE(bf->Open(f, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_EQ(LiveAllocations(AllocKind::File), before + 1);
  bf->Free(f);  // closes it too
  EXPECT_EQ(LiveAllocations(AllocKind::File), before);
  FailNextAllocation(AllocKind::File);
  EXPECT_EQ(bf->Alloc(), nullptr);
  bf->Free(nullptr);
}

// A call handed no file object crashes a real host: reported as a crash naming the call,
// answered as failed. Freeing no file object is no call at all.
TEST_F(FileFaults, NoFileObjectIsACrash) {
  struct Row {
    std::string call;
    std::function<bool()> run;  // false: answered as failed
  };
  bool b = false;
  std::int32_t i = 0;
  float x = 0.0f;
  KvString* s = nullptr;
  const std::vector<Row> rows{
      {"Open", [&] { return bf->Open(nullptr, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0); }},
      {"Close", [&] { return bf->Close(nullptr); }},
      {"GetError", [&] { return bf->GetError(nullptr) == KV_FILEERROR_NONE; }},
      {"SetError", [&] { return bf->SetError(nullptr, KV_FILEERROR_NONE), false; }},
      {"GetLength", [&] { return bf->GetLength(nullptr) >= 0; }},
      {"GetPosition", [&] { return bf->GetPosition(nullptr) >= 0; }},
      {"ReadInt32", [&] { return bf->ReadInt32(nullptr, &i); }},
      {"ReadFloat32", [&] { return bf->ReadFloat32(nullptr, &x); }},
      {"ReadBool", [&] { return bf->ReadBool(nullptr, &b); }},
      {"ReadString", [&] { return bf->ReadString(nullptr, &s); }},
      {"WriteInt32", [&] { return bf->WriteInt32(nullptr, 1); }},
      {"WriteFloat32", [&] { return bf->WriteFloat32(nullptr, 1.0f); }},
      {"WriteBool", [&] { return bf->WriteBool(nullptr, true); }},
      {"WriteString", [&] { return bf->WriteString(nullptr, nullptr); }},
  };
  for (const Row& row : rows) {
    const std::size_t crashes = HostCrashes().size();
    EXPECT_FALSE(row.run()) << row.call;
    ASSERT_EQ(HostCrashes().size(), crashes + 1) << row.call;
    EXPECT_EQ(HostCrashes().back().find("Bf." + row.call + " with no file object"), 0u) << HostCrashes().back();
    EXPECT_EQ(HostErrors().back(), HostCrashes().back());
  }
  bf->Free(nullptr);
  EXPECT_EQ(HostCrashes().size(), rows.size());
}

// The counts a sweep of the FailNext powers is sized by: each open, typed read and typed
// write that reached the file, failed ones included, the nth of them the one FailNext(n) hits.
TEST_F(FileFaults, OperationsAreCounted) {
  ASSERT_TRUE(bf->Open(file, InDir("data.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  std::int32_t v = 0;
  bool b = false;
  FailNextRead(3);
  EXPECT_TRUE(bf->ReadInt32(file, &v));
  EXPECT_TRUE(bf->ReadInt32(file, &v));
  EXPECT_FALSE(bf->ReadBool(file, &b));
  EXPECT_FALSE(bf->ReadBool(file, &b)) << "a file in error reads no more, and is not counted";
  KvFile* out = bf->Alloc();
  ASSERT_TRUE(bf->Open(out, InDir("out.bin"), KV_FILEOPEN_WRITE, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  EXPECT_TRUE(bf->WriteFloat32(out, 1.0f));
  bf->Free(out);
  EXPECT_FALSE(bf->Open(file, InDir("missing.kvp"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  const FileOperations made = FileOperationCounts();
  EXPECT_EQ(made.opens, 3);
  EXPECT_EQ(made.reads, 3);
  EXPECT_EQ(made.writes, 1);
  ResetFileServices();
  EXPECT_EQ(FileOperationCounts().opens, 0);
}

TEST_F(FileFaults, StringAllocationFailureFailsTheRead) {
  kvtest::WriteBytes(dir / "s.bin", {0, 0, 0, 2, 'a', 0});
  ASSERT_TRUE(bf->Open(file, InDir("s.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
  FailNextAllocation(AllocKind::String);
  KvString* s = nullptr;
  EXPECT_FALSE(bf->ReadString(file, &s));
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(bf->GetError(file), KV_FILEERROR_OUTOFMEMORY);
}

}  // namespace
