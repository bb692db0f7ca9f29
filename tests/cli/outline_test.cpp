// keelvane outline: the default arrow's contour in every format, the JSON contract, and
// edits applied in order as the user's edits.
#include <charconv>
#include <regex>

#include "cli_runner.h"

namespace kvcli {
namespace {

using nlohmann::json;

// The default arrow: shaft 400 x 100, head 100 long with wings of 50, tip at +250.
const std::vector<std::array<double, 3>> kDefaultPoints{
    {-250, 50, 0}, {150, 50, 0}, {150, 100, 0}, {250, 0, 0},
    {150, -100, 0}, {150, -50, 0}, {-250, -50, 0}};

json OutlineJson(const std::vector<std::string>& sets) {
  std::vector<std::string> args{"outline", "--format", "json"};
  for (const std::string& s : sets) {
    args.push_back("--set");
    args.push_back(s);
  }
  const Result r = Keelvane(args);
  EXPECT_EQ(r.status, kvtool::kStatusOk) << r.err;
  return json::parse(r.out);
}

TEST(OutlineJson, HoldsTheDefaultContourAndSplineSettings) {
  const json j = OutlineJson({});
  ASSERT_TRUE(j.at("closed").is_boolean());
  EXPECT_TRUE(j["closed"].get<bool>());
  EXPECT_EQ(j.at("type"), 0) << "a linear spline";
  ASSERT_TRUE(j.at("points").is_array());
  ASSERT_EQ(j["points"].size(), kDefaultPoints.size());
  for (std::size_t i = 0; i < kDefaultPoints.size(); ++i) {
    const json& p = j["points"][i];
    ASSERT_TRUE(p.is_array() && p.size() == 3) << p;
    for (std::size_t c = 0; c < 3; ++c) {
      ASSERT_TRUE(p[c].is_number()) << p;
      EXPECT_EQ(p[c].get<double>(), kDefaultPoints[i][c]) << "point " << i;
    }
  }
  EXPECT_TRUE(j.at("SPLINEOBJECT_INTERPOLATION").is_number_integer());
  EXPECT_EQ(j["SPLINEOBJECT_INTERPOLATION"].get<int>(), 3);
  EXPECT_EQ(j.at("SPLINEOBJECT_SUB").get<int>(), 8);
  EXPECT_EQ(j.at("SPLINEOBJECT_ANGLE").get<double>(), 0.08726646259971647);
  EXPECT_EQ(j.at("SPLINEOBJECT_MAXIMUMLENGTH").get<double>(), 5.0);
}

TEST(OutlineJson, NumbersReadBackAsTheSameDoublesInShortestForm) {
  const Result r = Keelvane({"outline", "--format", "json", "--set", "ARROW_SHAFT_LENGTH=333.3",
                             "--set", "ARROW_HEAD_WIDTH=0.1", "--set", "ARROW_SHAFT_WIDTH=0.7"});
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  const json j = json::parse(r.out);
  // The module computes in doubles: the tail at -(head + shaft) / 2, the wing tip at
  // (2 head width + shaft width) / 2, which needs all 17 digits (0.44999999999999996).
  EXPECT_EQ(j["points"][0][0].get<double>(), -(100.0 + 333.3) * 0.5);
  EXPECT_EQ(j["points"][2][1].get<double>(), (2 * 0.1 + 0.7) * 0.5);
  EXPECT_NE(r.out.find("0.44999999999999996"), std::string::npos) << r.out;

  // Every number in the text is the shortest text of its own value.
  const std::regex number(R"(-?\d+(\.\d+)?([eE][-+]?\d+)?)");
  int checked = 0;
  for (auto it = std::sregex_iterator(r.out.begin(), r.out.end(), number);
       it != std::sregex_iterator(); ++it, ++checked) {
    const std::string text = it->str();
    const double value = std::strtod(text.c_str(), nullptr);
    char shortest[64];
    const auto end = std::to_chars(shortest, shortest + sizeof shortest, value).ptr;
    EXPECT_EQ(text, std::string(shortest, end));
  }
  EXPECT_GT(checked, 21);
}

TEST(OutlineEdits, ApplyInTheOrderGiven) {
  EXPECT_EQ(OutlineJson({"ARROW_SHAFT=off", "ARROW_SHAFT=on"})["points"].size(), 7u);
  EXPECT_EQ(OutlineJson({"ARROW_SHAFT=on", "ARROW_SHAFT=off"})["points"].size(), 3u);
}

TEST(OutlineEdits, AcceptCodeNamesIdsAndEveryBoolSpelling) {
  EXPECT_EQ(OutlineJson({"10160=true"})["points"].size(), 10u);  // ARROW_DOUBLE
  for (const char* on : {"on", "true", "1"}) {
    EXPECT_EQ(OutlineJson({std::string("ARROW_DOUBLE=") + on})["points"].size(), 10u) << on;
  }
  for (const char* off : {"off", "false", "0"}) {
    EXPECT_EQ(OutlineJson({std::string("ARROW_DOUBLE=") + off})["points"].size(), 7u) << off;
  }
  const json j = OutlineJson({"PRIM_REVERSE=on", "SPLINEOBJECT_SUB=12"});
  EXPECT_EQ(j["points"][0][0].get<double>(), -250.0);
  EXPECT_EQ(j["points"][0][1].get<double>(), -50.0);
  EXPECT_EQ(j["SPLINEOBJECT_SUB"].get<int>(), 12);
}

TEST(OutlineFormats, TextIsATableWithTheSplineSettings) {
  const Result r = Keelvane({"outline"});
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  EXPECT_NE(r.out.find("7 points, closed"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("interpolation 3 (adaptive)"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("angle 0.08726646259971647"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  3   250     0  0"), std::string::npos) << r.out;
}

TEST(OutlineFormats, CsvHasAHeaderAndOneRowAPoint) {
  const Result r = Keelvane({"outline", "--format", "csv"});
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "index,x,y,z");
  EXPECT_EQ(lines[1], "0,-250,50,0");
  EXPECT_EQ(lines[4], "3,250,0,0");
}

TEST(OutlineFormats, ObjIsOnePolylineClosedBackToTheFirstVertex) {
  const Result r = Keelvane({"outline", "--format", "obj"});
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  int vertices = 0;
  std::vector<std::string> polylines;
  for (const std::string& line : Lines(r.out)) {
    if (line.rfind("v ", 0) == 0) ++vertices;
    if (line.rfind("l ", 0) == 0) polylines.push_back(line);
  }
  EXPECT_EQ(vertices, 7);
  ASSERT_EQ(polylines.size(), 1u);
  EXPECT_EQ(polylines[0], "l 1 2 3 4 5 6 7 1");
  EXPECT_NE(r.out.find("v -250 50 0\n"), std::string::npos);
}

std::string SvgPathData(const std::string& svg) {
  std::smatch m;
  EXPECT_TRUE(std::regex_search(svg, m, std::regex(R"re(<path d="([^"]*)")re"))) << svg;
  return m.size() > 1 ? m[1].str() : "";
}

TEST(OutlineSvg, FillsTheClosedOutlineSeenInItsPlane) {
  TempDir dir;
  const Result xy = Keelvane({"outline", "--format", "svg", "--output", (dir / "xy.svg").string()});
  ASSERT_EQ(xy.status, kvtool::kStatusOk) << xy.err;
  const std::string svg = ReadFile(dir / "xy.svg");
  EXPECT_EQ(svg.rfind("<svg", 0), 0u);
  EXPECT_NE(svg.find("fill=\"#"), std::string::npos);
  const std::string d = SvgPathData(svg);
  EXPECT_EQ(std::count(d.begin(), d.end(), 'L'), 6);
  EXPECT_EQ(d.back(), 'Z');

  // The arrow laid into ZY or XZ looks the same when viewed in that plane.
  for (const char* plane : {"1", "2"}) {
    const Result r = Keelvane({"outline", "--format", "svg", "--set", std::string("PRIM_PLANE=") + plane});
    ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
    EXPECT_EQ(SvgPathData(r.out), d) << "plane " << plane;
  }
  const Result zy = Keelvane({"outline", "--format", "svg", "--set", "PRIM_PLANE=1"});
  EXPECT_NE(zy.out.find("z across, y up"), std::string::npos);
}

TEST(OutlineOutput, WritesTheFileAndSaysSo) {
  TempDir dir;
  const Result r = Keelvane({"outline", "--format", "csv", "--output", (dir / "a.csv").string()});
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  EXPECT_EQ(Lines(ReadFile(dir / "a.csv")).size(), 8u);
  EXPECT_NE(r.out.find("7 points written to"), std::string::npos) << r.out;
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.csv"});  // no temporary left
}

TEST(OutlinePlugin, LoadsTheFolderNamedByOptionOrEnvironment) {
  const Result option = Keelvane({"--plugin", KEELVANE_PLUGIN_MAC, "outline", "--format", "json"});
  ASSERT_EQ(option.status, kvtool::kStatusOk) << option.err;
  EXPECT_EQ(json::parse(option.out)["points"].size(), 7u);
  const Result env = Keelvane({"outline"}, "", {std::string("KEELVANE_PLUGIN=") + KEELVANE_PLUGIN_MAC});
  EXPECT_EQ(env.status, kvtool::kStatusOk) << env.err;

  const Result missing = Keelvane({"outline"}, "", {"KEELVANE_PLUGIN=/nonexistent/keelvane"});
  EXPECT_EQ(missing.status, kvtool::kStatusFailed);
  EXPECT_NE(missing.err.find("/nonexistent/keelvane"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace kvcli
