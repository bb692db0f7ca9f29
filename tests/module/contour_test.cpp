// The contour hook through the host: the spline it returns, its settings, the plane and
// the reversal, its messages, and its failure paths.
#include "module_fixture.h"

namespace {

using Points = std::vector<KvVector>;

class Contour : public kvtest::ModuleTest {
 protected:
  static std::vector<std::int32_t> MessageTypes(const KvNode* node) {
    std::vector<std::int32_t> types;
    for (const auto& m : kvhost::MessageLog(node)) types.push_back(m.type);
    return types;
  }
  static void ExpectPoints(const Points& actual, const Points& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      EXPECT_EQ(actual[i].x, expected[i].x) << "point " << i;
      EXPECT_EQ(actual[i].y, expected[i].y) << "point " << i;
      EXPECT_EQ(actual[i].z, expected[i].z) << "point " << i;
    }
  }
};

const Points kDefaultArrow = {{-250, 50, 0}, {150, 50, 0},   {150, 100, 0}, {250, 0, 0},
                              {150, -100, 0}, {150, -50, 0}, {-250, -50, 0}};

TEST_P(Contour, DefaultArrowIsAClosedLinearSplineWithTheObjectsSettings) {
  KvNode* arrow = NewArrow();
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  ExpectPoints(kvhost::SplinePoints(spline), kDefaultArrow);
  EXPECT_EQ(kvhost::SplinePointCount(spline), 7);
  EXPECT_EQ(kvhost::SplineType(spline), kvhost::kLinearSpline);
  EXPECT_TRUE(kvtest::Bool(spline, 1002));
  EXPECT_EQ(kvtest::Int(spline, 1001), 3);
  EXPECT_EQ(kvtest::Int(spline, 1003), 8);
  EXPECT_EQ(kvtest::Float(spline, 1004), 0.08726646259971647);
  EXPECT_EQ(kvtest::Float(spline, 1005), 5.0);
  EXPECT_EQ(MessageTypes(spline), (std::vector<std::int32_t>{5, 5}));
  kvhost::FreeObject(spline);
}

TEST_P(Contour, UserEditsReachTheOutlineAndTheSplineSettings) {
  KvNode* arrow = NewArrow();
  kvhost::SetParameter(doc, arrow, ARROW_SHAFT, false);
  kvhost::SetParameter(doc, arrow, ARROW_HEAD_SWEEP, 20.0);
  kvhost::SetParameter(doc, arrow, 1001, std::int32_t{1});
  kvhost::SetParameter(doc, arrow, 1003, std::int32_t{2});
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  ExpectPoints(kvhost::SplinePoints(spline),
               {{-50, 0, 0}, {-70, 50, 0}, {50, 0, 0}, {-70, -50, 0}});
  EXPECT_EQ(kvtest::Int(spline, 1001), 1);
  EXPECT_EQ(kvtest::Int(spline, 1003), 2);
  kvhost::FreeObject(spline);
}

TEST_P(Contour, PlaneThenReverse) {
  KvNode* arrow = NewArrow();
  kvhost::SetParameter(doc, arrow, 2300, std::int32_t{1});
  kvhost::SetParameter(doc, arrow, 2301, true);
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  // Laid into ZY first, then reversed: the last ZY point comes first.
  ExpectPoints(kvhost::SplinePoints(spline),
               {{-0.0, -50, -250}, {-0.0, -50, 150}, {-0.0, -100, 150}, {-0.0, 0, 250},
                {-0.0, 100, 150}, {-0.0, 50, 150}, {-0.0, 50, -250}});
  kvhost::FreeObject(spline);

  kvhost::SetParameter(doc, arrow, 2300, std::int32_t{2});
  kvhost::SetParameter(doc, arrow, 2301, false);
  spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  const Points xz = kvhost::SplinePoints(spline);
  ASSERT_EQ(xz.size(), 7u);
  EXPECT_EQ(xz[0].x, -250);
  EXPECT_EQ(xz[0].z, 50);
  EXPECT_EQ(xz[3].x, 250);
  kvhost::FreeObject(spline);
}

TEST_P(Contour, EveryCallBuildsANewSplineAndKeepsNothing) {
  KvNode* arrow = NewArrow();
  const auto live = kvhost::LiveAllocations();
  KvNode* first = kvhost::GetContour(arrow, doc);
  KvNode* second = kvhost::GetContour(arrow, doc);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  ExpectPoints(kvhost::SplinePoints(first), kvhost::SplinePoints(second));
  kvhost::FreeObject(first);
  kvhost::FreeObject(second);
  EXPECT_EQ(kvhost::LiveAllocations(), live);
  EXPECT_TRUE(kvhost::UndoHistory(doc).size() == 1u);  // only the creation
}

TEST_P(Contour, FailedSplineAllocationGivesNoContour) {
  KvNode* arrow = NewArrow();
  const auto live = kvhost::LiveAllocations();
  kvhost::FailNextAllocation(kvhost::AllocKind::Spline);
  EXPECT_EQ(kvhost::GetContour(arrow, doc), nullptr);
  EXPECT_EQ(kvhost::LiveAllocations(), live);
}

TEST_P(Contour, SplineWithoutPointStorageIsReturnedUnfinished) {
  KvNode* arrow = NewArrow();
  kvhost::SetParameter(doc, arrow, 2300, std::int32_t{1});
  kvhost::FailNextSplineStorage();
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  EXPECT_TRUE(kvhost::SplinePoints(spline).empty());
  EXPECT_TRUE(kvtest::Bool(spline, 1002));
  EXPECT_EQ(kvtest::Int(spline, 1001), 3);
  EXPECT_EQ(MessageTypes(spline), (std::vector<std::int32_t>{5}));  // no second message
  kvhost::FreeObject(spline);
}

TEST_P(Contour, ContainerWithoutShapeParametersGivesThePointHead) {
  KvNode* arrow = NewArrow();
  for (std::int32_t id : kvhost::ParameterIds(kvhost::Container(arrow))) {
    kvhost::ContainerTable()->Remove(kvhost::Container(arrow), id);
  }
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  ExpectPoints(kvhost::SplinePoints(spline), {{-0.0, 0, 0}, {0, 0, 0}, {-0.0, 0, 0}});
  EXPECT_EQ(kvtest::Int(spline, 1001), 0);
  EXPECT_EQ(kvtest::Float(spline, 1004), 0.0);
  kvhost::FreeObject(spline);
}

KV_INSTANTIATE_FLAVOURS(Contour);

}  // namespace
