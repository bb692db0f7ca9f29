// The host and the SDK client layer tested together on a module of their own: loaded
// through its entry point, creating and editing objects through the client layer.
#include <gtest/gtest.h>

#include "fixture_ids.h"
#include "host.h"
#include "started_module.h"

namespace {

using namespace fixture;

class FixtureModule : public kvtest::StartedModule<::testing::Test> {
 protected:
  std::string ModulePath() const override { return FIXTURE_MODULE_PATH; }
};

TEST_F(FixtureModule, RegistersThroughTheEntryPoint) {
  EXPECT_EQ(module->Identifier(), "net.keelvane.test.fixture");
  const kvhost::PluginEntry* plugin = kvhost::FindPlugin(kObjectType);
  ASSERT_NE(plugin, nullptr);
  ASSERT_EQ(module->Calls().size(), 3u);
  EXPECT_EQ(module->Calls()[0].action, KV_ACTION_INIT_SYSTEM);
  EXPECT_EQ(module->Calls()[1].action, KV_ACTION_MESSAGE);
  EXPECT_EQ(module->Calls()[2].action, KV_ACTION_START);
}

TEST_F(FixtureModule, ObjectFromTheMenuIsInitialisedAndUndoable) {
  KvNode* op = kvhost::CreateObjectFromMenu(doc, kObjectType);
  ASSERT_NE(op, nullptr);
  EXPECT_EQ(std::get<std::int32_t>(*kvhost::GetParameter(kvhost::Container(op), kCount)), 42);
  EXPECT_EQ(std::get<std::string>(*kvhost::GetParameter(kvhost::Container(op), kLabel)), "fixture");
  ASSERT_EQ(kvhost::TopObjects(doc).size(), 1u);

  ASSERT_TRUE(kvhost::Undo(doc));
  EXPECT_TRUE(kvhost::TopObjects(doc).empty());
  ASSERT_TRUE(kvhost::Redo(doc));
  EXPECT_EQ(kvhost::TopObjects(doc).size(), 1u);
}

TEST_F(FixtureModule, ButtonInsertsAnObjectAsOneUndoStep) {
  KvNode* op = kvhost::CreateObjectFromMenu(doc, kObjectType);
  ASSERT_NE(op, nullptr);
  const size_t stepsBefore = kvhost::UndoHistory(doc).size();
  EXPECT_TRUE(kvhost::PressButton(op, kAddNull));

  const auto history = kvhost::UndoHistory(doc);
  ASSERT_EQ(history.size(), stepsBefore + 1);
  ASSERT_EQ(history.back().records.size(), 2u);
  EXPECT_EQ(history.back().records[0].type, KV_UNDOTYPE_NEWOBJ);
  EXPECT_EQ(history.back().records[1].type, KV_UNDOTYPE_CHANGE);
  EXPECT_EQ(kvhost::TopObjects(doc).size(), 2u);
  EXPECT_EQ(std::get<std::int32_t>(*kvhost::GetParameter(kvhost::Container(op), kCount)), 43);

  ASSERT_TRUE(kvhost::Undo(doc));
  EXPECT_EQ(kvhost::TopObjects(doc).size(), 1u);
  EXPECT_EQ(std::get<std::int32_t>(*kvhost::GetParameter(kvhost::Container(op), kCount)), 42);
}

TEST_F(FixtureModule, EditsEnablingAndContourGoThroughThePlugin) {
  KvNode* op = kvhost::CreateObjectFromMenu(doc, kObjectType);
  ASSERT_NE(op, nullptr);
  EXPECT_TRUE(kvhost::IsEnabled(op, kDependent));
  kvhost::SetParameter(doc, op, kCount, std::int32_t{7});
  EXPECT_FALSE(kvhost::IsEnabled(op, kDependent));

  KvNode* spline = kvhost::GetContour(op, doc);
  ASSERT_NE(spline, nullptr);
  const auto points = kvhost::SplinePoints(spline);
  ASSERT_EQ(points.size(), 3u);
  EXPECT_EQ(points[1].x, 7.0);
  EXPECT_EQ(points[2].y, 7.0);
  kvhost::FreeObject(spline);

  ASSERT_TRUE(kvhost::Undo(doc));  // the edit
  EXPECT_TRUE(kvhost::IsEnabled(op, kDependent));
}

TEST_F(FixtureModule, AccountingCatchesWhatTheModuleLeaks) {
  KvNode* op = kvhost::CreateObjectFromMenu(doc, kObjectType);
  ASSERT_NE(op, nullptr);
  const auto memory = kvhost::LiveAllocations(kvhost::AllocKind::Memory);
  const auto containers = kvhost::LiveAllocations(kvhost::AllocKind::Container);

  kvhost::PressButton(op, kAddNull);  // makes only objects the document owns
  EXPECT_EQ(kvhost::LiveAllocations(kvhost::AllocKind::Memory), memory);
  EXPECT_EQ(kvhost::LiveAllocations(kvhost::AllocKind::Container), containers);

  kvhost::PressButton(op, kLeakMemory);
  EXPECT_EQ(kvhost::LiveAllocations(kvhost::AllocKind::Memory), memory + 1);
  kvhost::PressButton(op, kLeakContainer);
  EXPECT_EQ(kvhost::LiveAllocations(kvhost::AllocKind::Container), containers + 1);
}

TEST_F(FixtureModule, FailedObjectAllocationEndsTheButtonQuietly) {
  KvNode* op = kvhost::CreateObjectFromMenu(doc, kObjectType);
  ASSERT_NE(op, nullptr);
  const size_t steps = kvhost::UndoHistory(doc).size();
  kvhost::FailNextAllocation(kvhost::AllocKind::Object);
  EXPECT_TRUE(kvhost::PressButton(op, kAddNull));
  EXPECT_EQ(kvhost::UndoHistory(doc).size(), steps);
  EXPECT_EQ(kvhost::TopObjects(doc).size(), 1u);
}

TEST(FixtureModuleLoading, RepeatedLoadAndUnloadLeavesNothingBehind) {
  kvhost::ResetHost();
  for (int i = 0; i < 50; ++i) {
    std::string error;
    auto module = kvhost::Module::Load(FIXTURE_MODULE_PATH, &error);
    ASSERT_NE(module, nullptr) << error;
    ASSERT_TRUE(module->Start());
  }
  EXPECT_EQ(kvhost::LiveAllocations(), 0);
  kvhost::ResetHost();
}

}  // namespace
