// keelvane check as CI runs it: the real module passes every check, and each module with
// a planted fault fails exactly the check meant to catch it, with the command line that
// reproduces the failure alone and the failed check's files kept for inspection; the
// options refuse what they cannot use, naming it.
#include <functional>
#include <map>
#include <sstream>

#include "cli_runner.h"

namespace {

using kvcli::Keelvane;
namespace fs = std::filesystem;

struct Planted {
  std::string fault;     // the folder under planted/; empty: the real module
  std::string caughtBy;  // the one check that must fail; empty: none
  // A fault of the plug-in folder instead: made in a copy of the real folder of flavour
  // (win or mac) in a folder named for the flavour, as the build lays them out.
  std::string flavour;
  std::function<void(const fs::path& folder)> plant;
  // A second plug-in folder for the exchange check to trade presets with; empty: none.
  std::string second = {};
};

void PrintTo(const Planted& planted, std::ostream* os) {
  *os << (planted.fault.empty() ? "the real module" : planted.fault);
}

std::string PluginOf(const std::string& fault) {
  return fault.empty() ? std::string(KEELVANE_PLUGIN_WIN) : std::string(KEELVANE_PLANTED) + "/" + fault + "/keelvane";
}

// The real module, then every planted fault as tests/check/CMakeLists.txt lists them
// ("fault:check,...").
std::vector<Planted> Modules() {
  std::vector<Planted> modules{{"", "", "", nullptr}};
  std::istringstream rows(KEELVANE_PLANTED_FAULTS);
  for (std::string row; std::getline(rows, row, ',');) {
    const std::string caughtBy = row.substr(row.find(':') + 1);
    // A fault of the exchange shows beside the real module only.
    modules.push_back({row.substr(0, row.find(':')), caughtBy, "", nullptr,
                       caughtBy == "exchange" ? std::string(KEELVANE_PLUGIN_WIN) : std::string()});
  }
  modules.push_back({"", "", "", nullptr, KEELVANE_PLUGIN_MAC});
  auto keep = [](const fs::path&) {};
  auto removeParameter = [](const fs::path& folder) {
    const fs::path res = folder / "res" / "description" / "okeelvane.res";
    std::string text = kvcli::ReadFile(res);
    const std::size_t at = text.find("REAL ARROW_TAIL_NOTCH");
    text.erase(at, text.find('\n', at) + 1 - at);
    kvcli::WriteFile(res, text);
  };
  auto macModule = [](const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(KEELVANE_PLUGIN_MAC)) {
      if (entry.is_regular_file()) fs::copy_file(entry.path(), folder / entry.path().filename(), fs::copy_options::overwrite_existing);
    }
  };
  modules.push_back({"win_folder", "", "win", keep});
  modules.push_back({"mac_folder", "", "mac", keep});
  modules.push_back({"parameter_removed_from_description", "package", "win", removeParameter});
  modules.push_back({"icon_deleted", "package", "win", [](const fs::path& f) { fs::remove(f / "res" / "keelvane.tif"); }});
  modules.push_back({"presets_deleted", "package", "win", [](const fs::path& f) { fs::remove_all(f / "presets"); }});
  modules.push_back({"mac_module_in_win_folder", "entry", "win", macModule});
  return modules;
}

// The faults whose failing sequence of actions is shrunk, with the most actions it may
// keep: those the fault needs and little more.
const std::map<std::string, int> kMostShrunk{{"undo_not_restoring", 5}};

// Every run of the tool here has a temporary folder of its own, so that what a run leaves
// behind (the folders it keeps, or scratch it failed to remove) can be seen.
class CheckRun : public ::testing::Test {
 protected:
  kvcli::Result Check(const std::string& plugin, std::vector<std::string> args) {
    args.insert(args.begin(), {"--plugin", plugin, "check"});
    // Planted leaks are the lifecycle check's to find, not the leak sanitizer's at every exit.
    return Keelvane(args, "", {"TMPDIR=" + tmp.Path().string(), "ASAN_OPTIONS=detect_leaks=0"});
  }
  // The checks the tool runs, in order, as --list names them.
  std::vector<std::string> Listed() {
    std::vector<std::string> names;
    for (const std::string& line : kvcli::Lines(Keelvane({"check", "--list"}).out)) {
      names.push_back(line.substr(0, line.find(' ')));
    }
    return names;
  }
  kvcli::TempDir tmp;
};

