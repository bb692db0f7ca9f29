// The module loader and the entry protocol, and plug-in objects as the host drives them,
// with a small module written against the tables in this file.
#include <gtest/gtest.h>

#include "host.h"

namespace {

using namespace kvhost;

constexpr std::int32_t kPluginId = 1000001;

// ---- An in-process module: one object plug-in with a contour ------------------------

const KvHostTables* g_tables = nullptr;
int g_destroyed = 0;
std::vector<std::int32_t> g_messages;  // what the plug-in's Message saw
KvModuleRecord g_record = {{0, 0}, KV_TABLE_LAYOUT_VERSION, 0, "net.keelvane.inprocess"};

void* Allocate(void*) { return g_tables->t_C4DOS_Ge->Alloc(16); }
void Destroy(void* data) {
  ++g_destroyed;
  g_tables->t_C4DOS_Ge->Free(data);
}
bool Init(void*, KvNode* node) {
  g_tables->t_C4DOS_Bc->SetInt32(*g_tables->t_C4DOS_Bl->GetDataInstance(node), 10000, 3);
  return true;
}
bool Message(void*, KvNode*, int32_t type, void* data) {
  g_messages.push_back(type);
  if (type == KV_MSG_DESCRIPTION_POSTSETPARAMETER) {
    g_messages.push_back(static_cast<KvMsgPostSetParameter*>(data)->descid->level[0].id);
  }
  if (type == KV_MSG_DESCRIPTION_COMMAND) {
    g_messages.push_back(static_cast<KvMsgDescriptionCommand*>(data)->id.level[0].id);
  }
  return true;
}
bool Enabling(void*, KvNode*, const KvDescId* id, const void*, int32_t, const KvContainer*) {
  return id->depth == 1 && id->level[0].id != 10010;
}
KvNode* Contour(void*, KvNode* op, KvDocument*, double, void*) {
  const int32_t n = g_tables->t_C4DOS_Bc->GetInt32(*g_tables->t_C4DOS_Bl->GetDataInstance(op), 10000, 0);
  KvNode* spline = g_tables->t_C4DOS_Bo->AllocSpline(n, 0);
  if (spline == nullptr) return nullptr;
  KvNode* tag = g_tables->t_C4DOS_Tg->GetTag(spline, KV_TAG_POINT, 0);
  auto* p = static_cast<double*>(g_tables->t_C4DOS_Tg->GetDataAddressW(tag));
  for (int32_t i = 0; p != nullptr && i < n; ++i) p[3 * i] = i;
  return spline;
}

int32_t InProcessMain(int32_t action, intptr_t first, void*, void* third) {
  switch (action) {
    case KV_ACTION_INIT_SYSTEM:
      g_tables = reinterpret_cast<const KvHostTables*>(first);
      return third != nullptr ? KV_RESULT_OK : KV_RESULT_REFUSED;
    case KV_ACTION_START: {
      KvObjectPluginRecord r{};
      r.info = KV_OBJECT_GENERATOR | KV_OBJECT_ISSPLINE;
      r.Allocator = Allocate;
      r.Destructor = Destroy;
      r.Init = Init;
      r.Message = Message;
      r.GetDEnabling = Enabling;
      r.GetContour = Contour;
      KvString* name = g_tables->t_C4DOS_St->Alloc("Probe", -1);
      const bool ok = g_tables->t_C4DOS_Pl->RegisterObjectPlugin(KV_PLUGINTYPE_OBJECT, kPluginId, name,
                                                                 &r, sizeof(r));
      g_tables->t_C4DOS_St->Free(name);
      return ok ? KV_RESULT_OK : KV_RESULT_FAILED;
    }
    case KV_ACTION_END:
      return KV_RESULT_OK;
    case KV_ACTION_MESSAGE:
      return first == KV_PLUGINMESSAGE_LOAD_RESOURCES ? KV_RESULT_OK : KV_RESULT_UNHANDLED;
    default:
      return KV_RESULT_UNHANDLED;
  }
}

class Modules : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetHost();
    g_destroyed = 0;
    g_messages.clear();
  }
  void TearDown() override { ResetHost(); }
  std::string Lib(const char* name) { return std::string(KV_TEST_MODULE_DIR) + "/" + name + ".so"; }
};

