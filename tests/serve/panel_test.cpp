// The panel's actions against the real module in the stand-in host: each change goes
// through the host, the state shows what the host and the module answer, and bad input
// changes nothing.
#include <gtest/gtest.h>

#include <cmath>

#include "description/okeelvane.h"
#include "panel.h"
#include "serve_test_support.h"
#include "tool_error.h"

namespace kvtool {
namespace {

class PanelTest : public ::testing::Test {
 protected:
  Panel panel{PluginFolder()};

  std::uint64_t Arrow() { return panel.State(std::nullopt)["selected"].get<std::uint64_t>(); }

  // The refusal's message; fails the test when the action was accepted.
  template <typename F>
  std::string Refusal(F action) {
    try {
      action();
    } catch (const ToolError& e) {
      EXPECT_EQ(e.status, kStatusBadInput) << e.what();
      return e.what();
    }
    ADD_FAILURE() << "accepted";
    return "";
  }
};

TEST_F(PanelTest, StartsWithOneArrowAndItsDescription) {
  const Json state = panel.State(std::nullopt);
  ASSERT_EQ(state["tree"].size(), 1u);
  EXPECT_EQ(state["tree"][0]["label"], "Arrow");
  EXPECT_EQ(state["selected"], state["tree"][0]["id"]);
  const Json head = ParameterOf(state, "ARROW_HEAD_LENGTH");
  EXPECT_EQ(head["value"], Json(100.0));
  EXPECT_EQ(head["unit"], "METER");
  EXPECT_EQ(head["kind"], "real");
  EXPECT_EQ(ParameterOf(state, "ARROW_TAPER_HEAD")["max"], Json(100.0));
  EXPECT_EQ(ParameterOf(state, "SPLINEOBJECT_ANGLE")["value"], Json(5.0));
  EXPECT_EQ(ParameterOf(state, "PRIM_PLANE")["cycle"].size(), 3u);
  EXPECT_GT(state["object"]["groups"].size(), 3u);
  EXPECT_FALSE(state["console"].empty());
  // Creating the arrow is where the document starts, not a step to undo.
  EXPECT_EQ(state["undo"]["undo"], 0);
}

TEST_F(PanelTest, EditChangesThePreviewAndEnablingFollowsTheModule) {
  const std::uint64_t arrow = Arrow();
  const Json before = panel.State(arrow);
  EXPECT_TRUE(ParameterOf(before, "ARROW_SHAFT_LENGTH")["enabled"]);
  EXPECT_FALSE(ParameterOf(before, "ARROW_DOUBLE_SHAFT_LENGTH")["enabled"]);

  panel.Set(arrow, ARROW_HEAD_LENGTH, "250");
  const Json longer = panel.State(arrow);
  EXPECT_EQ(ParameterOf(longer, "ARROW_HEAD_LENGTH")["value"], Json(250.0));
  EXPECT_NE(longer["object"]["preview"]["svg"], before["object"]["preview"]["svg"]);

  panel.Set(arrow, ARROW_DOUBLE, true);
  const Json dbl = panel.State(arrow);
  EXPECT_FALSE(ParameterOf(dbl, "ARROW_SHAFT_LENGTH")["enabled"]);
  EXPECT_FALSE(ParameterOf(dbl, "ARROW_SHAFT")["enabled"]);
  EXPECT_TRUE(ParameterOf(dbl, "ARROW_DOUBLE_SHAFT_LENGTH")["enabled"]);
  // A greyed field cannot be edited, as in the host's panel.
  EXPECT_NE(Refusal([&] { panel.Set(arrow, ARROW_SHAFT_LENGTH, 10); }).find("greyed"), std::string::npos);
}

TEST_F(PanelTest, PercentEditsAreStoredAsFractions) {
  const std::uint64_t arrow = Arrow();
  panel.Set(arrow, ARROW_TAPER_HEAD, 40);
  KvNode* node = panel.Find(arrow);
  EXPECT_DOUBLE_EQ(*FloatParameter(node, ARROW_TAPER_HEAD), 0.4);
  EXPECT_EQ(ParameterOf(panel.State(arrow), "ARROW_TAPER_HEAD")["value"], Json(40.0));
}

TEST_F(PanelTest, BadInputChangesNothing) {
  const std::uint64_t arrow = Arrow();
  const Json before = panel.State(arrow);
  Refusal([&] { panel.Set(arrow, ARROW_HEAD_LENGTH, "long"); });
  Refusal([&] { panel.Set(arrow, ARROW_HEAD_LENGTH, -1); });
  Refusal([&] { panel.Set(arrow, ARROW_TAPER_TAIL, 101); });
  Refusal([&] { panel.Set(arrow, 99999, 1); });
  Refusal([&] { panel.Set(arrow + 1000, ARROW_HEAD_LENGTH, 1); });
  Refusal([&] { panel.Press(arrow, ARROW_HEAD_LENGTH); });
  Refusal([&] { panel.Press(arrow, ARROW_PRESET_LOAD); });
  Refusal([&] { panel.Add("cube"); });
  Refusal([&] { panel.Move(arrow, arrow, false); });
  Refusal([&] { panel.Redo(); });
  Refusal([&] { panel.Undo(); });
  const Json after = panel.State(arrow);
  EXPECT_EQ(after["object"], before["object"]);
  EXPECT_EQ(after["tree"], before["tree"]);
  EXPECT_EQ(after["undo"], before["undo"]);
}

TEST_F(PanelTest, MakeExtrudeChangesTheTreeAndUndoRedoFollowTheHost) {
  const std::uint64_t arrow = Arrow();
  panel.Press(arrow, ARROW_MAKE_EXTRUDE);
  Json state = panel.State(arrow);
  ASSERT_EQ(state["tree"].size(), 1u);
  EXPECT_EQ(state["tree"][0]["label"], "Extrude");
  EXPECT_EQ(state["tree"][0]["children"][0]["id"], Json(arrow));

  panel.Undo();
  state = panel.State(arrow);
  ASSERT_EQ(state["tree"].size(), 1u);
  EXPECT_EQ(state["tree"][0]["id"], Json(arrow));
  EXPECT_EQ(state["undo"]["redo"], 1);

  panel.Redo();
  EXPECT_EQ(panel.State(arrow)["tree"][0]["label"], "Extrude");
}

TEST_F(PanelTest, HostObjectsShowTheirParametersReadOnly) {
  const std::uint64_t arrow = Arrow();
  panel.Press(arrow, ARROW_MAKE_CLONER);
  const Json state = panel.State(arrow);
  const std::uint64_t cloner = state["tree"][0]["id"];
  const Json shown = panel.State(cloner);
  EXPECT_EQ(shown["object"]["label"], "Cloner");
  EXPECT_FALSE(shown["object"]["editable"]);
  EXPECT_FALSE(shown["object"]["parameters"].empty());
  EXPECT_FALSE(shown["object"].contains("preview"));
  EXPECT_NE(Refusal([&] { panel.Set(cloner, KV_CLONER_OBJECT_LINK, 1); }).find("read-only"), std::string::npos);
  EXPECT_NE(Refusal([&] { panel.Press(cloner, ARROW_RESET); }).find("not an arrow"), std::string::npos);
}

TEST_F(PanelTest, DragsMoveObjectsAsTheUserDoes) {
  const std::uint64_t arrow = Arrow();
  const std::uint64_t spline = panel.Add("spline");
  panel.Move(arrow, spline, true);
  Json state = panel.State(arrow);
  ASSERT_EQ(state["tree"].size(), 1u);
  EXPECT_EQ(state["tree"][0]["children"][0]["id"], Json(arrow));
  panel.Move(arrow, std::nullopt, false);
  state = panel.State(arrow);
  EXPECT_EQ(state["tree"].size(), 2u);
  EXPECT_EQ(state["tree"][0]["id"], Json(arrow));
  // Under its own child: refused.
  panel.Move(spline, arrow, true);
  EXPECT_NE(Refusal([&] { panel.Move(arrow, spline, true); }).find("itself"), std::string::npos);
}

TEST_F(PanelTest, LinksNameObjectsOfTheDocument) {
  const std::uint64_t arrow = Arrow();
  const std::uint64_t spline = panel.Add("spline");
  panel.Set(arrow, ARROW_WRAP_SPLINE, spline);
  EXPECT_EQ(ParameterOf(panel.State(arrow), "ARROW_WRAP_SPLINE")["value"], Json(spline));
  panel.Press(arrow, ARROW_MAKE_WRAP);
  EXPECT_EQ(CountNodes(panel.State(arrow)["tree"]), 3u);
  panel.Set(arrow, ARROW_WRAP_SPLINE, nullptr);
  EXPECT_EQ(ParameterOf(panel.State(arrow), "ARROW_WRAP_SPLINE")["value"], Json(nullptr));
}

TEST_F(PanelTest, InformationBoxIsReturnedOnce) {
  const std::uint64_t arrow = Arrow();
  panel.State(arrow);
  panel.Press(arrow, ARROW_INFO);
  const Json first = panel.State(arrow);
  ASSERT_EQ(first["dialogs"].size(), 1u);
  EXPECT_NE(first["dialogs"][0].get<std::string>().find("Arrow"), std::string::npos);
  EXPECT_TRUE(panel.State(arrow)["dialogs"].empty());
}

TEST_F(PanelTest, SavedPresetLoadsBackAfterReset) {
  const std::uint64_t arrow = Arrow();
  panel.Set(arrow, ARROW_PRESET_NAME, "Wide head");
  panel.Set(arrow, ARROW_HEAD_WIDTH, 175);
  const SavedPreset saved = panel.SavePreset(arrow);
  EXPECT_EQ(saved.fileName, "Wide_head.kvp");
  EXPECT_FALSE(saved.bytes.empty());

  panel.Press(arrow, ARROW_RESET);
  EXPECT_EQ(ParameterOf(panel.State(arrow), "ARROW_HEAD_WIDTH")["value"], Json(50.0));
  panel.LoadPreset(arrow, saved.bytes, "mine.kvp");
  const Json state = panel.State(arrow);
  EXPECT_EQ(ParameterOf(state, "ARROW_HEAD_WIDTH")["value"], Json(175.0));
  EXPECT_EQ(ParameterOf(state, "ARROW_PRESET_NAME")["value"], "Wide head");
}

TEST_F(PanelTest, UploadThatIsNoPresetFailsAndSaysSo) {
  const std::uint64_t arrow = Arrow();
  panel.Set(arrow, ARROW_HEAD_LENGTH, 123);
  const Json before = panel.State(arrow);
  const std::string why = Refusal([&] { panel.LoadPreset(arrow, "not a preset at all", "notes.txt"); });
  EXPECT_NE(why.find("cannot load preset 'notes.txt'"), std::string::npos) << why;
  EXPECT_EQ(why.find("upload.kvp"), std::string::npos) << why;
  const Json after = panel.State(arrow);
  EXPECT_EQ(after["object"], before["object"]);
  EXPECT_EQ(after["undo"], before["undo"]);
}

// A preset can carry NaN or an infinity; JSON has no such numbers, and a path of them
// draws nothing.
TEST_F(PanelTest, ValuesThatAreNoNumbersShowAsSuchAndThePreviewSaysItCannotDraw) {
  const std::uint64_t arrow = Arrow();
  const struct {
    double stored;
    const char* shown;
  } cases[] = {{std::nan(""), "nan"}, {INFINITY, "inf"}, {-INFINITY, "-inf"}};
  for (const auto& c : cases) {
    kvhost::SetParameterRaw(kvhost::Container(panel.Find(arrow)), ARROW_HEAD_LENGTH, c.stored);
    const Json state = panel.State(arrow);
    EXPECT_EQ(ParameterOf(state, "ARROW_HEAD_LENGTH")["value"], c.shown);
    const Json& preview = state["object"]["preview"];
    EXPECT_FALSE(preview.contains("svg")) << preview.dump();
    EXPECT_NE(preview.value("error", "").find("cannot"), std::string::npos) << preview.dump();
  }
}

}  // namespace
}  // namespace kvtool
