// Loading, starting and unloading the module many times in one process leaves nothing
// behind in the host.
#include "module_fixture.h"

namespace {

class LoadUnload : public ::testing::TestWithParam<kvtest::Flavour> {};

TEST_P(LoadUnload, AThousandCyclesLeakNothing) {
  kvhost::ResetHost();
  std::int64_t afterFirst = -1;
  for (int i = 0; i < 1000; ++i) {
    std::string error;
    auto module = kvhost::Module::Load(GetParam().modulePath, &error);
    ASSERT_NE(module, nullptr) << error;
    ASSERT_TRUE(module->Start()) << "cycle " << i;
    KvDocument* doc = kvhost::NewDocument();
    KvNode* arrow = kvhost::CreateObjectFromMenu(doc, Okeelvane);
    ASSERT_NE(arrow, nullptr);
    KvNode* spline = kvhost::GetContour(arrow, doc);
    ASSERT_NE(spline, nullptr);
    kvhost::FreeObject(spline);
    kvhost::FreeDocument(doc);
    module.reset();
    ASSERT_EQ(kvhost::LiveAllocations(), 0) << "cycle " << i;
    if (i == 0) afterFirst = kvhost::LiveAllocations();
  }
  EXPECT_EQ(kvhost::LiveAllocations(), afterFirst);
  kvhost::ResetHost();
}

KV_INSTANTIATE_FLAVOURS(LoadUnload);

}  // namespace
