// keelvane preset save / show: files written by the save button (with the module's
// suffix rule) and read back by the load button, value by value.
#include "cli_runner.h"

namespace kvcli {
namespace {

using nlohmann::json;

// The 26 values of a preset, in the order of the file.
const std::vector<std::string> kPresetNames{
    "ARROW_PRESET_NAME",         "ARROW_HEAD_LENGTH",       "ARROW_HEAD_WIDTH",
    "ARROW_HEAD_SWEEP",          "ARROW_CHEVRON_HEAD",      "ARROW_CHEVRON_SQUARE_ENDS",
    "ARROW_CHEVRON_THICKNESS",   "ARROW_DOUBLE",            "ARROW_DOUBLE_SHAFT_LENGTH",
    "ARROW_DOUBLE_SHAFT_WIDTH",  "ARROW_SHAFT",             "ARROW_SHAFT_LENGTH",
    "ARROW_SHAFT_WIDTH",         "ARROW_TAIL_NOTCH",        "ARROW_TAPER_HEAD",
    "ARROW_TAPER_TAIL",          "ARROW_FLETCHING",         "ARROW_FLETCHING_LENGTH",
    "ARROW_FLETCHING_HEIGHT",    "ARROW_FLETCHING_SWEEP",   "PRIM_PLANE",
    "PRIM_REVERSE",              "SPLINEOBJECT_INTERPOLATION", "SPLINEOBJECT_SUB",
    "SPLINEOBJECT_ANGLE",        "SPLINEOBJECT_MAXIMUMLENGTH"};

// The preset of a default arrow, kept among the fuzzer's seed files.
const std::filesystem::path kDefaultPreset = KEELVANE_SOURCE_DIR "/fuzz/corpus/v13_defaults.kvp";

json Show(const std::filesystem::path& file) {
  const Result r = Keelvane({"preset", "show", file.string(), "--format", "json"});
  EXPECT_EQ(r.status, kvtool::kStatusOk) << r.err;
  return json::parse(r.out);
}

TEST(PresetSave, GivesTheNameTheSuffixAndPrintsThePathWritten) {
  TempDir dir;
  const Result plain = Keelvane({"preset", "save", "--output", (dir / "a").string()});
  ASSERT_EQ(plain.status, kvtool::kStatusOk) << plain.err;
  EXPECT_EQ(plain.out, (dir / "a.kvp").string() + "\n");
  // A default arrow's preset, byte for byte as the released format has it.
  EXPECT_EQ(ReadFile(dir / "a.kvp"), ReadFile(kDefaultPreset));

  const Result other = Keelvane({"preset", "save", "--output", (dir / "b.txt").string()});
  ASSERT_EQ(other.status, kvtool::kStatusOk) << other.err;
  EXPECT_EQ(other.out, (dir / "b.kvp").string() + "\n");
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"a.kvp", "b.kvp"}));
}

TEST(PresetSave, OverwritesAnExistingPresetWhole) {
  TempDir dir;
  ASSERT_EQ(Keelvane({"preset", "save", "--output", (dir / "p.kvp").string(), "--set",
                 "ARROW_PRESET_NAME=a much longer name than the next one"})
                .status,
            kvtool::kStatusOk);
  ASSERT_EQ(Keelvane({"preset", "save", "--output", (dir / "p.kvp").string(), "--set",
                 "ARROW_PRESET_NAME=short"})
                .status,
            kvtool::kStatusOk);
  EXPECT_EQ(Show(dir / "p.kvp")["ARROW_PRESET_NAME"], "short");
  EXPECT_EQ(std::filesystem::file_size(dir / "p.kvp"), std::filesystem::file_size(kDefaultPreset) + 5u);
}

TEST(PresetShow, PrintsTheTwentySixValuesInFileOrder) {
  TempDir dir;
  ASSERT_EQ(Keelvane({"preset", "save", "--output", (dir / "d").string()}).status, kvtool::kStatusOk);
  const json j = Show(dir / "d.kvp");
  const Result ordered = Keelvane({"preset", "show", (dir / "d.kvp").string(), "--format", "json"});
  const nlohmann::ordered_json inFileOrder = nlohmann::ordered_json::parse(ordered.out);
  std::vector<std::string> keys;
  for (const auto& item : inFileOrder.items()) keys.push_back(item.key());
  EXPECT_EQ(keys, kPresetNames);
  EXPECT_EQ(j["ARROW_PRESET_NAME"], "");
  EXPECT_EQ(j["ARROW_SHAFT"], true);
  EXPECT_EQ(j["SPLINEOBJECT_INTERPOLATION"], 3);
  // Floats travel in single precision: the default angle comes back narrowed.
  EXPECT_EQ(j["SPLINEOBJECT_ANGLE"].get<double>(), 0.0872664600610733);
  EXPECT_EQ(j["SPLINEOBJECT_ANGLE"].get<double>(),
            static_cast<double>(static_cast<float>(0.08726646259971647)));

  const Result text = Keelvane({"preset", "show", (dir / "d.kvp").string()});
  ASSERT_EQ(text.status, kvtool::kStatusOk) << text.err;
  EXPECT_EQ(Lines(text.out).size(), 27u);
  EXPECT_NE(text.out.find("ARROW_HEAD_LENGTH"), std::string::npos);
}

TEST(PresetShow, GivesBackTheEditedValuesAsTheFileCarriesThem) {
  TempDir dir;
  const Result save = Keelvane({"preset", "save", "--output", (dir / "e").string(),
                           "--set", "ARROW_PRESET_NAME=two words", "--set", "ARROW_DOUBLE=on",
                           "--set", "ARROW_HEAD_WIDTH=120.3", "--set", "PRIM_PLANE=2",
                           "--set", "SPLINEOBJECT_SUB=-7", "--set", "ARROW_BEVEL=on"});
  ASSERT_EQ(save.status, kvtool::kStatusOk) << save.err;
  const json j = Show(dir / "e.kvp");
  EXPECT_EQ(j["ARROW_PRESET_NAME"], "two words");
  EXPECT_EQ(j["ARROW_DOUBLE"], true);
  EXPECT_EQ(j["ARROW_HEAD_WIDTH"].get<double>(), static_cast<double>(120.3f));
  EXPECT_EQ(j["PRIM_PLANE"], 2);
  EXPECT_EQ(j["SPLINEOBJECT_SUB"], -7);
  EXPECT_FALSE(j.contains("ARROW_BEVEL"));  // not part of a preset

  // The outline of an arrow with the preset loaded is the double arrow's.
  const Result outline = Keelvane({"outline", "--format", "json", "--preset", (dir / "e.kvp").string()});
  ASSERT_EQ(outline.status, kvtool::kStatusOk) << outline.err;
  EXPECT_EQ(json::parse(outline.out)["points"].size(), 10u);
  // Edits come after the preset.
  const Result edited = Keelvane({"outline", "--format", "json", "--preset", (dir / "e.kvp").string(),
                             "--set", "ARROW_DOUBLE=off"});
  EXPECT_EQ(json::parse(edited.out)["points"].size(), 7u);
}

}  // namespace
}  // namespace kvcli
