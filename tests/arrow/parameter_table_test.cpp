// The module's parameter table held against the other files that state its facts: the
// description the host reads, and the fuzzer's dictionary and seed files.
#include <fstream>
#include <set>

#include "arrow_parameters.h"
#include "preset_test_support.h"
#include "resources.h"

namespace kvtest {
namespace {

const std::filesystem::path kSource = KEELVANE_SOURCE_DIR;

// How the description writes each kind (REAL, BOOL, LONG, STRING, LINK, BUTTON).
const kvhost::ParamType kDescribedAs[] = {kvhost::ParamType::Real,   kvhost::ParamType::Bool,
                                          kvhost::ParamType::Long,   kvhost::ParamType::String,
                                          kvhost::ParamType::Link,   kvhost::ParamType::Button};

// The description and the table list the same parameters, each once and of one kind: a
// parameter described but missing from the table would never be reset, read or enabled
// by it.
TEST(ParameterTable, ListsEveryDescribedParameterOnceWithItsType) {
  kvhost::ResourceFolder res;
  std::string error;
  ASSERT_TRUE(kvhost::LoadResourceFolder(kSource / "res", res, error)) << error;
  const kvhost::Description* description = kvhost::FindDescription(res, "Okeelvane");
  ASSERT_NE(description, nullptr);
  std::set<std::int32_t> rows;
  for (const ArrowParameter& p : kArrowParameters) {
    EXPECT_TRUE(rows.insert(p.id).second) << "parameter " << p.id << " has two rows";
    const kvhost::DescParameter* described = kvhost::FindParameter(*description, p.id);
    ASSERT_NE(described, nullptr) << "parameter " << p.id << " is not described";
    EXPECT_EQ(described->type, kDescribedAs[p.kind]) << described->symbol;
  }
  for (const kvhost::DescParameter& described : description->parameters) {
    EXPECT_EQ(rows.count(described.id), 1u) << described.symbol << " has no row";
  }
}

// The dictionary's entries as the fuzzer reads them: each quoted string, escapes decoded.
std::set<std::string> DictionaryEntries() {
  std::ifstream in(kSource / "fuzz" / "preset.dict");
  std::set<std::string> entries;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] != '"' || line.back() != '"') continue;
    std::string entry;
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
      if (line[i] == '\\' && line[i + 1] == 'x') {
        entry += static_cast<char>(std::stoi(line.substr(i + 2, 2), nullptr, 16));
        i += 3;
      } else {
        entry += line[i];
      }
    }
    entries.insert(entry);
  }
  return entries;
}

// Every marker and every version the reader knows stands in the dictionary with the
// length field in front of it in a file, so that the fuzzer reaches each layout.
TEST(ParameterTable, FuzzerDictionaryHoldsEveryMarkerAndVersion) {
  const std::set<std::string> entries = DictionaryEntries();
  ASSERT_FALSE(entries.empty());
  std::vector<std::string> texts = {kPresetHeader, kPresetStartMarker, kPresetEndMarker};
  for (const PresetVersion& version : kPresetVersions) texts.push_back(version.text);
  for (const std::string& text : texts) {
    EXPECT_EQ(entries.count(text), 1u) << text;
    const Bytes length = PresetBytes().I32(static_cast<std::uint32_t>(text.size() + 1)).bytes;
    EXPECT_EQ(entries.count(std::string(length.begin(), length.end())), 1u) << "length of " << text;
  }
}

// The fuzzer's seed files are presets of each layout; the module reads them as they were
// written, and saves a reset arrow exactly as the file of its defaults.
using PresetSeedTest = PresetTest;

TEST_P(PresetSeedTest, SeedFilesLoadAsTheirLayoutHasThem) {
  const std::filesystem::path corpus = kSource / "fuzz" / "corpus";
  for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
    SCOPED_TRACE(entry.path().filename().string());
    EXPECT_TRUE(Load(NewArrow(), entry.path().string()));
  }
  EXPECT_EQ(Saved(NewArrow()), ReadBytes(corpus / "v13_defaults.kvp"));

  const struct {
    const char* file;
    Items values;
  } seeds[] = {
      // The first layout: item 14 follows item 10, the double arrow at its reset values.
      {"v11_older.kvp",
       {{ARROW_CHEVRON_THICKNESS, Kind::Float, 50}, {ARROW_SHAFT, Kind::Bool, 0},
        {ARROW_SHAFT_LENGTH, Kind::Float, 350}, {ARROW_DOUBLE, Kind::Bool, 0},
        {ARROW_DOUBLE_SHAFT_LENGTH, Kind::Float, 400}, {KV_PRIM_PLANE, Kind::Int, 2},
        {KV_SPLINEOBJECT_MAXIMUMLENGTH, Kind::Float, 2.5}}},
      // Version 1.2: items 11 to 13 between them.
      {"v12_double.kvp",
       {{ARROW_DOUBLE, Kind::Bool, 1}, {ARROW_DOUBLE_SHAFT_LENGTH, Kind::Float, 300},
        {ARROW_DOUBLE_SHAFT_WIDTH, Kind::Float, 80}, {ARROW_SHAFT, Kind::Bool, 1},
        {ARROW_SHAFT_LENGTH, Kind::Float, 250}, {KV_SPLINEOBJECT_SUB, Kind::Int, 12},
        {KV_SPLINEOBJECT_MAXIMUMLENGTH, Kind::Float, 10}}},
  };
  for (const auto& seed : seeds) {
    SCOPED_TRACE(seed.file);
    KvNode* arrow = NewArrow();
    ASSERT_TRUE(Load(arrow, (corpus / seed.file).string()));
    ExpectItems(arrow, seed.values);
  }
}

KV_INSTANTIATE_FLAVOURS(PresetSeedTest);

}  // namespace
}  // namespace kvtest
