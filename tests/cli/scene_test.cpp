// keelvane scene: one script per button of the arrow, each checking the document's tree
// (and what the button changed) after the press and after an undo; then the script
// language itself: names, errors with their line, the closing line.
#include "cli_runner.h"

namespace kvcli {
namespace {

using nlohmann::json;

// The prints of a --json run, without the closing summary (which must say ok).
std::vector<json> Prints(const std::string& script) {
  const Result r = Keelvane({"scene", "-", "--json"}, script);
  EXPECT_EQ(r.status, kvtool::kStatusOk) << r.err;
  std::vector<json> docs = JsonLines(r.out);
  EXPECT_FALSE(docs.empty());
  if (docs.empty()) return docs;
  EXPECT_EQ(docs.back()["print"], "summary");
  EXPECT_EQ(docs.back()["status"], "ok");
  docs.pop_back();
  return docs;
}

// A tree print as "a[b c] d": names, children in brackets.
std::string Shape(const json& nodes) {
  std::string out;
  for (const json& n : nodes) {
    if (!out.empty()) out += " ";
    out += n["name"].get<std::string>();
    if (!n["children"].empty()) out += "[" + Shape(n["children"]) + "]";
  }
  return out;
}
std::string Tree(const json& print) {
  EXPECT_EQ(print["print"], "tree");
  return Shape(print["tree"]);
}

TEST(SceneButtons, MakeExtrudePutsTheArrowIntoANewExtrude) {
  const auto p = Prints(
      "arrow a ARROW_EXTRUDE_CAPS=on\n"
      "press a ARROW_MAKE_EXTRUDE\n"
      "print tree\n"
      "print extrude1\n"
      "undo\n"
      "print tree\n");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(Tree(p[0]), "extrude1[a]");
  EXPECT_EQ(p[1]["kind"], "extrude");
  EXPECT_EQ(p[1]["parameters"]["2000"], 3);  // caps written into the new Extrude
  EXPECT_EQ(p[1]["parameters"]["2009"], true);
  EXPECT_EQ(Tree(p[2]), "a");
}

TEST(SceneButtons, MakeClonerClonesTheArrowInALine) {
  const auto p = Prints(
      "arrow a ARROW_CLONE_COUNT=5\n"
      "press a ARROW_MAKE_CLONER\n"
      "print tree\n"
      "print cloner1\n"
      "undo\n"
      "print tree\n");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(Tree(p[0]), "cloner1[a]");
  EXPECT_EQ(p[1]["parameters"]["2010"], 1);
  EXPECT_EQ(p[1]["parameters"]["1270"], 5);
  EXPECT_EQ(Tree(p[2]), "a");
}

TEST(SceneButtons, MakeClonerOnASplineClonesANewExtrude) {
  const auto p = Prints(
      "object path spline\n"
      "arrow a ARROW_CLONE_ON_SPLINE=on ARROW_CLONE_SPLINE=path ARROW_CLONER_ADD_EXTRUDE=on\n"
      "press a ARROW_MAKE_CLONER\n"
      "print tree\n"
      "print cloner1\n"
      "print a\n"
      "undo\n"
      "print tree\n");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(Tree(p[0]), "cloner1[extrude1[a]] path");
  EXPECT_EQ(p[1]["parameters"]["2010"], 0);
  EXPECT_EQ(p[1]["parameters"]["1015"], "path");  // links print as the object's name
  EXPECT_EQ(p[2]["parameters"]["PRIM_PLANE"], 1);  // laid into ZY for the spline
  EXPECT_EQ(Tree(p[3]), "a path");
}

TEST(SceneButtons, MakeSplineWrapAddsADeformerForThePath) {
  const auto p = Prints(
      "object path spline\n"
      "arrow a ARROW_WRAP_SPLINE=path\n"
      "press a ARROW_MAKE_WRAP\n"
      "print tree\n"
      "print splinewrap1\n"
      "undo\n"
      "print tree\n"
      "redo\n"
      "print tree\n");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(Tree(p[0]), "a[splinewrap1] path");
  EXPECT_EQ(p[1]["parameters"]["1001"], "path");
  EXPECT_EQ(p[1]["parameters"]["1012"], 1);
  EXPECT_EQ(Tree(p[2]), "a path");
  EXPECT_EQ(Tree(p[3]), "a[splinewrap1] path");  // the same deformer, under its name
}

TEST(SceneButtons, ResetRestoresTheDefaultsAsOneUndoStep) {
  const auto p = Prints(
      "arrow a ARROW_HEAD_LENGTH=300 ARROW_PRESET_NAME=x\n"
      "press a ARROW_RESET\n"
      "print a\n"
      "print tree\n"
      "undo\n"
      "print a\n");
  ASSERT_EQ(p.size(), 3u);
  EXPECT_EQ(p[0]["parameters"]["ARROW_HEAD_LENGTH"], 100);
  EXPECT_EQ(p[0]["parameters"]["ARROW_PRESET_NAME"], "");
  EXPECT_EQ(Tree(p[1]), "a");
  EXPECT_EQ(p[2]["parameters"]["ARROW_HEAD_LENGTH"], 300);
  EXPECT_EQ(p[2]["parameters"]["ARROW_PRESET_NAME"], "x");
}

TEST(SceneButtons, PresetSaveAndLoadCarryTheShapeToAnotherArrow) {
  TempDir dir;
  const std::string file = (dir / "shape").string();
  const auto p = Prints(
      "arrow a ARROW_HEAD_LENGTH=250 ARROW_CHEVRON_HEAD=on\n"
      "dialog " + file + "\n"
      "press a ARROW_PRESET_SAVE\n"
      "arrow b\n"
      "dialog " + file + ".kvp\n"
      "press b ARROW_PRESET_LOAD\n"
      "print b\n"
      "print tree\n"
      "undo\n"
      "print b\n"
      "print tree\n");
  ASSERT_EQ(p.size(), 4u);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"shape.kvp"});
  EXPECT_EQ(p[0]["parameters"]["ARROW_HEAD_LENGTH"], 250);
  EXPECT_EQ(p[0]["parameters"]["ARROW_CHEVRON_HEAD"], true);
  EXPECT_EQ(Tree(p[1]), "b a");
  EXPECT_EQ(p[2]["parameters"]["ARROW_HEAD_LENGTH"], 100);  // the load was one undo step
  EXPECT_EQ(Tree(p[3]), "b a");
}

