// The document as one comparable text: every object in tree order with every value, so
// that two documents are equal exactly when their texts are.
#include <gtest/gtest.h>

#include "host.h"

namespace {

using namespace kvhost;

class DocumentTextTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetHost(); }
  void TearDown() override { ResetHost(); }

  // A null holding a spline, with value written under id 1 of the null and a link to the
  // spline under id 2.
  KvDocument* Document(const Value& value) {
    KvDocument* doc = NewDocument();
    KvNode* null = CreateObjectFromMenu(doc, KV_TYPE_NULL);
    KvNode* spline = CreateObjectFromMenu(doc, KV_TYPE_SPLINE);
    MoveObject(doc, spline, null, Position::Last);
    SetParameterRaw(Container(null), 1, value);
    SetParameterRaw(Container(null), 2, spline);
    return doc;
  }
};

TEST_F(DocumentTextTest, ValuesOfEachTypeAndTheTreeAreWrittenOut) {
  KvDocument* doc = Document(3);
  const std::vector<KvNode*> top = TopObjects(doc);
  const std::string null = std::to_string(KV_TYPE_NULL), spline = std::to_string(KV_TYPE_SPLINE);
  const std::string splineSerial = std::to_string(ObjectSerial(Children(top[0])[0]));
  EXPECT_EQ(DocumentText(doc), null + "#" + std::to_string(ObjectSerial(top[0])) + " 1=3 2=->" + spline + "#" +
                                   splineSerial + "\n  " + spline + "#" + splineSerial + "\n");
  EXPECT_EQ(DocumentText(doc, ObjectNames::ByPlace), null + "@0 1=3 2=->" + spline + "@1\n  " + spline + "@1\n");

  const struct {
    Value value;
    const char* text;
  } cases[] = {{3.0, "3.0"},     {-0.0, "-0.0"},  {0.25, "0.25"},  {true, "true"},
               {std::string("a \"b\""), "\"a \\\"b\\\"\""}, {KvVector{1, 2.5, -3}, "(1.0,2.5,-3.0)"},
               {static_cast<KvNode*>(nullptr), "->none"}};
  for (const auto& c : cases) EXPECT_EQ(ValueText(c.value), c.text);
}

TEST_F(DocumentTextTest, DocumentsBuiltAlikeCompareTheSameByPlaceAndApartBySerial) {
  KvDocument* a = Document(std::int32_t{3});
  KvDocument* b = Document(std::int32_t{3});
  KvDocument* real = Document(3.0);
  EXPECT_EQ(DocumentText(a, ObjectNames::ByPlace), DocumentText(b, ObjectNames::ByPlace));
  EXPECT_NE(DocumentText(a), DocumentText(b));
  EXPECT_NE(DocumentText(a, ObjectNames::ByPlace), DocumentText(real, ObjectNames::ByPlace));
}

}  // namespace
