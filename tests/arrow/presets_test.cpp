// The preset file format as the real module writes and reads it through its preset
// buttons: the exact bytes, the round trip, the older layouts and damaged files.
#include "preset_test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define KV_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KV_ADDRESS_SANITIZER 1
#endif
#endif
#ifndef KV_ADDRESS_SANITIZER
#define KV_ADDRESS_SANITIZER 0
#endif

// A child under an address-space limit needs fork and setrlimit, which Windows lacks;
// there the in-process reservation check stands alone.
#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#define KV_LIMITED_CHILD !KV_ADDRESS_SANITIZER
#else
#define KV_LIMITED_CHILD 0
#endif

namespace kvtest {
namespace {

// Items 5 to 29 of an object just reset to its defaults.
const Bytes kResetItems = {
    0x42, 0xC8, 0x00, 0x00, 0x42, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x42, 0x48, 0x00, 0x00, 0x00, 0x43, 0xC8, 0x00, 0x00, 0x42, 0xC8, 0x00, 0x00, 0x01,
    0x43, 0xC8, 0x00, 0x00, 0x42, 0xC8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x42, 0xC8, 0x00, 0x00, 0x42, 0x48, 0x00,
    0x00, 0x42, 0x48, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03,
    0x00, 0x00, 0x00, 0x08, 0x3D, 0xB2, 0xB8, 0xC2, 0x40, 0xA0, 0x00, 0x00,
};

Bytes StringBytes(std::string_view text) { return PresetBytes().Str(text).bytes; }

#if KV_LIMITED_CHILD
// Bytes of address space this process has mapped now.
rlim_t AddressSpaceInUse() {
  std::ifstream statm("/proc/self/statm");
  rlim_t pages = 0;
  statm >> pages;
  return pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}
#endif

using PresetFormatTest = PresetTest;

TEST_P(PresetFormatTest, ResetObjectSavesTheExactBytes) {
  KvNode* arrow = NewArrow();
  const Bytes file = Saved(arrow);
  ASSERT_EQ(kResetItems.size(), 82u);
  ASSERT_EQ(file.size(), kHeaderSize + 155);

  EXPECT_EQ(Slice(file, 0, kHeaderSize), StringBytes("# Keelvane preset file"));
  const Bytes version = {0, 0, 0, 0x0E, '#', ' ', 'V', 'e', 'r', 's', 'i', 'o', 'n', ' ', '1', '.', '3', 0};
  EXPECT_EQ(Slice(file, kHeaderSize, 18), version);
  EXPECT_EQ(Slice(file, kHeaderSize + 18, 26), StringBytes("# Start of parameters"));
  EXPECT_EQ(Slice(file, kNameOffset, 5), (Bytes{0, 0, 0, 1, 0})) << "the empty name";
  EXPECT_EQ(Slice(file, kNameOffset + 5, 82), kResetItems);
  EXPECT_EQ(Slice(file, kNameOffset + 5 + 82, 24), StringBytes("# End of parameters"));
}

TEST_P(PresetFormatTest, NameOfLBytesAddsLBytes) {
  KvNode* arrow = NewArrow();
  const std::string name = "Pfeil \xC3\xA4 \xE2\x86\x92 \xF0\x9F\x8E\xAF";  // 1-, 2-, 3- and 4-byte characters
  kvhost::SetParameterRaw(kvhost::Container(arrow), ARROW_PRESET_NAME, name);
  const Bytes file = Saved(arrow);

  EXPECT_EQ(file.size(), kHeaderSize + 155 + name.size());
  EXPECT_EQ(Slice(file, kNameOffset, name.size() + 5), StringBytes(name));
  EXPECT_EQ(Slice(file, kNameOffset + name.size() + 5, kResetItems.size()), kResetItems);
}

// Floats come back as their nearest single-precision value, the rest exactly; nothing is
// read into the wrong parameter.
TEST_P(PresetFormatTest, RoundTripOfEveryValueKind) {
  KvNode* source = NewArrow();
  Items items = DistinctItems();
  At(items, ARROW_HEAD_SWEEP).value = -3.0e-7;
  At(items, ARROW_TAIL_NOTCH).value = 1.0e30;
  SetItems(source, items);
  kvhost::SetParameterRaw(kvhost::Container(source), ARROW_PRESET_NAME, std::string("K\xC3\xB6nig"));
  const std::string path = PathIn("every.kvp");
  Save(source, path);

  KvNode* target = NewArrow();
  ASSERT_TRUE(Load(target, path));
  ExpectItems(target, items);
  EXPECT_EQ(Text(target, ARROW_PRESET_NAME), "K\xC3\xB6nig");
}

TEST_P(PresetFormatTest, DefaultAngleComesBackInSinglePrecision) {
  const std::string path = PathIn("defaults.kvp");
  Save(NewArrow(), path);
  KvNode* target = NewArrow();
  kvhost::SetParameterRaw(kvhost::Container(target), KV_SPLINEOBJECT_ANGLE, 1.0);
  ASSERT_TRUE(Load(target, path));
  EXPECT_EQ(Float(target, KV_SPLINEOBJECT_ANGLE), 0.0872664600610733);
  EXPECT_EQ(Float(target, ARROW_SHAFT_LENGTH), 400.0);
}

TEST_P(PresetFormatTest, Version12LoadsLikeVersion13) {
  PresetFile v13(DistinctItems());
  PresetFile v12 = v13;
  v12.version = "# Version 1.2";
  WriteBytes(dir / "v13.kvp", v13.Build());
  WriteBytes(dir / "v12.kvp", v12.Build());

  KvNode* a = NewArrow();
  KvNode* b = NewArrow();
  ASSERT_TRUE(Load(a, PathIn("v13.kvp")));
  ASSERT_TRUE(Load(b, PathIn("v12.kvp")));
  EXPECT_EQ(Snapshot(a), Snapshot(b));
  ExpectItems(b, v12.items);
}

// Any other version string means the layout without the double arrow, which is then
// switched off at its reset values whatever the object held.
TEST_P(PresetFormatTest, OtherVersionsReadTheLayoutWithoutTheDoubleArrow) {
  for (const std::string version : {"# Version 1.1", "# Version 1.3 ", "# version 1.3", "1.3", ""}) {
    SCOPED_TRACE("version '" + version + "'");
    PresetFile old(DistinctItems(), "", version);
    WriteBytes(dir / "old.kvp", old.Build());

    KvNode* arrow = NewArrow();
    SetItems(arrow, {{ARROW_DOUBLE, Kind::Bool, 1},
                     {ARROW_DOUBLE_SHAFT_LENGTH, Kind::Float, 777},
                     {ARROW_DOUBLE_SHAFT_WIDTH, Kind::Float, 888}});
    ASSERT_TRUE(Load(arrow, PathIn("old.kvp")));
    Items expected = old.items;
    At(expected, ARROW_DOUBLE).value = 0;
    At(expected, ARROW_DOUBLE_SHAFT_LENGTH).value = 400;
    At(expected, ARROW_DOUBLE_SHAFT_WIDTH).value = 100;
    ExpectItems(arrow, expected);
  }
}

// A 1.3 layout under a version with a trailing blank: the byte after item 10 (the double
// arrow's switch) is taken as the shaft switch, the next floats follow it.
TEST_P(PresetFormatTest, TrailingBlankInVersionShiftsTheItemsAfterItem10) {
  PresetFile file;
  At(file.items, ARROW_DOUBLE).value = 0;
  At(file.items, ARROW_DOUBLE_SHAFT_LENGTH).value = 123.5;
  At(file.items, ARROW_DOUBLE_SHAFT_WIDTH).value = 45.25;
  At(file.items, ARROW_SHAFT).value = 1;
  Bytes bytes = file.Build();
  const Bytes blank = PresetFile(DefaultItems(), "", "# Version 1.3 ").Build();
  bytes.erase(bytes.begin() + kHeaderSize, bytes.begin() + kHeaderSize + 18);
  bytes.insert(bytes.begin() + kHeaderSize, blank.begin() + kHeaderSize, blank.begin() + kHeaderSize + 19);
  WriteBytes(dir / "blank.kvp", bytes);

  KvNode* arrow = NewArrow();
  SetItems(arrow, {{ARROW_DOUBLE, Kind::Bool, 1}});
  ASSERT_TRUE(Load(arrow, PathIn("blank.kvp")));
  EXPECT_FALSE(Bool(arrow, ARROW_DOUBLE));
  EXPECT_EQ(Float(arrow, ARROW_DOUBLE_SHAFT_LENGTH), 400.0);
  EXPECT_EQ(Float(arrow, ARROW_DOUBLE_SHAFT_WIDTH), 100.0);
  EXPECT_FALSE(Bool(arrow, ARROW_SHAFT)) << "item 14 must be the byte of item 11";
  EXPECT_EQ(Float(arrow, ARROW_SHAFT_LENGTH), 123.5);
  EXPECT_EQ(Float(arrow, ARROW_SHAFT_WIDTH), 45.25);
}

TEST_P(PresetFormatTest, AnyNonZeroBoolByteReadsTrue) {
  for (const double byte : {2.0, 255.0}) {
    PresetFile file;
    At(file.items, ARROW_CHEVRON_HEAD).value = byte;
    At(file.items, KV_PRIM_REVERSE).value = byte;
    WriteBytes(dir / "bools.kvp", file.Build());
    KvNode* arrow = NewArrow();
    ASSERT_TRUE(Load(arrow, PathIn("bools.kvp")));
    EXPECT_TRUE(Bool(arrow, ARROW_CHEVRON_HEAD)) << byte;
    EXPECT_TRUE(Bool(arrow, KV_PRIM_REVERSE)) << byte;
  }
}

TEST_P(PresetFormatTest, StringLengthsZeroAndOneBothReadAsEmpty) {
  Bytes bytes = PresetFile(DistinctItems()).Build();
  bytes.erase(bytes.begin() + kNameOffset, bytes.begin() + kNameOffset + 5);
  const Bytes zero = {0, 0, 0, 0};
  bytes.insert(bytes.begin() + kNameOffset, zero.begin(), zero.end());
  WriteBytes(dir / "zero.kvp", bytes);

  KvNode* arrow = NewArrow();
  kvhost::SetParameterRaw(kvhost::Container(arrow), ARROW_PRESET_NAME, std::string("old name"));
  ASSERT_TRUE(Load(arrow, PathIn("zero.kvp")));
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "");
  ExpectItems(arrow, DistinctItems());

