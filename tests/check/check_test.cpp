// keelvane check as CI runs it: the real module passes every check, and each module with
// a planted fault fails exactly the check meant to catch it, with the command line that
// reproduces the failure alone.
#include "cli_runner.h"

namespace {

using kvcli::Keelvane;

struct Planted {
  const char* fault;  // the folder under planted/; empty: the real module
  const char* caughtBy;  // the one check that must fail; empty: none
};

void PrintTo(const Planted& planted, std::ostream* os) {
  *os << (*planted.fault == '\0' ? "the real module" : planted.fault);
}

class CheckCatches : public ::testing::TestWithParam<Planted> {};

TEST_P(CheckCatches, ExactlyTheCheckMeantForTheFault) {
  const Planted p = GetParam();
  const std::string plugin = *p.fault == '\0' ? std::string(KEELVANE_PLUGIN_WIN)
                                              : std::string(KEELVANE_PLANTED) + "/" + p.fault + "/keelvane";
  const kvcli::Result r = Keelvane({"--plugin", plugin, "check", "--level", "1", "--seed", "7", "--json"});
  ASSERT_EQ(r.status, *p.caughtBy == '\0' ? 0 : 1) << r.out << r.err;
  const nlohmann::json report = nlohmann::json::parse(r.out);
  std::vector<std::string> failed;
  for (const auto& check : report["checks"]) {
    if (!check["passed"].get<bool>()) {
      failed.push_back(check["name"].get<std::string>());
      EXPECT_NE(check["reproduce"].get<std::string>().find("--seed 7 --only " + failed.back()), std::string::npos);
      EXPECT_FALSE(check["seen"].get<std::string>().empty());
    }
  }
  const std::vector<std::string> expected =
      *p.caughtBy == '\0' ? std::vector<std::string>{} : std::vector<std::string>{p.caughtBy};
  EXPECT_EQ(failed, expected) << r.out;
  EXPECT_EQ(report["checks"].size(), 8u);
  EXPECT_EQ(report["failed"].get<int>(), static_cast<int>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Modules, CheckCatches,
                         ::testing::Values(Planted{"", ""}, Planted{"leak_on_unload", "lifecycle"},
                                           Planted{"nan_in_contour", "contour"},
                                           Planted{"undo_not_restoring", "undo"},
                                           Planted{"crash_on_failed_allocation", "faults"},
                                           Planted{"racy_global", "threads"},
                                           Planted{"preset_read_past_end", "presets"}),
                         [](const ::testing::TestParamInfo<Planted>& planted) {
                           return std::string(*planted.param.fault == '\0' ? "real_module"
                                                                            : planted.param.fault);
                         });

// The text run: a line per check, the final count, and a failure's seen, expected and
// reproduce lines; --only runs the one check and a name that is no check is refused.
TEST(CheckText, FinalLineAndFailureLines) {
  const std::string planted = std::string(KEELVANE_PLANTED) + "/nan_in_contour/keelvane";
  const kvcli::Result r = Keelvane({"--plugin", planted, "check", "--level", "1", "--seed", "3",
                                    "--only", "contour", "--only", "entry"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(kvcli::LastLine(r.out), "1 passed, 1 failed");
  EXPECT_NE(r.out.find("  seen:      point 0 is (nan"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  reproduce: keelvane --plugin " + planted + " check --level 1 --seed 3 --only contour"),
            std::string::npos) << r.out;

  const kvcli::Result unknown = Keelvane({"--plugin", KEELVANE_PLUGIN_WIN, "check", "--only", "nothing"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("no check 'nothing'"), std::string::npos) << unknown.err;
}

// A check that hangs is killed at its time limit and named with the case it hung in; the
// run goes on to the next check.
TEST(CheckText, HangIsKilledAtTheTimeLimit) {
  const std::string planted = std::string(KEELVANE_PLANTED) + "/hang_in_contour/keelvane";
  const kvcli::Result r = Keelvane({"--plugin", planted, "check", "--level", "1", "--seed", "3",
                                    "--only", "contour", "--only", "entry", "--time-limit", "2"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_EQ(kvcli::LastLine(r.out), "1 passed, 1 failed");
  EXPECT_NE(r.out.find("  seen:      the check's process ended: killed at its time limit during ARROW_SHAFT="),
            std::string::npos) << r.out;
}

}  // namespace