class CheckCatches : public CheckRun, public ::testing::WithParamInterface<Planted> {};

// A sanitizer build judges leaks its own way: the leak sanitizer fails every check's process
// of a module that leaks, and the process's growth per cycle is not looked at.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST_P(CheckCatches, ExactlyTheCheckMeantForTheFault) {
  const Planted& p = GetParam();
  if (kSanitized && p.fault == "leak_per_cycle") GTEST_SKIP() << "the growth per cycle is not judged under a sanitizer";
  std::string plugin = PluginOf(p.fault);
  std::vector<std::string> left;  // what the test itself put in the temporary folder
  if (p.plant) {
    const fs::path folder = tmp / p.flavour / "keelvane";
    fs::create_directories(folder.parent_path());
    fs::copy(p.flavour == "mac" ? KEELVANE_PLUGIN_MAC : KEELVANE_PLUGIN_WIN, folder, fs::copy_options::recursive);
    p.plant(folder);
    plugin = folder.string();
    left.push_back(p.flavour);
  }
  std::vector<std::string> args{"--level", "1", "--seed", "7", "--json"};
  if (!p.second.empty()) args.insert(args.end(), {"--plugin", p.second});
  const kvcli::Result r = Check(plugin, args);
  ASSERT_EQ(r.status, p.caughtBy.empty() ? kvtool::kStatusOk : kvtool::kStatusFailed) << r.out << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  std::vector<std::string> ran, failed, kept;
  for (const auto& check : report["checks"]) {
    ran.push_back(check["name"].get<std::string>());
    if (!check["passed"].get<bool>()) {
      failed.push_back(ran.back());
      EXPECT_NE(check["reproduce"].get<std::string>().find("--seed 7 --only " + failed.back()), std::string::npos);
      EXPECT_FALSE(check["seen"].get<std::string>().empty());
      const fs::path folder = check["kept"].get<std::string>();
      EXPECT_TRUE(fs::exists(folder / "stderr.txt")) << folder;
      kept.push_back(folder.filename().string());
      if (const auto most = kMostShrunk.find(p.fault); most != kMostShrunk.end()) {
        const std::string seen = check["seen"].get<std::string>();
        const std::size_t at = seen.find("shrunk to ");
        ASSERT_NE(at, std::string::npos) << seen;
        EXPECT_LE(std::stoi(seen.substr(at + 10)), most->second) << seen;
      }
    }
  }
  const std::vector<std::string> expected =
      p.caughtBy.empty() ? std::vector<std::string>{} : std::vector<std::string>{p.caughtBy};
  EXPECT_EQ(failed, expected) << r.out;
  EXPECT_EQ(ran, Listed());
  EXPECT_EQ(report["failed"].get<int>(), static_cast<int>(expected.size()));
  left.insert(left.end(), kept.begin(), kept.end());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(tmp.Entries(), left) << "the run's scratch is gone, the failed check's folder kept";
}

INSTANTIATE_TEST_SUITE_P(Modules, CheckCatches, ::testing::ValuesIn(Modules()),
                         [](const ::testing::TestParamInfo<Planted>& planted) {
                           if (!planted.param.fault.empty()) return planted.param.fault;
                           return std::string(planted.param.second.empty() ? "real_module" : "real_module_beside_mac");
                         });

