// The contour hook through the host: the spline it returns, its settings, the plane and
// the reversal, its messages, and its failure paths.
#include <cmath>
#include <limits>

#include "arrow_outline.h"
#include "arrow_parameters.h"
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
  EXPECT_EQ(kvhost::SplineType(spline), KV_SPLINETYPE_LINEAR);
  EXPECT_TRUE(kvtest::Bool(spline, KV_SPLINEOBJECT_CLOSED));
  EXPECT_EQ(kvtest::Int(spline, KV_SPLINEOBJECT_INTERPOLATION), 3);
  EXPECT_EQ(kvtest::Int(spline, KV_SPLINEOBJECT_SUB), 8);
  EXPECT_EQ(kvtest::Float(spline, KV_SPLINEOBJECT_ANGLE), 0.08726646259971647);
  EXPECT_EQ(kvtest::Float(spline, KV_SPLINEOBJECT_MAXIMUMLENGTH), 5.0);
  EXPECT_EQ(MessageTypes(spline), (std::vector<std::int32_t>{KV_MSG_UPDATE, KV_MSG_UPDATE}));
  kvhost::FreeObject(spline);
}

TEST_P(Contour, UserEditsReachTheOutlineAndTheSplineSettings) {
  KvNode* arrow = NewArrow();
  kvhost::SetParameter(doc, arrow, ARROW_SHAFT, false);
  kvhost::SetParameter(doc, arrow, ARROW_HEAD_SWEEP, 20.0);
  kvhost::SetParameter(doc, arrow, KV_SPLINEOBJECT_INTERPOLATION, std::int32_t{1});
  kvhost::SetParameter(doc, arrow, KV_SPLINEOBJECT_SUB, std::int32_t{2});
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  ExpectPoints(kvhost::SplinePoints(spline),
               {{-50, 0, 0}, {-70, 50, 0}, {50, 0, 0}, {-70, -50, 0}});
  EXPECT_EQ(kvtest::Int(spline, KV_SPLINEOBJECT_INTERPOLATION), 1);
  EXPECT_EQ(kvtest::Int(spline, KV_SPLINEOBJECT_SUB), 2);
  kvhost::FreeObject(spline);
}

TEST_P(Contour, PlaneThenReverse) {
  KvNode* arrow = NewArrow();
  kvhost::SetParameter(doc, arrow, KV_PRIM_PLANE, std::int32_t{1});
  kvhost::SetParameter(doc, arrow, KV_PRIM_REVERSE, true);
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  // Laid into ZY first, then reversed: the last ZY point comes first.
  ExpectPoints(kvhost::SplinePoints(spline),
               {{-0.0, -50, -250}, {-0.0, -50, 150}, {-0.0, -100, 150}, {-0.0, 0, 250},
                {-0.0, 100, 150}, {-0.0, 50, 150}, {-0.0, 50, -250}});
  kvhost::FreeObject(spline);

  kvhost::SetParameter(doc, arrow, KV_PRIM_PLANE, std::int32_t{2});
  kvhost::SetParameter(doc, arrow, KV_PRIM_REVERSE, false);
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
  kvhost::SetParameter(doc, arrow, KV_PRIM_PLANE, std::int32_t{1});
  kvhost::FailNextSplineStorage();
  KvNode* spline = kvhost::GetContour(arrow, doc);
  ASSERT_NE(spline, nullptr);
  EXPECT_TRUE(kvhost::SplinePoints(spline).empty());
  EXPECT_TRUE(kvtest::Bool(spline, KV_SPLINEOBJECT_CLOSED));
  EXPECT_EQ(kvtest::Int(spline, KV_SPLINEOBJECT_INTERPOLATION), 3);
  EXPECT_EQ(MessageTypes(spline), (std::vector<std::int32_t>{KV_MSG_UPDATE}));  // no second message
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
  EXPECT_EQ(kvtest::Int(spline, KV_SPLINEOBJECT_INTERPOLATION), 0);
  EXPECT_EQ(kvtest::Float(spline, KV_SPLINEOBJECT_ANGLE), 0.0);
  kvhost::FreeObject(spline);
}

// Each shape parameter, written out independently of the module, with the field of the
// settings record it feeds.
struct ShapeField {
  std::int32_t id;
  double ArrowSettings::*number;
  bool ArrowSettings::*flag;
};

