// keelvane check as CI runs it: the real module passes every check, and each module with
// a planted fault fails exactly the check meant to catch it, with the command line that
// reproduces the failure alone.
#include <sstream>

#include "cli_runner.h"

namespace {

using kvcli::Keelvane;

struct Planted {
  std::string fault;     // the folder under planted/; empty: the real module
  std::string caughtBy;  // the one check that must fail; empty: none
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
  std::vector<Planted> modules{{"", ""}};
  std::istringstream rows(KEELVANE_PLANTED_FAULTS);
  for (std::string row; std::getline(rows, row, ',');) {
    modules.push_back({row.substr(0, row.find(':')), row.substr(row.find(':') + 1)});
  }
  return modules;
}

// The checks the tool runs, in order, as its help lists them ("  NAME: summary").
std::vector<std::string> RegisteredChecks() {
  const kvcli::Result help = Keelvane({"check", "--help"});
  std::vector<std::string> names;
  bool listed = false;
  for (const std::string& line : kvcli::Lines(help.out)) {
    const std::size_t colon = line.find(':');
    if (listed && line.rfind("  ", 0) == 0 && colon != std::string::npos && line.find(' ', 2) > colon) {
      names.push_back(line.substr(2, colon - 2));
    } else if (listed) {
      break;
    }
    listed = listed || line.find("The checks:") != std::string::npos;
  }
  return names;
}

class CheckCatches : public ::testing::TestWithParam<Planted> {};

TEST_P(CheckCatches, ExactlyTheCheckMeantForTheFault) {
  const Planted& p = GetParam();
  const kvcli::Result r = Keelvane({"--plugin", PluginOf(p.fault), "check", "--level", "1", "--seed", "7", "--json"});
  ASSERT_EQ(r.status, p.caughtBy.empty() ? kvtool::kStatusOk : kvtool::kStatusFailed) << r.out << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  std::vector<std::string> ran, failed;
  for (const auto& check : report["checks"]) {
    ran.push_back(check["name"].get<std::string>());
    if (!check["passed"].get<bool>()) {
      failed.push_back(ran.back());
      EXPECT_NE(check["reproduce"].get<std::string>().find("--seed 7 --only " + failed.back()), std::string::npos);
      EXPECT_FALSE(check["seen"].get<std::string>().empty());
    }
  }
  const std::vector<std::string> expected =
      p.caughtBy.empty() ? std::vector<std::string>{} : std::vector<std::string>{p.caughtBy};
  EXPECT_EQ(failed, expected) << r.out;
  EXPECT_EQ(ran, RegisteredChecks());
  EXPECT_EQ(report["failed"].get<int>(), static_cast<int>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Modules, CheckCatches, ::testing::ValuesIn(Modules()),
                         [](const ::testing::TestParamInfo<Planted>& planted) {
                           return planted.param.fault.empty() ? std::string("real_module") : planted.param.fault;
                         });

// The text run: a line per check, the final count, and a failure's seen, expected and
// reproduce lines; --only runs the one check and a name that is no check is refused.
TEST(CheckText, FinalLineAndFailureLines) {
  const std::string planted = PluginOf("nan_in_contour");
  const kvcli::Result r = Keelvane({"--plugin", planted, "check", "--level", "1", "--seed", "3",
                                    "--only", "contour", "--only", "entry"});
  EXPECT_EQ(r.status, kvtool::kStatusFailed) << r.err;
  EXPECT_EQ(kvcli::LastLine(r.out), "1 passed, 1 failed");
  EXPECT_NE(r.out.find("  seen:      point 0 is (nan"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  reproduce: keelvane --plugin " + planted + " check --level 1 --seed 3 --only contour"),
            std::string::npos) << r.out;

  const kvcli::Result unknown = Keelvane({"--plugin", KEELVANE_PLUGIN_WIN, "check", "--only", "nothing"});
  EXPECT_EQ(unknown.status, kvtool::kStatusBadInput);
  EXPECT_NE(unknown.err.find("no check 'nothing'"), std::string::npos) << unknown.err;
}

// A check that hangs is killed at its time limit and named with the case it hung in; the
// run goes on to the next check.
TEST(CheckText, HangIsKilledAtTheTimeLimit) {
  const kvcli::Result r = Keelvane({"--plugin", PluginOf(KEELVANE_PLANTED_HANG), "check", "--level", "1", "--seed",
                                    "3", "--only", "contour", "--only", "entry", "--time-limit", "2"});
  EXPECT_EQ(r.status, kvtool::kStatusFailed) << r.err;
  EXPECT_EQ(kvcli::LastLine(r.out), "1 passed, 1 failed");
  EXPECT_NE(r.out.find("  seen:      the check's process ended: killed at its time limit during ARROW_SHAFT="),
            std::string::npos) << r.out;
}

}  // namespace