// What the options refuse, each with a message naming the input, and no check run.
TEST_F(CheckRun, RefusesWhatItCannotUse) {
  // The real folder with its module file replaced by text.
  const fs::path broken = tmp / "broken";
  fs::copy(KEELVANE_PLUGIN_WIN, broken, fs::copy_options::recursive);
  for (const auto& entry : fs::directory_iterator(broken)) {
    if (entry.is_regular_file()) kvcli::WriteFile(entry.path(), "not a library");
  }
  struct Row {
    std::string plugin;
    std::vector<std::string> args;
    int status;
    std::string message;
  };
  const std::vector<Row> rows{
      {KEELVANE_PLUGIN_WIN, {"--seed", "abc"}, kvtool::kStatusBadInput, "--seed 'abc' is not a whole number from 0 to"},
      {KEELVANE_PLUGIN_WIN, {"--seed", "-1"}, kvtool::kStatusBadInput, "--seed '-1' is not a whole number"},
      {KEELVANE_PLUGIN_WIN, {"--seed", "18446744073709551616"}, kvtool::kStatusBadInput, "is not a whole number"},
      {KEELVANE_PLUGIN_WIN, {"--only", "contour,nothing"}, kvtool::kStatusBadInput,
       "--only: no check 'nothing'; the checks are entry, description, contour,"},
      {KEELVANE_PLUGIN_WIN, {"--exclude", "entry", "--exclude", "none"}, kvtool::kStatusBadInput,
       "--exclude: no check 'none'; the checks are entry,"},
      {KEELVANE_PLUGIN_WIN, {"--only", "entry", "--exclude", "entry"}, kvtool::kStatusBadInput, "leave no check to run"},
      {KEELVANE_PLUGIN_WIN, {"--flavour", "linux"}, kvtool::kStatusBadInput, "--flavour"},
      {KEELVANE_PLUGIN_WIN, {"--time-limit", "0"}, kvtool::kStatusBadInput, "--time-limit"},
      {KEELVANE_PLUGIN_WIN, {"--plugin", KEELVANE_PLUGIN_MAC, "--plugin", KEELVANE_PLUGIN_MAC}, kvtool::kStatusBadInput,
       "--plugin named 3 times"},
      {KEELVANE_PLUGIN_WIN, {"--plugin", (tmp / "nowhere").string()}, kvtool::kStatusFailed, "no module '"},
      // Reported once, with the loader's reason, before any check.
      {broken.string(), {}, kvtool::kStatusFailed, "cannot load module '"},
  };
  for (const Row& row : rows) {
    const kvcli::Result r = Check(row.plugin, row.args);
    const std::string what = testing::PrintToString(row.args);
    EXPECT_EQ(r.status, row.status) << what << r.err;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << what << r.err;
    EXPECT_EQ(r.err.find(row.message), r.err.rfind(row.message)) << what << "reported once: " << r.err;
    EXPECT_EQ(r.out.find(" cases"), std::string::npos) << what << r.out;
  }
  EXPECT_EQ(tmp.Entries(), std::vector<std::string>{"broken"});
}

// The text run: a line per check, the final count, a failure's seen, expected, reproduce
// (shell-quoted, from the program as called) and kept lines, and the same in JUnit XML.
TEST_F(CheckRun, TextAndJunitReports) {
  const fs::path folder = tmp / "a plug-in" / "keelvane";
  fs::create_directories(folder.parent_path());
  fs::copy(PluginOf("nan_in_contour"), folder, fs::copy_options::recursive);
  const fs::path junit = tmp / "report.xml";
  const kvcli::Result r = Check(folder.string(), {"--level", "1", "--seed", "3", "--only", "contour,entry,faults",
                                                  "--exclude", "faults", "--junit", junit.string()});
  EXPECT_EQ(r.status, kvtool::kStatusFailed) << r.err;
  EXPECT_EQ(kvcli::LastLine(r.out), "1 passed, 1 failed");
  EXPECT_NE(r.out.find("  seen:      point 0 is (nan"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  reproduce: " + std::string(KEELVANE_TOOL) + " --plugin '" + folder.string() +
                       "' check --level 1 --seed 3 --only contour\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  kept:      " + tmp.Path().string() + "/keelvane-check-contour-seed3-"), std::string::npos)
      << r.out;
  const std::string xml = kvcli::ReadFile(junit);
  for (const std::string& part : {std::string("tests=\"2\" failures=\"1\""), std::string("name=\"entry\""),
                                  std::string("<testcase classname=\"keelvane.check\" name=\"contour\""),
                                  std::string("<failure message=\"point 0 is (nan")}) {
    EXPECT_NE(xml.find(part), std::string::npos) << part << "\n" << xml;
  }
}

// A check that hangs is killed at its time limit and named with the case it hung in; a
// later check that hangs too is given up once it falls silent, not after a limit of its own.
TEST_F(CheckRun, HangIsKilledOnce) {
  const kvcli::Result r = Check(PluginOf(KEELVANE_PLANTED_HANG), {"--level", "1", "--seed", "3", "--only",
                                                                  "contour,entry,threads", "--time-limit", "4"});
  EXPECT_EQ(r.status, kvtool::kStatusFailed) << r.err;
  EXPECT_EQ(kvcli::LastLine(r.out), "1 passed, 2 failed");
  EXPECT_NE(r.out.find("  seen:      the check hung: killed at its time limit of 4 s during case "), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("ARROW_SHAFT="), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  seen:      the check hung, as an earlier one did"), std::string::npos) << r.out;
}

}  // namespace