const ShapeField kShapeFields[] = {
    {ARROW_SHAFT_LENGTH, &ArrowSettings::shaftLength, nullptr},
    {ARROW_SHAFT_WIDTH, &ArrowSettings::shaftWidth, nullptr},
    {ARROW_HEAD_LENGTH, &ArrowSettings::headLength, nullptr},
    {ARROW_HEAD_WIDTH, &ArrowSettings::headWidth, nullptr},
    {ARROW_CHEVRON_HEAD, nullptr, &ArrowSettings::chevronHead},
    {ARROW_CHEVRON_SQUARE_ENDS, nullptr, &ArrowSettings::chevronSquareEnds},
    {ARROW_CHEVRON_THICKNESS, &ArrowSettings::chevronThickness, nullptr},
    {ARROW_TAIL_NOTCH, &ArrowSettings::tailNotch, nullptr},
    {ARROW_TAPER_HEAD, &ArrowSettings::taperHead, nullptr},
    {ARROW_TAPER_TAIL, &ArrowSettings::taperTail, nullptr},
    {ARROW_HEAD_SWEEP, &ArrowSettings::headSweep, nullptr},
    {ARROW_SHAFT, nullptr, &ArrowSettings::hasShaft},
    {ARROW_FLETCHING, nullptr, &ArrowSettings::fletching},
    {ARROW_FLETCHING_LENGTH, &ArrowSettings::fletchingLength, nullptr},
    {ARROW_FLETCHING_HEIGHT, &ArrowSettings::fletchingHeight, nullptr},
    {ARROW_FLETCHING_SWEEP, &ArrowSettings::fletchingSweep, nullptr},
    {ARROW_BEVEL_SIZE, &ArrowSettings::bevelSize, nullptr},
    {ARROW_BEVEL, nullptr, &ArrowSettings::bevel},
    {ARROW_DOUBLE, nullptr, &ArrowSettings::doubleArrow},
    {ARROW_DOUBLE_SHAFT_LENGTH, &ArrowSettings::doubleShaftLength, nullptr},
    {ARROW_DOUBLE_SHAFT_WIDTH, &ArrowSettings::doubleShaftWidth, nullptr},
};

ArrowSettings SettingsOf(KvNode* arrow) {
  ArrowSettings s{};
  for (const ShapeField& f : kShapeFields) {
    if (f.number != nullptr) s.*f.number = kvtest::Float(arrow, f.id);
    if (f.flag != nullptr) s.*f.flag = kvtest::Bool(arrow, f.id);
  }
  return s;
}

Points PointsOf(const ArrowOutline& outline) {
  Points points;
  for (int i = 0; i < outline.count; ++i) {
    const ArrowPoint& p = outline.points[static_cast<size_t>(i)];
    points.push_back({p.x, p.y, p.z});
  }
  return points;
}

