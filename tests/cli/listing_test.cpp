// keelvane params and keelvane gallery: what the description and a default arrow say,
// and every outline family drawn side by side.
#include <regex>

#include "cli_runner.h"

namespace kvcli {
namespace {

using nlohmann::json;

json ParamsById() {
  const Result r = Keelvane({"params", "--json"});
  EXPECT_EQ(r.status, kvtool::kStatusOk) << r.err;
  json byId = json::object();
  for (const json& p : json::parse(r.out)) byId[std::to_string(p.at("id").get<int>())] = p;
  return byId;
}

TEST(Params, ListTypesDefaultsAndEnablingOfADefaultArrow) {
  const json p = ParamsById();
  ASSERT_TRUE(p.contains("10030"));
  EXPECT_EQ(p["10030"]["name"], "ARROW_HEAD_LENGTH");
  EXPECT_EQ(p["10030"]["type"], "float");
  EXPECT_EQ(p["10030"]["default"], 100);
  EXPECT_TRUE(p["10030"].at("label").is_string());
  EXPECT_EQ(p["10030"]["enabled"], true);

  EXPECT_EQ(p["1003"]["name"], "SPLINEOBJECT_SUB");
  EXPECT_EQ(p["1003"]["type"], "int32");
  EXPECT_EQ(p["1003"]["enabled"], false);  // greyed while interpolation is adaptive
  EXPECT_EQ(p["1004"]["default"].get<double>(), 0.08726646259971647);
  EXPECT_EQ(p["10150"]["enabled"], false);  // chevron thickness without a chevron head
  EXPECT_EQ(p["10190"]["type"], "string");
  EXPECT_EQ(p["10190"]["default"], "");

  EXPECT_EQ(p["10220"]["type"], "button");
  EXPECT_TRUE(p["10220"]["default"].is_null());
  EXPECT_EQ(p["10290"]["type"], "bool");
  EXPECT_TRUE(p["10290"]["default"].is_null());  // not written by the reset
  EXPECT_EQ(p["10350"]["type"], "link");
  for (const char* id : {"10000", "10200", "10210", "10280", "10310", "10430", "2300", "2301"}) {
    EXPECT_TRUE(p.contains(id)) << id;
  }
}

TEST(Params, TextShowsADashForButtonsAndUnsetValues) {
  const Result r = Keelvane({"params"});
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n10220 +ARROW_RESET +button +- )")));
  EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n10290 +ARROW_EXTRUDE_CAPS +bool +- )")));
  EXPECT_TRUE(std::regex_search(r.out, std::regex(R"(\n10030 +ARROW_HEAD_LENGTH +float +100 +yes)")));
}

TEST(Gallery, DrawsEveryFamilyWithItsLabel) {
  TempDir dir;
  const Result r = Keelvane({"gallery", "--output", (dir / "g.svg").string()});
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  const std::string svg = ReadFile(dir / "g.svg");
  const std::vector<std::pair<std::string, int>> families{
      {"double, solid heads", 10},    {"double, chevron heads", 14},
      {"fletched, chevron head", 15}, {"chevron head with shaft", 9},
      {"fletched, solid head", 13},   {"bevelled, with shaft", 14},
      {"plain", 7},                   {"chevron head alone", 6},
      {"bevelled head alone", 6},     {"solid head alone", 3}};
  for (const auto& [title, points] : families) {
    EXPECT_NE(svg.find(">" + title + " (" + std::to_string(points) + " points)<"),
              std::string::npos)
        << title;
  }
  const std::regex path(R"(<path d="M [^"]* Z")");
  EXPECT_EQ(std::distance(std::sregex_iterator(svg.begin(), svg.end(), path),
                          std::sregex_iterator()),
            10);
  EXPECT_NE(svg.find(">ARROW_CHEVRON_HEAD=on<"), std::string::npos);
}

}  // namespace
}  // namespace kvcli