  WriteBytes(dir / "one.kvp", PresetFile().Build());
  kvhost::SetParameterRaw(kvhost::Container(arrow), ARROW_PRESET_NAME, std::string("old name"));
  ASSERT_TRUE(Load(arrow, PathIn("one.kvp")));
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "");
}

// The zero byte that ends a string is skipped, not checked; the marker strings are read
// but never compared.
TEST_P(PresetFormatTest, MarkersAndTerminatorsAreNotExamined) {
  PresetBytes b;
  b.Str("not a preset header").Str("# Version 1.3").I32(1).Byte('X').I32(4).Raw("abc").Byte('!');
  const Bytes rest = PresetFile(DistinctItems()).ValueBytes();
  b.bytes.insert(b.bytes.end(), rest.begin(), rest.end());
  WriteBytes(dir / "odd.kvp", b.bytes);

  KvNode* arrow = NewArrow();
  ASSERT_TRUE(Load(arrow, PathIn("odd.kvp")));
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "abc");
  ExpectItems(arrow, DistinctItems());
}

// The text is all N - 1 bytes, a zero byte among them included, and is saved back whole.
TEST_P(PresetFormatTest, NameWithAZeroByteInsideSurvivesLoadAndSave) {
  const std::string name("ab\0cd", 5);
  WriteBytes(dir / "zero.kvp", PresetFile(DefaultItems(), name).Build());
  KvNode* arrow = NewArrow();
  ASSERT_TRUE(Load(arrow, PathIn("zero.kvp")));
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), name);
  EXPECT_EQ(Slice(Saved(arrow), kNameOffset, name.size() + 5), StringBytes(name));
}

