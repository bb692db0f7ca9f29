// Typed file streams: the bytes each write produces and what each read accepts.
#include <cstdlib>
#include <fstream>

#include "file_test_support.h"

namespace {

using namespace kvhost;
using kvtest::Bytes;
using kvtest::FileServicesTest;


#if !defined(__SANITIZE_ADDRESS__) && !defined(_WIN32)
#include <sys/resource.h>

// The child's exit statuses.
constexpr int kFailedAsShortFile = 0;
constexpr int kReadOtherwise = 1;
constexpr int kNoLimit = 2;

// Run in a child: limits the address space to what the process has now plus 256 MiB, far
// less than the claimed length, then reads the string.
int ReadHugeLengthUnderLimit(const KvFileTable* bf, const std::string& path) {
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  rlim_t limit = static_cast<rlim_t>(pages) * 4096 + (rlim_t{256} << 20);
  rlimit rl{limit, limit};
  if (setrlimit(RLIMIT_AS, &rl) != 0) return kNoLimit;
  KvFile* file = bf->Alloc();
  KvFilename* fn = FilenameTable()->Alloc();
  fn->path = path;
  KvString* s = nullptr;
  bool opened = bf->Open(file, fn, KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0);
  bool read = bf->ReadString(file, &s);
  return opened && !read && bf->GetError(file) == KV_FILEERROR_FILEEND ? kFailedAsShortFile : kReadOtherwise;
}
#endif

class FileEncoding : public FileServicesTest {
 protected:
  const KvFileTable* bf = FileTable();

  // Writes with fill into a fresh big-endian (or little-endian) file; its bytes.
  template <typename Fill>
  Bytes Written(Fill fill, std::int32_t order = KV_BYTEORDER_MOTOROLA) {
    KvFile* f = bf->Alloc();
    EXPECT_TRUE(bf->Open(f, InDir("out.bin"), KV_FILEOPEN_WRITE, KV_FILEDIALOG_IGNOREOPEN, order, 0, 0));
    fill(f);
    EXPECT_TRUE(bf->Close(f));
    bf->Free(f);
    return kvtest::ReadBytes(dir / "out.bin");
  }