// Every shape parameter changed alone, on an arrow where it matters, moves the contour
// exactly as the same change of its own field moves the outline: a parameter read into
// the wrong field shows here.
TEST_P(Contour, EachShapeParameterFeedsItsOwnField) {
  using Edits = std::vector<std::pair<std::int32_t, kvhost::Value>>;
  const Edits fletched = {{ARROW_FLETCHING, true},   {ARROW_TAIL_NOTCH, 30.0},
                          {ARROW_TAPER_HEAD, 0.2},   {ARROW_TAPER_TAIL, 0.5},
                          {ARROW_HEAD_SWEEP, 20.0}};
  struct Row {
    Edits base;
    std::int32_t id;
    kvhost::Value value;
  };
  const Row rows[] = {
      {fletched, ARROW_SHAFT_LENGTH, 333.0},
      {fletched, ARROW_SHAFT_WIDTH, 77.0},
      {fletched, ARROW_HEAD_LENGTH, 123.0},
      {fletched, ARROW_HEAD_WIDTH, 61.0},
      {{}, ARROW_CHEVRON_HEAD, true},
      {{{ARROW_CHEVRON_HEAD, true}}, ARROW_CHEVRON_SQUARE_ENDS, true},
      {{{ARROW_CHEVRON_HEAD, true}}, ARROW_CHEVRON_THICKNESS, 31.0},
      {fletched, ARROW_TAIL_NOTCH, 12.0},
      {fletched, ARROW_TAPER_HEAD, 0.35},
      {fletched, ARROW_TAPER_TAIL, 0.15},
      {fletched, ARROW_HEAD_SWEEP, 7.0},
      {{}, ARROW_SHAFT, false},
      {{}, ARROW_FLETCHING, true},
      {fletched, ARROW_FLETCHING_LENGTH, 44.0},
      {fletched, ARROW_FLETCHING_HEIGHT, 21.0},
      {fletched, ARROW_FLETCHING_SWEEP, 9.0},
      {{{ARROW_BEVEL, true}}, ARROW_BEVEL_SIZE, 4.0},
      {{}, ARROW_BEVEL, true},
      {{}, ARROW_DOUBLE, true},
      {{{ARROW_DOUBLE, true}}, ARROW_DOUBLE_SHAFT_LENGTH, 222.0},
      {{{ARROW_DOUBLE, true}}, ARROW_DOUBLE_SHAFT_WIDTH, 66.0},
  };
  ASSERT_EQ(std::size(rows), std::size(kShapeFields));
  // A parameter that fills a field of the record has its row here, even a new one.
  for (const ArrowParameter& p : kArrowParameters) {
    if (p.length == nullptr && p.flag == nullptr) continue;
    bool found = false;
    for (const Row& row : rows) found = found || row.id == p.id;
    EXPECT_TRUE(found) << "parameter " << p.id << " fills a field but has no row";
  }
  for (const Row& row : rows) {
    SCOPED_TRACE("parameter " + std::to_string(row.id));
    KvNode* arrow = NewArrow();
    for (const auto& [id, value] : row.base) kvhost::SetParameter(doc, arrow, id, value);
    KvNode* before = kvhost::GetContour(arrow, doc);
    kvhost::SetParameter(doc, arrow, row.id, row.value);
    KvNode* after = kvhost::GetContour(arrow, doc);
    ASSERT_NE(before, nullptr);
    ASSERT_NE(after, nullptr);
    const Points unmoved = kvhost::SplinePoints(before);
    const Points moved = kvhost::SplinePoints(after);
    bool changed = moved.size() != unmoved.size();
    for (size_t i = 0; !changed && i < moved.size(); ++i) {
      changed = unmoved[i].x != moved[i].x || unmoved[i].y != moved[i].y;
    }
    EXPECT_TRUE(changed) << "the edit must move the outline for this row to test anything";
    ExpectPoints(moved, PointsOf(BuildArrowOutline(SettingsOf(arrow))));
    kvhost::FreeObject(before);
    kvhost::FreeObject(after);
  }
}

// Values large enough to overflow the outline's arithmetic give no contour at all rather
// than a spline with infinite or NaN points; nothing is left allocated.
TEST_P(Contour, ValuesThatOverflowTheOutlineGiveNoContour) {
  const double huge = std::numeric_limits<double>::max();
  const std::vector<std::vector<std::pair<std::int32_t, kvhost::Value>>> cases = {
      {{ARROW_HEAD_WIDTH, huge}},
      {{ARROW_SHAFT_WIDTH, huge}, {ARROW_TAPER_TAIL, 4.0}},
      {{ARROW_HEAD_SWEEP, huge}, {ARROW_HEAD_LENGTH, huge}},
      {{ARROW_SHAFT, false}, {ARROW_HEAD_SWEEP, -huge}, {ARROW_HEAD_LENGTH, -huge}},
      {{ARROW_DOUBLE, true}, {ARROW_HEAD_LENGTH, huge}},
      {{ARROW_CHEVRON_HEAD, true}, {ARROW_HEAD_WIDTH, huge}},
      {{ARROW_BEVEL, true}, {ARROW_HEAD_WIDTH, huge}},
  };
  for (const auto& edits : cases) {
    SCOPED_TRACE("first edit " + std::to_string(edits.front().first));
    KvNode* arrow = NewArrow();
    for (const auto& [id, value] : edits) kvhost::SetParameter(doc, arrow, id, value);
    bool finite = true;
    for (const KvVector& p : PointsOf(BuildArrowOutline(SettingsOf(arrow)))) {
      finite = finite && std::isfinite(p.x) && std::isfinite(p.y);
    }
    ASSERT_FALSE(finite) << "the case must overflow the outline";
    const auto live = kvhost::LiveAllocations();
    KvNode* spline = kvhost::GetContour(arrow, doc);
    EXPECT_EQ(spline, nullptr);
    if (spline != nullptr) kvhost::FreeObject(spline);
    EXPECT_EQ(kvhost::LiveAllocations(), live);
  }
}

KV_INSTANTIATE_FLAVOURS(Contour);

}  // namespace