TEST_F(Modules, InProcessStartRegistersAndUnloadReleases) {
  std::string error;
  auto module = Module::InProcess(InProcessMain, &g_record, "/plugins/probe/probe.so", &error);
  ASSERT_NE(module, nullptr) << error;
  ASSERT_TRUE(module->Start());
  EXPECT_EQ(module->Identifier(), "net.keelvane.inprocess");
  ASSERT_EQ(module->Calls().size(), 3u);
  EXPECT_EQ(module->Calls()[0].action, 1);
  EXPECT_EQ(module->Calls()[1].action, 6);
  EXPECT_EQ(module->Calls()[1].first, 1);
  EXPECT_EQ(module->Calls()[2].action, 2);
  const PluginEntry* p = FindPlugin(kPluginId);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->name, "Probe");
  EXPECT_EQ(p->record.info, KV_OBJECT_GENERATOR | KV_OBJECT_ISSPLINE);
  EXPECT_FALSE(p->icon.has_value());
  EXPECT_EQ(LiveAllocations(), 0) << "host path and the module's name string released";

  KvDocument* doc = NewDocument();
  KvNode* node = CreateObjectFromMenu(doc, kPluginId);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(HostTables()->t_C4DOS_Bc->GetInt32(Container(node), 10000, 0), 3) << "Init ran";
  EXPECT_EQ(g_messages, (std::vector<std::int32_t>{22}));
  SetParameter(doc, node, 10000, std::int32_t{5});
  PressButton(node, 10200);
  EXPECT_EQ(g_messages, (std::vector<std::int32_t>{22, 17, 10000, 18, 10200}));
  ASSERT_EQ(MessageLog(node).size(), 3u);
  EXPECT_EQ(UndoHistory(doc).size(), 2u) << "the button opens no group";

  const std::int64_t before = LiveAllocations();
  KvNode* spline = GetContour(node, doc);
  ASSERT_NE(spline, nullptr);
  EXPECT_EQ(SplinePointCount(spline), 5);
  EXPECT_EQ(SplinePoints(spline)[4].x, 4.0);
  FreeObject(spline);
  EXPECT_EQ(LiveAllocations(), before);
  EXPECT_TRUE(IsEnabled(node, 10000));
  EXPECT_FALSE(IsEnabled(node, 10010));

  module.reset();  // action 3, then the plug-in's objects lose their data
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(FindPlugin(kPluginId), nullptr);
  EXPECT_EQ(LiveAllocations(AllocKind::Memory), 0);
}

TEST_F(Modules, AllocationFaultsPerKind) {
  auto module = Module::InProcess(InProcessMain, &g_record, "/p/probe.so", nullptr);
  ASSERT_TRUE(module->Start());
  KvDocument* doc = NewDocument();
  FailNextAllocation(AllocKind::Object);
  EXPECT_EQ(CreateObjectFromMenu(doc, kPluginId), nullptr);
  FailNextAllocation(AllocKind::Memory);
  EXPECT_EQ(CreateObjectFromMenu(doc, kPluginId), nullptr) << "the allocator got no memory";
  EXPECT_EQ(LiveAllocations(), 0);
  KvNode* node = CreateObjectFromMenu(doc, kPluginId);
  ASSERT_NE(node, nullptr);
  FailNextAllocation(AllocKind::Spline);
  EXPECT_EQ(GetContour(node, doc), nullptr);
  FailNextSplineStorage();
  KvNode* bare = GetContour(node, doc);
  ASSERT_NE(bare, nullptr);
  EXPECT_TRUE(SplinePoints(bare).empty());
  FreeObject(bare);
  const KvHostTables* t = HostTables();
  for (AllocKind kind : {AllocKind::Container, AllocKind::String, AllocKind::PathHolder,
                         AllocKind::File}) {
    FailNextAllocation(kind);
  }
  EXPECT_EQ(t->t_C4DOS_Bc->Alloc(), nullptr);
  EXPECT_EQ(t->t_C4DOS_St->Alloc("x", 1), nullptr);
  EXPECT_EQ(t->t_C4DOS_Fn->Alloc(), nullptr);
  EXPECT_EQ(t->t_C4DOS_Bf->Alloc(), nullptr);
  KvContainer* c = t->t_C4DOS_Bc->Alloc();
  EXPECT_NE(c, nullptr) << "a fault fires once";
  t->t_C4DOS_Bc->Free(c);
}

TEST_F(Modules, AccountingCatchesAnUnreleasedAllocation) {
  const KvHostTables* t = HostTables();
  const std::int64_t before = LiveAllocations();
  KvContainer* c = t->t_C4DOS_Bc->Alloc();
  KvString* s = t->t_C4DOS_St->Alloc("leak", -1);
  void* m = t->t_C4DOS_Ge->Alloc(8);
  EXPECT_EQ(LiveAllocations(), before + 3);
  EXPECT_EQ(LiveAllocations(AllocKind::Container), 1);
  t->t_C4DOS_Bc->Free(c);
  t->t_C4DOS_St->Free(s);
  EXPECT_EQ(LiveAllocations(), before + 1) << "the memory block is still live";
  t->t_C4DOS_Ge->Free(m);
  EXPECT_EQ(LiveAllocations(), before);
  int foreign = 0;
  t->t_C4DOS_Ge->Free(&foreign);
  EXPECT_EQ(HostErrors().size(), 1u);
}

