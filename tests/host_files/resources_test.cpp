// The project's resource folder: it loads, its strings are there, and its description,
// header and labels agree with the parameter set that documents store.
#include "okeelvane.h"

#include "file_test_support.h"
#include "resources.h"

namespace {

using namespace kvhost;
using kvtest::FileServicesTest;

struct StoredParameter {
  std::int32_t compiled;  // the value the module's code sees
  const char* symbol;
  std::int32_t id;
  ParamType type;
};

// The arrow's parameter set as documents store it: ids and value types never change.
const StoredParameter kArrowParameters[] = {
    {ARROW_SHAFT_LENGTH, "ARROW_SHAFT_LENGTH", 10000, ParamType::Real},
    {ARROW_SHAFT_WIDTH, "ARROW_SHAFT_WIDTH", 10010, ParamType::Real},
    {ARROW_SHAFT, "ARROW_SHAFT", 10020, ParamType::Bool},
    {ARROW_HEAD_LENGTH, "ARROW_HEAD_LENGTH", 10030, ParamType::Real},
    {ARROW_HEAD_WIDTH, "ARROW_HEAD_WIDTH", 10040, ParamType::Real},
    {ARROW_TAIL_NOTCH, "ARROW_TAIL_NOTCH", 10050, ParamType::Real},
    {ARROW_TAPER_HEAD, "ARROW_TAPER_HEAD", 10060, ParamType::Real},
    {ARROW_TAPER_TAIL, "ARROW_TAPER_TAIL", 10070, ParamType::Real},
    {ARROW_HEAD_SWEEP, "ARROW_HEAD_SWEEP", 10080, ParamType::Real},
    {ARROW_FLETCHING, "ARROW_FLETCHING", 10090, ParamType::Bool},
    {ARROW_FLETCHING_LENGTH, "ARROW_FLETCHING_LENGTH", 10100, ParamType::Real},
    {ARROW_FLETCHING_HEIGHT, "ARROW_FLETCHING_HEIGHT", 10110, ParamType::Real},
    {ARROW_FLETCHING_SWEEP, "ARROW_FLETCHING_SWEEP", 10120, ParamType::Real},
    {ARROW_CHEVRON_HEAD, "ARROW_CHEVRON_HEAD", 10130, ParamType::Bool},
    {ARROW_CHEVRON_SQUARE_ENDS, "ARROW_CHEVRON_SQUARE_ENDS", 10140, ParamType::Bool},
    {ARROW_CHEVRON_THICKNESS, "ARROW_CHEVRON_THICKNESS", 10150, ParamType::Real},
    {ARROW_DOUBLE, "ARROW_DOUBLE", 10160, ParamType::Bool},
    {ARROW_DOUBLE_SHAFT_LENGTH, "ARROW_DOUBLE_SHAFT_LENGTH", 10170, ParamType::Real},
    {ARROW_DOUBLE_SHAFT_WIDTH, "ARROW_DOUBLE_SHAFT_WIDTH", 10180, ParamType::Real},
    {ARROW_PRESET_NAME, "ARROW_PRESET_NAME", 10190, ParamType::String},
    {ARROW_PRESET_LOAD, "ARROW_PRESET_LOAD", 10200, ParamType::Button},
    {ARROW_PRESET_SAVE, "ARROW_PRESET_SAVE", 10210, ParamType::Button},
    {ARROW_RESET, "ARROW_RESET", 10220, ParamType::Button},
    {ARROW_INFO, "ARROW_INFO", 10230, ParamType::Button},
    {ARROW_BEVEL, "ARROW_BEVEL", 10240, ParamType::Bool},
    {ARROW_BEVEL_SIZE, "ARROW_BEVEL_SIZE", 10250, ParamType::Real},
    {ARROW_BEVEL_OPTION, "ARROW_BEVEL_OPTION", 10260, ParamType::Bool},
    {ARROW_MAKE_EXTRUDE, "ARROW_MAKE_EXTRUDE", 10280, ParamType::Button},
    {ARROW_EXTRUDE_CAPS, "ARROW_EXTRUDE_CAPS", 10290, ParamType::Bool},
    {ARROW_MAKE_CLONER, "ARROW_MAKE_CLONER", 10310, ParamType::Button},
    {ARROW_CLONER_ADD_EXTRUDE, "ARROW_CLONER_ADD_EXTRUDE", 10320, ParamType::Bool},
    {ARROW_CLONE_COUNT, "ARROW_CLONE_COUNT", 10330, ParamType::Long},
    {ARROW_CLONE_ON_SPLINE, "ARROW_CLONE_ON_SPLINE", 10340, ParamType::Bool},
    {ARROW_CLONE_SPLINE, "ARROW_CLONE_SPLINE", 10350, ParamType::Link},
    {ARROW_CLONE_PLANE_ZY, "ARROW_CLONE_PLANE_ZY", 10360, ParamType::Bool},
    {ARROW_CLONE_SPLINE_VALUE, "ARROW_CLONE_SPLINE_VALUE", 10370, ParamType::Real},
    {ARROW_WRAP_ADD_EXTRUDE, "ARROW_WRAP_ADD_EXTRUDE", 10390, ParamType::Bool},
    {ARROW_WRAP_SPLINE, "ARROW_WRAP_SPLINE", 10400, ParamType::Link},
    {ARROW_WRAP_SWITCH, "ARROW_WRAP_SWITCH", 10410, ParamType::Bool},
    {ARROW_WRAP_NATURAL_INTERPOLATION, "ARROW_WRAP_NATURAL_INTERPOLATION", 10420, ParamType::Bool},
    {ARROW_MAKE_WRAP, "ARROW_MAKE_WRAP", 10430, ParamType::Button},
};

// The host's own spline settings shown on the arrow; the host, not the header, defines them.
const StoredParameter kHostParameters[] = {
    {0, "SPLINEOBJECT_INTERPOLATION", 1001, ParamType::Long},
    {0, "SPLINEOBJECT_SUB", 1003, ParamType::Long},
    {0, "SPLINEOBJECT_ANGLE", 1004, ParamType::Real},
    {0, "SPLINEOBJECT_MAXIMUMLENGTH", 1005, ParamType::Real},
    {0, "PRIM_PLANE", 2300, ParamType::Long},
    {0, "PRIM_REVERSE", 2301, ParamType::Bool},
};

class ProjectResources : public FileServicesTest {
 protected:
  void SetUp() override {
    FileServicesTest::SetUp();
    ASSERT_TRUE(LoadResourceFolder(KV_RES_DIR, folder, error)) << error;
    desc = FindDescription(folder, "Okeelvane");
    ASSERT_NE(desc, nullptr);
  }
  ResourceFolder folder;
  std::string error;
  const Description* desc = nullptr;
};

TEST_F(ProjectResources, LoadThroughTheTableWithBothStrings) {
  KvResource* res = ResourceTable()->Load(Fn(KV_RES_DIR));
  ASSERT_NE(res, nullptr) << (HostErrors().empty() ? "" : HostErrors().back());
  KvString* name = ResourceTable()->LoadString(res, 10000);
  KvString* info = ResourceTable()->LoadString(res, 10001);
  EXPECT_EQ(StringText(name), "Arrow");
  EXPECT_GT(StringText(info).size(), 100u) << "the info text tells an artist what the switches do";
  EXPECT_NE(StringText(info).find("presets"), std::string::npos) << "and where presets live";
  EXPECT_EQ(ResourceTable()->LoadString(res, 10002), nullptr);
  EXPECT_TRUE(HasDescription(res, "Okeelvane"));
  EXPECT_FALSE(HasDescription(res, "okeelvane")) << "description names are exact";
  FreeString(name);
  FreeString(info);
  EXPECT_EQ(LiveAllocations(AllocKind::Resource), 1);
  ResourceTable()->Free(res);
  EXPECT_EQ(LiveAllocations(AllocKind::Resource), 0);
  EXPECT_TRUE(HostErrors().empty());
}

TEST_F(ProjectResources, DescriptionCarriesEveryStoredParameterWithItsType) {
  EXPECT_EQ(desc->id, 1025060);
  EXPECT_EQ(desc->label, "Arrow");
  for (const StoredParameter& want : kArrowParameters) {
    EXPECT_EQ(want.compiled, want.id) << want.symbol << " as the module's code sees it";
    const DescParameter* p = FindParameter(*desc, want.id);
    ASSERT_NE(p, nullptr) << want.symbol;
    EXPECT_EQ(p->symbol, want.symbol);
    EXPECT_EQ(ParamTypeName(p->type), std::string(ParamTypeName(want.type))) << want.symbol;
    EXPECT_FALSE(p->label.empty()) << want.symbol;
  }
  for (const StoredParameter& want : kHostParameters) {
    EXPECT_EQ(HostSymbolValue(want.symbol), want.id) << want.symbol;
    const DescParameter* p = FindParameter(*desc, want.symbol);
    ASSERT_NE(p, nullptr) << want.symbol;
    EXPECT_EQ(p->id, want.id);
    EXPECT_EQ(ParamTypeName(p->type), std::string(ParamTypeName(want.type))) << want.symbol;
  }
  EXPECT_EQ(desc->parameters.size(), std::size(kArrowParameters) + std::size(kHostParameters))
      << "nothing shown that documents do not store";
}

TEST_F(ProjectResources, HeaderDefinesEachArrowIdOnceAndTheResUsesItOnce) {
  std::size_t arrowSymbols = 0;
  for (const HeaderSymbol& s : desc->header) {
    if (s.name.rfind("ARROW_", 0) != 0) continue;
    ++arrowSymbols;
    int uses = 0;
    for (const DescParameter& p : desc->parameters) uses += p.symbol == s.name;
    EXPECT_EQ(uses, 1) << s.name;
    bool stored = false;
    for (const StoredParameter& want : kArrowParameters) stored |= want.symbol == s.name && want.id == s.value;
    EXPECT_TRUE(stored) << s.name << " = " << s.value << " is not a stored parameter";
  }
  EXPECT_EQ(arrowSymbols, std::size(kArrowParameters));
}

TEST_F(ProjectResources, UnitsRangesAndCycles) {
  EXPECT_EQ(FindParameter(*desc, ARROW_SHAFT_LENGTH)->unit, ParamUnit::Meter);
  EXPECT_EQ(FindParameter(*desc, ARROW_TAPER_HEAD)->unit, ParamUnit::Percent);
  EXPECT_EQ(FindParameter(*desc, "SPLINEOBJECT_ANGLE")->unit, ParamUnit::Degree);
  const DescParameter* count = FindParameter(*desc, ARROW_CLONE_COUNT);
  EXPECT_EQ(count->min, 1.0);
  EXPECT_EQ(count->max, 10000.0);
  const DescParameter* interpolation = FindParameter(*desc, KV_SPLINEOBJECT_INTERPOLATION);
  ASSERT_EQ(interpolation->cycle.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(interpolation->cycle[static_cast<std::size_t>(i)].value, i);
  EXPECT_EQ(interpolation->cycle[3].label, "Adaptive");
  const DescParameter* plane = FindParameter(*desc, KV_PRIM_PLANE);
  ASSERT_EQ(plane->cycle.size(), 3u);
  EXPECT_EQ(plane->cycle[1].label, "ZY");
  EXPECT_EQ(FindParameter(*desc, ARROW_CLONE_SPLINE)->accept, std::vector<std::int32_t>{KV_TYPE_BASE});
  const DescParameter* shaft = FindParameter(*desc, ARROW_SHAFT);
  ASSERT_NE(FindGroup(*desc, shaft->group), nullptr);
  EXPECT_EQ(FindGroup(*desc, shaft->group)->parent, "ID_OBJECTPROPERTIES");
}

}  // namespace