TEST_P(PresetFormatTest, MissingEndMarkerAndTrailingBytesStillLoad) {
  PresetFile bare(DistinctItems());
  bare.endMarker = false;
  WriteBytes(dir / "bare.kvp", bare.Build());
  KvNode* arrow = NewArrow();
  ASSERT_TRUE(Load(arrow, PathIn("bare.kvp")));
  ExpectItems(arrow, bare.items);

  Bytes extra = PresetFile(DistinctItems(), "x").Build();
  for (int i = 0; i < 300; ++i) extra.push_back(static_cast<std::uint8_t>(i));
  WriteBytes(dir / "extra.kvp", extra);
  KvNode* other = NewArrow();
  ASSERT_TRUE(Load(other, PathIn("extra.kvp")));
  ExpectItems(other, bare.items);
  EXPECT_EQ(Text(other, ARROW_PRESET_NAME), "x");
}

// A file cut anywhere before the end of item 29 changes nothing: no parameter, no undo
// record, no update message, and nothing left allocated. Cut right there it loads.
TEST_P(PresetFormatTest, FileCutAtEveryOffsetBeforeTheLastItemChangesNothing) {
  const Bytes whole = PresetFile(DistinctItems(), "cut me").Build();
  const std::size_t endOfItem29 = whole.size() - StringBytes("# End of parameters").size();
  KvNode* arrow = NewArrow();
  const auto before = Snapshot(arrow);
  const std::size_t undoSteps = kvhost::UndoHistory(doc).size();
  const std::int64_t live = kvhost::LiveAllocations();

  for (std::size_t cut = 0; cut < endOfItem29; ++cut) {
    SCOPED_TRACE("cut at byte " + std::to_string(cut));
    WriteBytes(dir / "cut.kvp", Slice(whole, 0, cut));
    EXPECT_FALSE(Load(arrow, PathIn("cut.kvp")));
    EXPECT_EQ(Snapshot(arrow), before);
    EXPECT_EQ(kvhost::UndoHistory(doc).size(), undoSteps);
    EXPECT_EQ(kvhost::LiveAllocations(), live);
    if (HasFailure()) break;
  }
  WriteBytes(dir / "cut.kvp", Slice(whole, 0, endOfItem29));
  EXPECT_TRUE(Load(arrow, PathIn("cut.kvp")));
  ExpectItems(arrow, DistinctItems());
}