TEST(SceneButtons, InfoShowsAMessageBoxAndChangesNothing) {
  const auto p = Prints(
      "arrow a\n"
      "press a ARROW_INFO\n"
      "print console\n"
      "print undo\n"
      "print tree\n");
  ASSERT_EQ(p.size(), 3u);
  ASSERT_EQ(p[0]["message_boxes"].size(), 1u);
  EXPECT_NE(p[0]["message_boxes"][0]["text"].get<std::string>().find("Arrow"), std::string::npos);
  EXPECT_EQ(p[1]["undo"].size(), 1u);  // only the creation of a
  EXPECT_EQ(Tree(p[2]), "a");
}

TEST(SceneNames, ObjectsTheModuleMakesAreNumberedInOrderOfAppearance) {
  const auto p = Prints(
      "arrow a\n"
      "arrow b\n"
      "object extrude2 null\n"
      "press b ARROW_MAKE_EXTRUDE\n"
      "press a ARROW_MAKE_EXTRUDE\n"
      "print tree\n"
      "place a under extrude2 last\n"
      "print tree\n"
      "print undo\n");
  ASSERT_EQ(p.size(), 3u);
  // extrude2 is the script's name of a null, so the second Extrude gets the next number.
  EXPECT_EQ(Tree(p[0]), "extrude3[a] extrude1[b] extrude2");
  EXPECT_EQ(Tree(p[1]), "extrude3 extrude1[b] extrude2[a]");
  const json& last = p[2]["undo"].back()["records"];
  ASSERT_EQ(last.size(), 1u);
  EXPECT_EQ(last[0]["type"], "CHANGE");
  EXPECT_EQ(last[0]["object"], "a");
}

TEST(SceneText, PrintsForPeopleAndEndsWithWhatRan) {
  const Result r = Keelvane({"scene"},
                       "# comment line\n"
                       "arrow a   # an arrow\n"
                       "\n"
                       "plane ZY\n"
                       "arrow b\n"
                       "print contour b\n"
                       "print messages a\n");
  ASSERT_EQ(r.status, kvtool::kStatusOk) << r.err;
  EXPECT_NE(r.out.find("plane: 1 (ZY)"), std::string::npos) << r.out;  // menu took the plane
  EXPECT_NE(r.out.find("spline: type 0 (linear), interpolation"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("22 menu prepare from host"), std::string::npos) << r.out;
  EXPECT_EQ(LastLine(r.out), "scene: 5 commands, ok");
}

TEST(SceneErrors, NameTheLineStopTheScriptAndExitWith2) {
  struct Case {
    std::string script;
    std::string line;
    std::string mentioned;
  };
  const std::vector<Case> cases{
      {"arrow a\n\n# x\nset a ARROW_NO_SUCH=1\n", "<stdin>:4:", "ARROW_NO_SUCH"},
      {"arrow a\nset a ARROW_SHAFT=perhaps\n", "<stdin>:2:", "perhaps"},
      {"arrow a\nset a ARROW_RESET=on\n", "<stdin>:2:", "button"},
      {"frobnicate\n", "<stdin>:1:", "frobnicate"},
      {"arrow a\nprint b\n", "<stdin>:2:", "'b'"},
      {"arrow a\narrow a\n", "<stdin>:2:", "taken"},
      {"arrow a\npress a ARROW_SHAFT\n", "<stdin>:2:", "not a button"},
      {"arrow a\nundo 2\n", "<stdin>:2:", "nothing to undo"},
      {"object e extrude\nset e 2000=x\n", "<stdin>:2:", "2000"},
      {"object e extrude\nset e 9999=1\n", "<stdin>:2:", "9999"},
      {"object e pyramid\n", "<stdin>:1:", "pyramid"},
      {"arrow a\nplace a under a\n", "<stdin>:2:", "itself"},
      {"arrow a\npress a ARROW_MAKE_EXTRUDE\nundo\nset extrude1 2000=1\n", "<stdin>:4:",
       "not in the document"},
  };
  for (const Case& c : cases) {
    const Result r = Keelvane({"scene", "-"}, c.script + "print tree\n");
    EXPECT_EQ(r.status, kvtool::kStatusBadInput) << c.script;
    EXPECT_NE(r.err.find(c.line), std::string::npos) << c.script << r.err;
    EXPECT_NE(r.err.find(c.mentioned), std::string::npos) << c.script << r.err;
    EXPECT_EQ(r.out.find("tree:"), std::string::npos) << "ran past the error: " << c.script;
  }
  const Result missing = Keelvane({"scene", "/nonexistent/script.txt"});
  EXPECT_EQ(missing.status, kvtool::kStatusBadInput);
  EXPECT_NE(missing.err.find("/nonexistent/script.txt"), std::string::npos);
}

}  // namespace
}  // namespace kvcli
