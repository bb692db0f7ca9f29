// What the tool makes of the user's values: numbers shown as stored, edits the panel would
// refuse or grey warned about (refused with --strict), choices and names typed loosely.
#include <regex>

#include "cli_runner.h"

namespace kvcli {
namespace {

bool Mentions(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// "NAME   value" as preset show prints it.
std::string ShownLine(const std::string& out, const std::string& name) {
  for (const std::string& line : Lines(out)) {
    if (line.rfind("  " + name + " ", 0) == 0) return std::regex_replace(line, std::regex(" +"), " ");
  }
  return "";
}

TEST(ShownNumbers, APresetRoundTripShowsTheValuesAsTyped) {
  TempDir dir;
  const Result save = Keelvane({"preset", "save", "--output", (dir / "p").string(), "--set",
                                "ARROW_HEAD_LENGTH=77.7", "--set", "ARROW_TAPER_HEAD=0.333", "--set",
                                "SPLINEOBJECT_ANGLE=0.08726646259971647"});
  ASSERT_EQ(save.status, kvtool::kStatusOk) << save.err;
  const Result text = Keelvane({"preset", "show", (dir / "p.kvp").string()});
  ASSERT_EQ(text.status, kvtool::kStatusOk) << text.err;
  EXPECT_EQ(ShownLine(text.out, "ARROW_HEAD_LENGTH"), " ARROW_HEAD_LENGTH 77.7");
  EXPECT_EQ(ShownLine(text.out, "ARROW_TAPER_HEAD"), " ARROW_TAPER_HEAD 0.333");
  EXPECT_EQ(ShownLine(text.out, "SPLINEOBJECT_ANGLE"), " SPLINEOBJECT_ANGLE 0.08726646");
  // JSON keeps the stored doubles exactly.
  const Result json = Keelvane({"preset", "show", (dir / "p.kvp").string(), "--format", "json"});
  EXPECT_EQ(nlohmann::json::parse(json.out)["ARROW_HEAD_LENGTH"].get<double>(),
            static_cast<double>(77.7f));
  const Result outline = Keelvane({"outline", "--preset", (dir / "p.kvp").string()});
  EXPECT_TRUE(Mentions(outline.out, "angle 0.08726646,")) << outline.out;
}

TEST(ShownNumbers, NoNegativeZeroInTextCsvOrSvg) {
  for (const char* plane : {"PRIM_PLANE=1", "PRIM_PLANE=2"}) {
    for (const char* format : {"text", "csv", "svg", "obj"}) {
      const Result r = Keelvane({"outline", "--set", plane, "--format", format});
      ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
      EXPECT_FALSE(std::regex_search(r.out, std::regex("(^|[^0-9.e])-0(\\.0*)?([^0-9.]|$)")))
          << plane << " " << format << ":\n" << r.out;
    }
  }
}

TEST(EditWarnings, NameTheParameterAndItsRangeOrSwitchAndKeepTheValue) {
  struct Case {
    std::vector<std::string> sets;
    std::vector<std::string> mentioned;
  };
  const std::vector<Case> cases{
      {{"ARROW_TAPER_HEAD=50"}, {"ARROW_TAPER_HEAD=50", "5000 %", "from 0 to 100 %", "fraction"}},
      {{"PRIM_PLANE=7"}, {"PRIM_PLANE=7", "none of its choices", "0 XY, 1 ZY, 2 XZ"}},
      {{"ARROW_HEAD_LENGTH=-5"}, {"ARROW_HEAD_LENGTH=-5", "at least 0"}},
      {{"ARROW_DOUBLE=on", "ARROW_SHAFT_LENGTH=999"},
       {"ARROW_SHAFT_LENGTH is greyed out", "while ARROW_DOUBLE is on"}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    std::vector<std::string> args{"preset", "save", "--output", (dir / "w").string()};
    for (const std::string& set : c.sets) args.insert(args.end(), {"--set", set});
    const Result warned = Keelvane(args);
    EXPECT_EQ(warned.status, kvtool::kStatusOk) << warned.err;
    for (const std::string& part : c.mentioned) {
      EXPECT_TRUE(Mentions(warned.err, "warning: ")) << warned.err;
      EXPECT_TRUE(Mentions(warned.err, part)) << part << " in " << warned.err;
    }
    // Stored as given: the preset carries the last edit's value.
    const std::string& last = c.sets.back();
    const std::string name = last.substr(0, last.find('='));
    const auto stored = nlohmann::json::parse(
        Keelvane({"preset", "show", (dir / "w.kvp").string(), "--format", "json"}).out)[name];
    EXPECT_EQ(stored.get<double>(), std::stod(last.substr(last.find('=') + 1))) << last;

    args.push_back("--strict");
    std::filesystem::remove(dir / "w.kvp");
    const Result strict = Keelvane(args);
    EXPECT_EQ(strict.status, kvtool::kStatusBadInput) << last;
    EXPECT_TRUE(Mentions(strict.err, c.mentioned.front())) << strict.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "w.kvp")) << last;
  }
  const Result plain = Keelvane({"outline", "--strict", "--set", "ARROW_HEAD_LENGTH=120"});
  EXPECT_EQ(plain.status, kvtool::kStatusOk);
  EXPECT_TRUE(plain.err.empty()) << plain.err;
}

TEST(EditWarnings, InAScenePrefixTheLineAndStrictStopsThere) {
  const std::string script = "arrow a\nset a ARROW_DOUBLE=on\nset a ARROW_SHAFT_LENGTH=999\nprint tree\n";
  const Result warned = Keelvane({"scene"}, script);
  EXPECT_EQ(warned.status, kvtool::kStatusOk) << warned.err;
  EXPECT_TRUE(Mentions(warned.err, "<stdin>:3: warning: ARROW_SHAFT_LENGTH is greyed out")) << warned.err;
  const Result strict = Keelvane({"scene", "--strict"}, script);
  EXPECT_EQ(strict.status, kvtool::kStatusBadInput);
  EXPECT_TRUE(Mentions(strict.err, "<stdin>:3:")) << strict.err;
  EXPECT_FALSE(Mentions(strict.out, "tree:")) << strict.out;
}

TEST(EditNames, ChoicesAndParametersGoByNameInAnyCase) {
  struct Case {
    const char* set;
    const char* key;
    int value;
  };
  for (const Case& c : std::vector<Case>{{"PRIM_PLANE=ZY", "PRIM_PLANE", 1},
                                         {"prim_plane=xz", "PRIM_PLANE", 2},
                                         {"PRIM_PLANE=PRIM_PLANE_XY", "PRIM_PLANE", 0},
                                         {"SPLINEOBJECT_INTERPOLATION=adaptive", "SPLINEOBJECT_INTERPOLATION", 3},
                                         {"SplineObject_Interpolation=None", "SPLINEOBJECT_INTERPOLATION", 0}}) {
    const Result r = Keelvane({"outline", "--format", "json", "--set", c.set});
    ASSERT_EQ(r.status, kvtool::kStatusOk) << c.set << ": " << r.err;
    EXPECT_EQ(nlohmann::json::parse(r.out)[c.key], c.value) << c.set;
  }
  const Result choice = Keelvane({"outline", "--set", "PRIM_PLANE=YX"});
  EXPECT_EQ(choice.status, kvtool::kStatusBadInput);
  EXPECT_TRUE(Mentions(choice.err, "none of the choices (0 XY, 1 ZY, 2 XZ)")) << choice.err;
  const Result typo = Keelvane({"outline", "--set", "ARROW_HEAD_LENGHT=3"});
  EXPECT_EQ(typo.status, kvtool::kStatusBadInput);
  EXPECT_TRUE(Mentions(typo.err, "did you mean ARROW_HEAD_LENGTH?")) << typo.err;
  const Result far = Keelvane({"outline", "--set", "WIBBLE=3"});
  EXPECT_FALSE(Mentions(far.err, "did you mean")) << far.err;
}

TEST(EditNames, ParamsListRangesUnitsAndChoices) {
  const Result text = Keelvane({"params"});
  ASSERT_EQ(text.status, kvtool::kStatusOk) << text.err;
  for (const char* part : {"from 0 to 100 %", "0 XY, 1 ZY, 2 XZ", "at least 0"}) {
    EXPECT_TRUE(Mentions(text.out, part)) << part;
  }
  const auto list = nlohmann::json::parse(Keelvane({"params", "--json"}).out);
  for (const auto& p : list) {
    if (p["name"] == "PRIM_PLANE") {
      EXPECT_EQ(p["choices"][1]["name"], "ZY");
    }
  }
}

}  // namespace
}  // namespace kvcli