// A float item that is NaN or infinite is refused like a file cut short: every float item
// in turn: no parameter changes, no undo record, no update message. Finite values outside
// the description's ranges are not the reader's business and load as stored.
TEST_P(PresetFormatTest, NonFiniteFloatsFailTheLoadAndOutOfRangeValuesLoad) {
  KvNode* arrow = NewArrow();
  const auto before = Snapshot(arrow);
  const std::size_t undoSteps = kvhost::UndoHistory(doc).size();
  for (const Item& target : DefaultItems()) {
    if (target.kind != Kind::Float) continue;
    for (const double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
      SCOPED_TRACE("parameter " + std::to_string(target.id) + " = " + std::to_string(bad));
      Items items = DistinctItems();
      At(items, target.id).value = bad;
      WriteBytes(dir / "bad.kvp", PresetFile(items, "bad").Build());
      EXPECT_FALSE(Load(arrow, PathIn("bad.kvp")));
      EXPECT_EQ(Snapshot(arrow), before);
      EXPECT_EQ(kvhost::UndoHistory(doc).size(), undoSteps);
    }
  }
  Items odd = DistinctItems();
  At(odd, ARROW_HEAD_LENGTH).value = -50;
  At(odd, ARROW_SHAFT_WIDTH).value = -1e30;
  At(odd, KV_PRIM_PLANE).value = 99;
  At(odd, KV_SPLINEOBJECT_INTERPOLATION).value = 42;
  WriteBytes(dir / "odd.kvp", PresetFile(odd).Build());
  EXPECT_TRUE(Load(arrow, PathIn("odd.kvp")));
  ExpectItems(arrow, odd);
}

