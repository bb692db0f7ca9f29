// Containers: typed defaults, copy and merge, links that go stale.
#include <gtest/gtest.h>

#include "host.h"
#include "host_strings.h"
#include "utf8.h"

namespace {

using namespace kvhost;

class Containers : public ::testing::Test {
 protected:
  void SetUp() override { ResetHost(); }
  void TearDown() override { ResetHost(); }
  const KvContainerTable* bc = HostTables()->t_C4DOS_Bc;
};

TEST_F(Containers, MissingIdsAndWrongTypesGiveTheDefault) {
  KvContainer* c = bc->Alloc();
  ASSERT_NE(c, nullptr);
  bc->SetInt32(c, 1, 7);
  bc->SetBool(c, 2, true);
  bc->SetFloat(c, 3, 2.5);
  EXPECT_EQ(bc->GetInt32(c, 1, -1), 7);
  EXPECT_EQ(bc->GetInt32(c, 99, -1), -1);
  EXPECT_EQ(bc->GetInt32(c, 2, -1), -1) << "a bool is not an int32";
  EXPECT_TRUE(bc->GetBool(c, 1, true)) << "an int32 is not a bool: default true";
  EXPECT_FALSE(bc->GetBool(c, 1, false));
  EXPECT_EQ(bc->GetFloat(c, 1, 9.0), 9.0) << "an int32 is not a float";
  EXPECT_EQ(bc->GetFloat(c, 3, 0.0), 2.5);
  const KvVector v = bc->GetVector(c, 3, KvVector{1, 2, 3});
  EXPECT_EQ(v.z, 3.0);
  EXPECT_EQ(bc->GetType(c, 2), KV_VALUE_BOOL);
  EXPECT_EQ(bc->GetType(c, 99), KV_VALUE_NONE);
  KvString* def = NewString("dflt");
  KvString* s = bc->GetString(c, 1, def);
  EXPECT_EQ(StringText(s), "dflt");
  FreeString(s);
  FreeString(def);
  EXPECT_TRUE(bc->Remove(c, 1));
  EXPECT_FALSE(bc->Remove(c, 1));
  bc->Free(c);
  EXPECT_EQ(LiveAllocations(), 0);
}

TEST_F(Containers, MergeReplacesAndKeepsCopyToMakesExact) {
  KvContainer* a = bc->Alloc();
  KvContainer* b = bc->Alloc();
  bc->SetInt32(a, 1, 1);
  bc->SetInt32(a, 2, 2);
  bc->SetInt32(b, 2, 20);
  bc->SetBool(b, 3, true);
  bc->Merge(a, b);
  EXPECT_EQ(bc->GetInt32(a, 1, 0), 1);
  EXPECT_EQ(bc->GetInt32(a, 2, 0), 20);
  EXPECT_TRUE(bc->GetBool(a, 3, false));
  bc->CopyTo(b, a);
  EXPECT_EQ(bc->GetType(a, 1), KV_VALUE_NONE) << "CopyTo drops what src lacks";
  EXPECT_EQ(bc->GetInt32(a, 2, 0), 20);
  bc->Free(a);
  bc->Free(b);
}

TEST_F(Containers, LinksGoStaleWhenTheObjectLeavesOrIsFreed) {
  KvDocument* doc = NewDocument();
  KvDocument* other = NewDocument();
  KvNode* spline = AllocSpline(4);
  KvContainer* c = bc->Alloc();
  bc->SetLink(c, KV_CLONER_OBJECT_LINK, spline);
  EXPECT_EQ(bc->GetType(c, KV_CLONER_OBJECT_LINK), KV_VALUE_LINK);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, 0), nullptr) << "never inserted";
  HostTables()->t_C4DOS_Bd->InsertObject(doc, spline, nullptr, nullptr);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, 0), spline);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, nullptr, KV_TYPE_BASE), spline);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, KV_TYPE_SPLINE), spline);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, KV_TYPE_EXTRUDE), nullptr) << "wrong type";
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, other, 0), nullptr) << "another document";
  HostTables()->t_C4DOS_Bl->Remove(spline);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, 0), nullptr) << "removed";
  HostTables()->t_C4DOS_Bd->InsertObject(doc, spline, nullptr, nullptr);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, 0), spline) << "reinserted";
  HostTables()->t_C4DOS_Bl->Remove(spline);
  FreeObject(spline);
  HostTables()->t_C4DOS_Bd->InsertObject(doc, AllocObject(KV_TYPE_NULL), nullptr, nullptr);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, 0), nullptr) << "freed";
  bc->SetLink(c, KV_CLONER_OBJECT_LINK, nullptr);
  EXPECT_EQ(bc->GetType(c, KV_CLONER_OBJECT_LINK), KV_VALUE_LINK);
  EXPECT_EQ(bc->GetLink(c, KV_CLONER_OBJECT_LINK, doc, 0), nullptr);
  bc->Free(c);
}

TEST_F(Containers, StringsAreUtf8AndCompareByBytes) {
  const KvStringTable* st = HostTables()->t_C4DOS_St;
  KvString* a = st->Alloc("Pfeil \xC3\xBC", -1);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(st->GetUtf8(a, nullptr, 0), 8);
  EXPECT_EQ(st->Alloc("\xC3", 1), nullptr) << "truncated sequence";
  EXPECT_EQ(st->Alloc("\xC0\x80", 2), nullptr) << "overlong";
  KvString* b = st->Copy(a);
  EXPECT_EQ(st->Compare(a, b), 0);
  EXPECT_EQ(st->Compare(nullptr, st->Alloc("", 0)), 0);
  char buf[3];
  EXPECT_EQ(st->GetUtf8(a, buf, 3), 8);
  EXPECT_EQ(std::string(buf, 3), "Pfe");
  st->Free(a);
  st->Free(b);
  EXPECT_EQ(LiveAllocations(AllocKind::String), 1) << "the empty one above was leaked";
}

// The one UTF-8 check behind strings, string reads and resource files, at the edges of
// each sequence length.
TEST(Utf8Check, AcceptsEachLengthToItsLimitAndNothingElse) {
  const struct {
    const char* bytes;
    bool valid;
  } cases[] = {
      {"\x7F", true},
      {"\xC2\x80", true},          // U+0080, the smallest two-byte value
      {"\xC1\xBF", false},         // overlong U+007F
      {"\xEF\xBF\xBF", true},      // U+FFFF
      {"\xE0\x9F\xBF", false},     // overlong U+07FF
      {"\xED\x9F\xBF", true},      // U+D7FF, just below the surrogates
      {"\xED\xBF\xBF", false},     // U+DFFF, a surrogate
      {"\xF4\x8F\xBF\xBF", true},  // U+10FFFF
      {"\xF4\x90\x80\x80", false}, // U+110000
      {"\xF0\x8F\xBF\xBF", false}, // overlong U+FFFF
      {"\xF5\x80\x80\x80", false}, // a lead byte past U+10FFFF
      {"\x80", false},              // a continuation without its lead
      {"a\xE2\x82", false},         // cut short at the end
      {"\xE2\x28\xA1", false},     // a continuation that is not one
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid) << testing::PrintToString(std::string(c.bytes));
  }
}

}  // namespace