TEST_F(Modules, RawCallsAndANullSubTable) {
  auto module = Module::InProcess(InProcessMain, &g_record, "", nullptr);
  EXPECT_EQ(module->InitialiseWithoutPath(), -3);
  SetHostApiVersion(2024900);
  NullSubTableForNextCall(SubTableIndex("t_C4DOS_Bc"));
  EXPECT_EQ(module->Initialise(), 1);
  EXPECT_EQ(g_tables->apiVersion, 2024900);
  EXPECT_EQ(g_tables->t_C4DOS_Bc, nullptr);
  EXPECT_EQ(module->Initialise(), 1);
  EXPECT_NE(g_tables->t_C4DOS_Bc, nullptr) << "only for one call";
  EXPECT_EQ(module->Call(KV_ACTION_PROBE, 0, nullptr, nullptr), KV_RESULT_UNHANDLED);
  EXPECT_EQ(module->Calls().back().action, KV_ACTION_PROBE);
  EXPECT_EQ(SubTableIndex("FL"), 36);
  EXPECT_EQ(SubTableIndex("Ge"), 0);
  EXPECT_EQ(SubTableIndex("nope"), -1);
  const KvHostTables* t = HostTables();
  EXPECT_EQ(t->t_C4DOS_Ge->header.layoutVersion, KV_TABLE_LAYOUT_VERSION);
  EXPECT_EQ(t->t_C4DOS_Ge->header.size, sizeof(KvGeneralTable));
  EXPECT_EQ(t->t_C4DOS_Sh->header.size, sizeof(KvUnusedTable));
  EXPECT_NE(t->t_C4DOS_FL, nullptr);
  module.reset();  // three action 1 calls are matched by three action 3 calls
  // (the module object is gone; its calls were checked above)
}

// Every sub-table the host hands over is there, of this layout and size, with every
// function set: a table entry the host forgot to fill shows here by name.
TEST_F(Modules, EveryTableTheHostHandsOverIsWhole) {
  const KvHostTables* t = HostTables();
#define KV_EXPECT_WHOLE(name, type)                                                          \
  ASSERT_NE(t->t_C4DOS_##name, nullptr) << #name;                                         \
  EXPECT_EQ(t->t_C4DOS_##name->header.layoutVersion, KV_TABLE_LAYOUT_VERSION) << #name;    \
  EXPECT_EQ(t->t_C4DOS_##name->header.size, sizeof(type)) << #name;                        \
  EXPECT_EQ(KvFirstNullFunction(&t->t_C4DOS_##name->header, sizeof(type)), -1) << #name;
  KV_HOST_SUBTABLES(KV_EXPECT_WHOLE)
#undef KV_EXPECT_WHOLE
}

TEST_F(Modules, SharedLibraryIsDrivenThroughTheProtocol) {
  std::string error;
  auto module = Module::Load(Lib("kv_test_minimal"), &error);
  ASSERT_NE(module, nullptr) << error;
  EXPECT_EQ(module->Identifier(), "net.keelvane.test");
  EXPECT_NE(module->CpuYieldDelegate(), nullptr);
  EXPECT_TRUE(module->Start());
  EXPECT_EQ(module->End(), 1);
  EXPECT_EQ(module->Calls().size(), 4u);
}

TEST_F(Modules, LoaderErrorsNameWhatIsWrong) {
  std::string error;
  EXPECT_EQ(Module::Load(Lib("does_not_exist"), &error), nullptr);
  EXPECT_NE(error.find("cannot load module"), std::string::npos) << error;
  EXPECT_NE(error.find("does_not_exist"), std::string::npos) << error;

  EXPECT_EQ(Module::Load(Lib("kv_test_no_yield"), &error), nullptr);
  EXPECT_NE(error.find("'g_CpuYieldDelegate'"), std::string::npos) << error;

  EXPECT_EQ(Module::Load(Lib("kv_test_wrong_layout"), &error), nullptr);
  EXPECT_NE(error.find("layout version 7"), std::string::npos) << error;
  EXPECT_NE(error.find("host has version 1"), std::string::npos) << error;
}

}  // namespace
