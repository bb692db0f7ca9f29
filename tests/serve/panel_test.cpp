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
  EXPECT_EQ(state["tree"][0]["label"], "Arrow 1");
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
  EXPECT_EQ(state["tree"][0]["label"], "Extrude 1");
  EXPECT_EQ(state["tree"][0]["children"][0]["id"], Json(arrow));

  panel.Undo();
  state = panel.State(arrow);
  ASSERT_EQ(state["tree"].size(), 1u);
  EXPECT_EQ(state["tree"][0]["id"], Json(arrow));
  EXPECT_EQ(state["undo"]["redo"], 1);

  // The Extrude that comes back is the same object, under the same name.
  panel.Redo();
  EXPECT_EQ(panel.State(arrow)["tree"][0]["label"], "Extrude 1");
}

TEST_F(PanelTest, HostObjectsShowTheirParametersReadOnly) {
  const std::uint64_t arrow = Arrow();
  panel.Press(arrow, ARROW_MAKE_CLONER);
  const Json state = panel.State(arrow);
  const std::uint64_t cloner = state["tree"][0]["id"];
  const Json shown = panel.State(cloner);
  EXPECT_EQ(shown["object"]["label"], "Cloner 1");
  EXPECT_FALSE(shown["object"]["editable"]);
  EXPECT_FALSE(shown["object"]["parameters"].empty());
  // Named as the host names them; the mode with its choices.
  const Json mode = ParameterOf(shown, std::to_string(KV_CLONER_MODE));
  EXPECT_EQ(mode["label"], "Mode");
  EXPECT_EQ(mode["cycle"].size(), 2u);
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

namespace kvtool {
namespace {

// Objects are numbered per type in the order they were made, whatever the tree's order,
// and keep their names when other objects go or come back.
TEST_F(PanelTest, ObjectsAreNumberedPerTypeInTheOrderTheyWereMade) {
  const std::uint64_t arrow = Arrow();
  const std::uint64_t spline1 = panel.Add("spline");
  const std::uint64_t arrow2 = panel.Add("arrow");
  const std::uint64_t spline2 = panel.Add("spline");
  panel.Press(arrow2, ARROW_MAKE_EXTRUDE);
  panel.Undo();
  panel.Press(arrow, ARROW_MAKE_EXTRUDE);
  panel.Press(arrow2, ARROW_MAKE_EXTRUDE);
  Json state = panel.State(arrow);
  const auto name = [&](std::uint64_t serial) {
    for (const Json& o : state["objects"]) {
      if (o["id"] == serial) return o["label"].get<std::string>();
    }
    return std::string("(absent)");
  };
  // New objects go first in the tree; the names follow the order of making.
  const struct {
    std::uint64_t serial;
    const char* name;
  } cases[] = {{arrow, "Arrow 1"}, {spline1, "Spline 1"}, {arrow2, "Arrow 2"}, {spline2, "Spline 2"}};
  for (const auto& c : cases) EXPECT_EQ(name(c.serial), c.name);
  // The Extrude made and undone had the first number; the two made after it the next.
  EXPECT_EQ(state["tree"][0]["label"], "Extrude 3");
  EXPECT_EQ(state["tree"][1]["label"], "Extrude 2");
  EXPECT_EQ(state["objects"].size(), 6u);
}

// Make Spline Wrap that places no deformer: the module does as it does, the panel says why.
TEST_F(PanelTest, MakeSplineWrapThatPlacesNoDeformerSaysWhy) {
  const struct {
    const char* name;
    bool linkSpline;
    const char* parent;  // "cloner", "wrap" (a Spline Wrap is there already) or none
    const char* notice;  // empty: a deformer is placed and nothing is said
  } cases[] = {
      {"no path spline", false, "", "No Spline Wrap was placed: no path spline is linked; choose one in Path Spline"},
      // The module switches the interpolation all the same.
      {"under a Cloner", true, "cloner",
       "No Spline Wrap was placed: the arrow's parent is a Cloner; switch on Wrap an Extrude. The arrow's "
       "interpolation was switched to Natural Interpolation all the same; Undo takes that back"},
      {"has one already", true, "wrap", "No Spline Wrap was placed: the arrow has one already"},
      {"placed", true, "", ""},
  };
  // One arrow a case, each at the top level: a deformer placed goes under its arrow, where
  // no other case's arrow looks.
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Panel& fresh = panel;
    const std::uint64_t arrow = fresh.Add("arrow");
    const std::uint64_t spline = fresh.Add("spline");
    if (c.linkSpline) fresh.Set(arrow, ARROW_WRAP_SPLINE, spline);
    if (std::string(c.parent) == "cloner") {
      fresh.Press(arrow, ARROW_MAKE_CLONER);
    } else if (std::string(c.parent) == "wrap") {
      fresh.Press(arrow, ARROW_MAKE_WRAP);
    }
    const Json before = fresh.State(arrow);
    EXPECT_TRUE(before["notices"].empty());
    fresh.Press(arrow, ARROW_MAKE_WRAP);
    const Json after = fresh.State(arrow);
    if (*c.notice == '\0') {
      EXPECT_TRUE(after["notices"].empty()) << after["notices"].dump();
      EXPECT_EQ(CountNodes(after["tree"]), CountNodes(before["tree"]) + 1);
      continue;
    }
    ASSERT_EQ(after["notices"].size(), 1u);
    EXPECT_EQ(after["notices"][0], c.notice);
    EXPECT_EQ(CountNodes(after["tree"]), CountNodes(before["tree"]));
    // Said once.
    EXPECT_TRUE(fresh.State(arrow)["notices"].empty());
  }
}

// A refused value names its field by label and tells which field it was.
TEST_F(PanelTest, RefusedValuesNameTheirFieldByLabel) {
  const std::uint64_t arrow = Arrow();
  const struct {
    std::int32_t id;
    Json value;
    const char* message;
  } cases[] = {
      {ARROW_TAPER_HEAD, 150, "Taper at Head: 150 is outside"},
      {ARROW_HEAD_LENGTH, "long", "Head Length: 'long' is not a number"},
      // Greyed while the double arrow is off.
      {ARROW_DOUBLE_SHAFT_LENGTH, 10, "Shaft Length is greyed out"},
  };
  for (const auto& c : cases) {
    try {
      panel.Set(arrow, c.id, c.value);
      ADD_FAILURE() << c.message << ": accepted";
    } catch (const FieldRefusal& e) {
      EXPECT_EQ(e.parameter, c.id);
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
    }
  }
}

}  // namespace
}  // namespace kvtool