// A bad string anywhere ends the read: negative lengths, lengths past the end of the file
// (without reserving memory for them) and bytes that are not UTF-8.
TEST_P(PresetFormatTest, DamagedStringsFailTheLoad) {
  const Bytes valid = PresetFile(DistinctItems(), "abc").Build();
  const std::size_t left = valid.size() - kNameOffset - 4;
  struct Damage {
    const char* what;
    Bytes name;
  };
  const std::vector<Damage> damages = {
      {"length -1", PresetBytes().I32(0xFFFFFFFFu).Raw("abc").Byte(0).bytes},
      {"length INT32_MIN", PresetBytes().I32(0x80000000u).Raw("abc").Byte(0).bytes},
      {"length huge", PresetBytes().I32(0x7FFFFFF0u).Raw("abc").Byte(0).bytes},
      {"length one past the end", PresetBytes().I32(static_cast<std::uint32_t>(left + 1)).Raw("abc").Byte(0).bytes},
      {"lone continuation byte", PresetBytes().Str("ab\x80").bytes},
      {"truncated sequence", PresetBytes().Str("ab\xC3").bytes},
      {"overlong slash", PresetBytes().Str("\xC0\xAF").bytes},
      {"surrogate", PresetBytes().Str("\xED\xA0\x80").bytes},
      {"past U+10FFFF", PresetBytes().Str("\xF4\x90\x80\x80").bytes},
  };
  KvNode* arrow = NewArrow();
  const auto before = Snapshot(arrow);
  for (const Damage& damage : damages) {
    SCOPED_TRACE(damage.what);
    Bytes bytes = valid;
    bytes.erase(bytes.begin() + kNameOffset, bytes.begin() + kNameOffset + 8);
    bytes.insert(bytes.begin() + kNameOffset, damage.name.begin(), damage.name.end());
    WriteBytes(dir / "damaged.kvp", bytes);
    kvhost::ResetLargestStringReservation();
    EXPECT_FALSE(Load(arrow, PathIn("damaged.kvp")));
    EXPECT_EQ(Snapshot(arrow), before);
    EXPECT_LE(kvhost::LargestStringReservation(), static_cast<std::int64_t>(bytes.size()));
  }
  // The same faults in the header, which is otherwise never looked at.
  Bytes header = valid;
  header[4] = 0xFF;
  WriteBytes(dir / "header.kvp", header);
  EXPECT_FALSE(Load(arrow, PathIn("header.kvp")));
  EXPECT_EQ(Snapshot(arrow), before);
}

// A 20-byte file whose first string claims 0x7FFFFFF0 bytes. The length is refused before
// anything is reserved for it, so the load fails the same way under a tight address-space
// limit as without one.
TEST_P(PresetFormatTest, HugeStringLengthReservesNothing) {
  const Bytes bytes = PresetBytes().I32(0x7FFFFFF0u).Raw("# Keelvane prese").bytes;
  ASSERT_EQ(bytes.size(), 20u);
  WriteBytes(dir / "huge.kvp", bytes);
  KvNode* arrow = NewArrow();
  const auto before = Snapshot(arrow);
  const std::int64_t live = kvhost::LiveAllocations();

  kvhost::ResetLargestStringReservation();
  EXPECT_FALSE(Load(arrow, PathIn("huge.kvp")));
  EXPECT_EQ(Snapshot(arrow), before);
  EXPECT_EQ(kvhost::LiveAllocations(), live);
  EXPECT_LE(kvhost::LargestStringReservation(), 20);

#if KV_LIMITED_CHILD
  // In a child limited to its present address space plus 256 MiB: a reservation of the
  // claimed length would fail or abort there instead of quietly overcommitting.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    rlimit limit{};
    ::getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = AddressSpaceInUse() + (256u << 20);
    if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(3);
    kvhost::ResetLargestStringReservation();
    try {
      const bool loaded = Load(arrow, PathIn("huge.kvp"));
      const bool unchanged = Snapshot(arrow) == before;
      const bool reservedNothing = kvhost::LargestStringReservation() <= 20;
      ::_exit(!loaded && unchanged && reservedNothing ? 0 : 1);
    } catch (...) {
      ::_exit(2);  // the child must never return into the test runner
    }
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died from signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the load succeeded, changed the arrow or reserved "
                                       "memory for the claimed length; 2: an allocation threw; "
                                       "3: no limit could be set";
#endif
}

}  // namespace

KV_INSTANTIATE_FLAVOURS(PresetFormatTest);

}  // namespace kvtest