  // A file holding bytes, opened for big-endian reading; freed by the caller.
  KvFile* Reading(const Bytes& bytes) {
    kvtest::WriteBytes(dir / "in.bin", bytes);
    KvFile* f = bf->Alloc();
    EXPECT_TRUE(bf->Open(f, InDir("in.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
    return f;
  }

  bool WriteText(KvFile* f, const char* text) {
    KvString* s = NewString(text);
    bool ok = bf->WriteString(f, s);
    FreeString(s);
    return ok;
  }
};

TEST_F(FileEncoding, NumbersAndBoolsAreBigEndian) {
  Bytes bytes = Written([&](KvFile* f) {
    bf->WriteInt32(f, -2);
    bf->WriteFloat32(f, 100.0f);
    bf->WriteFloat32(f, static_cast<float>(0.08726646259971647));
    bf->WriteBool(f, true);
    bf->WriteBool(f, false);
    bf->WriteInt32(f, 3);
  });
  EXPECT_EQ(bytes, (Bytes{0xFF, 0xFF, 0xFF, 0xFE, 0x42, 0xC8, 0x00, 0x00, 0x3D, 0xB2, 0xB8, 0xC2, 0x01, 0x00,
                          0x00, 0x00, 0x00, 0x03}));
}

TEST_F(FileEncoding, LittleEndianReversesTheBytes) {
  Bytes bytes = Written([&](KvFile* f) { bf->WriteInt32(f, -2); bf->WriteFloat32(f, 100.0f); }, KV_BYTEORDER_INTEL);
  EXPECT_EQ(bytes, (Bytes{0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xC8, 0x42}));
}

TEST_F(FileEncoding, StringsCountTheirTerminatingZero) {
  Bytes bytes = Written([&](KvFile* f) {
    EXPECT_TRUE(WriteText(f, "# Version 1.3"));
    EXPECT_TRUE(WriteText(f, ""));
    EXPECT_TRUE(bf->WriteString(f, nullptr));
    EXPECT_TRUE(WriteText(f, "\xC3\xA9"));
  });
  Bytes expected = {0x00, 0x00, 0x00, 0x0E};
  for (char c : std::string("# Version 1.3")) expected.push_back(static_cast<std::uint8_t>(c));
  expected.push_back(0x00);
  for (int i = 0; i < 2; ++i) expected.insert(expected.end(), {0x00, 0x00, 0x00, 0x01, 0x00});
  expected.insert(expected.end(), {0x00, 0x00, 0x00, 0x03, 0xC3, 0xA9, 0x00});
  EXPECT_EQ(bytes, expected);
}

TEST_F(FileEncoding, StringWithoutUtf8FormIsNotWritten) {
  Bytes bytes = Written([&](KvFile* f) {
    KvString* broken = NewString("ab\xFF");
    EXPECT_FALSE(bf->WriteString(f, broken));
    EXPECT_EQ(bf->GetError(f), KV_FILEERROR_OUTOFMEMORY);
    FreeString(broken);
  });
  EXPECT_TRUE(bytes.empty()) << "nothing is written for that string";
}

// Read whole, or delivered in pieces as a pipe delivers them (1 byte, 3 so that a number
// straddles two, 17 so that a string does): the same values, the end of the file found.
TEST_F(FileEncoding, WhatIsWrittenReadsBack) {
  const std::string text = "Pfeil \xE2\x86\x92 und noch ein wenig mehr";
  Written([&](KvFile* f) {
    bf->WriteInt32(f, -123456);
    bf->WriteFloat32(f, 0.1f);
    bf->WriteBool(f, true);
    WriteText(f, text.c_str());
    bf->WriteInt32(f, 77);
  });
  for (const std::size_t piece : {0u, 1u, 3u, 17u}) {
    DeliverReadsInPieces(piece);
    KvFile* f = bf->Alloc();
    ASSERT_TRUE(bf->Open(f, InDir("out.bin"), KV_FILEOPEN_READ, KV_FILEDIALOG_IGNOREOPEN, KV_BYTEORDER_MOTOROLA, 0, 0));
    EXPECT_EQ(bf->GetLength(f), static_cast<std::int64_t>(4 + 4 + 1 + 4 + text.size() + 1 + 4));
    std::int32_t i = 0, j = 0;
    float x = 0;
    bool b = false;
    KvString* s = nullptr;
    EXPECT_TRUE(bf->ReadInt32(f, &i)) << piece;
    EXPECT_TRUE(bf->ReadFloat32(f, &x)) << piece;
    EXPECT_TRUE(bf->ReadBool(f, &b)) << piece;
    EXPECT_EQ(bf->GetPosition(f), 9) << piece;
    EXPECT_TRUE(bf->ReadString(f, &s)) << piece;
    EXPECT_TRUE(bf->ReadInt32(f, &j)) << piece;
    EXPECT_EQ(i, -123456);
    EXPECT_EQ(x, 0.1f);
    EXPECT_TRUE(b);
    EXPECT_EQ(StringText(s), text) << piece;
    EXPECT_EQ(j, 77) << piece;
    EXPECT_EQ(bf->GetPosition(f), bf->GetLength(f));
    EXPECT_FALSE(bf->ReadBool(f, &b)) << piece;
    EXPECT_EQ(bf->GetError(f), KV_FILEERROR_FILEEND) << piece;
    FreeString(s);
    bf->Free(f);
  }
}

TEST_F(FileEncoding, AnyNonZeroByteIsTrue) {
  KvFile* f = Reading({0x02, 0x00, 0xFF});
  bool v = false;
  EXPECT_TRUE(bf->ReadBool(f, &v));
  EXPECT_TRUE(v);
  EXPECT_TRUE(bf->ReadBool(f, &v));
  EXPECT_FALSE(v);
  EXPECT_TRUE(bf->ReadBool(f, &v));
  EXPECT_TRUE(v);
  bf->Free(f);
}

TEST_F(FileEncoding, EmptyStringsReadAsNull) {
  KvFile* f = Reading({0, 0, 0, 0, 0, 0, 0, 1, 0x00, 0, 0, 0, 3, 'a', 'b', 'X'});
  KvString stale{"stale"};
  KvString* s = &stale;
  EXPECT_TRUE(bf->ReadString(f, &s)) << "length 0";
  EXPECT_EQ(s, nullptr);
  EXPECT_TRUE(bf->ReadString(f, &s)) << "length 1: the zero byte alone";
  EXPECT_EQ(s, nullptr);
  EXPECT_TRUE(bf->ReadString(f, &s));
  EXPECT_EQ(StringText(s), "ab") << "the last byte is skipped whatever its value";
  FreeString(s);
  EXPECT_EQ(bf->GetError(f), KV_FILEERROR_NONE);
  bf->Free(f);
}

TEST_F(FileEncoding, NegativeLengthFailsOutOfMemory) {
  KvFile* f = Reading({0xFF, 0xFF, 0xFF, 0xFF, 'a', 0});
  KvString* s = nullptr;
  EXPECT_FALSE(bf->ReadString(f, &s));
  EXPECT_EQ(s, nullptr);
  EXPECT_EQ(bf->GetError(f), KV_FILEERROR_OUTOFMEMORY);
  ASSERT_EQ(HostErrors().size(), 1u) << "a failed read is reported even with IGNOREOPEN";
  EXPECT_NE(HostErrors()[0].find("in.bin"), std::string::npos) << HostErrors()[0];
  bf->Free(f);
}

TEST_F(FileEncoding, InvalidUtf8AndShortDataFail) {
  const Bytes cases[] = {
      {0, 0, 0, 3, 0xC3, 0x28, 0},      // a lead byte without its continuation
      {0, 0, 0, 4, 0xED, 0xA0, 0x80, 0},  // an encoded surrogate
      {0, 0, 0, 6, 'a', 'b', 0},        // fewer bytes than the length
      {0, 0, 0},                        // the length itself is cut short
  };
  for (const Bytes& bytes : cases) {
    KvFile* f = Reading(bytes);
    KvString* s = nullptr;
    EXPECT_FALSE(bf->ReadString(f, &s));
    EXPECT_EQ(s, nullptr);
    EXPECT_LT(bf->GetError(f), 0);
    bf->Free(f);
  }
  KvFile* f = Reading({0x42, 0xC8});
  float x = 0;
  EXPECT_FALSE(bf->ReadFloat32(f, &x)) << "a float cut short";
  EXPECT_EQ(bf->GetError(f), KV_FILEERROR_FILEEND);
  bf->Free(f);
}

// A damaged length must fail before anything is reserved for it: the file could claim
// 2 GiB in 10 bytes.
TEST_F(FileEncoding, HugeLengthFailsAtOnceWithoutReserving) {
  const Bytes tenBytes = {0x7F, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c', 'd', 'e', 0};
  KvFile* f = Reading(tenBytes);
  const std::int64_t strings = LiveAllocations(AllocKind::String);
  KvString* s = nullptr;
  EXPECT_FALSE(bf->ReadString(f, &s));
  EXPECT_EQ(bf->GetError(f), KV_FILEERROR_FILEEND);
  EXPECT_EQ(LargestStringReservation(), 0);
  EXPECT_EQ(LiveAllocations(AllocKind::String), strings);
  EXPECT_EQ(bf->GetPosition(f), 4) << "nothing past the length is consumed";
  bf->Free(f);
}

TEST_F(FileEncoding, HugeLengthFailsUnderAMemoryLimit) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than any useful limit";
#elif defined(_WIN32)
  GTEST_SKIP() << "Windows has no address-space limit (setrlimit); HugeLengthFailsAtOnceWithoutReserving covers the reservation";
#else
  kvtest::WriteBytes(dir / "in.bin", {0x7F, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c', 'd', 'e', 0});
  const std::string path = (dir / "in.bin").string();
  EXPECT_EXIT(std::exit(ReadHugeLengthUnderLimit(bf, path)), ::testing::ExitedWithCode(kFailedAsShortFile), "");
#endif
}

}  // namespace
