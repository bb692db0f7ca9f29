// Wrong input and failed operations: the exit status tells which, stderr names the
// input and what is wrong, and no output file is left behind, whole or partial.
#include "cli_runner.h"

namespace kvcli {
namespace {

bool Mentions(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(InputErrors, NameTheParameterAndTheValueAndExitWith2) {
  struct Case {
    const char* set;
    std::vector<std::string> mentioned;
  };
  const std::vector<Case> cases{
      {"ARROW_NO_SUCH=1", {"unknown parameter", "ARROW_NO_SUCH"}},
      {"99999=1", {"unknown parameter", "99999"}},
      {"ARROW_SHAFT=maybe", {"ARROW_SHAFT", "'maybe'", "bool"}},
      {"ARROW_SHAFT=", {"ARROW_SHAFT", "bool"}},
      {"ARROW_HEAD_LENGTH=12x", {"ARROW_HEAD_LENGTH", "'12x'", "float"}},
      {"ARROW_HEAD_LENGTH=nan", {"ARROW_HEAD_LENGTH", "'nan'"}},
      {"SPLINEOBJECT_SUB=1.5", {"SPLINEOBJECT_SUB", "'1.5'", "int32"}},
      {"PRIM_PLANE=99999999999", {"PRIM_PLANE", "99999999999"}},
      {"ARROW_RESET=1", {"ARROW_RESET", "button"}},
      {"ARROW_MAKE_EXTRUDE=on", {"ARROW_MAKE_EXTRUDE", "button"}},
      {"ARROW_CLONE_SPLINE=path", {"ARROW_CLONE_SPLINE", "path"}},
      {"ARROW_HEAD_LENGTH", {"NAME=VALUE"}},
  };
  for (const Case& c : cases) {
    const Result r = Keelvane({"outline", "--set", c.set});
    EXPECT_EQ(r.status, kvtool::kStatusBadInput) << c.set;
    EXPECT_TRUE(r.out.empty()) << c.set << ": " << r.out;
    for (const std::string& part : c.mentioned) {
      EXPECT_TRUE(Mentions(r.err, part)) << c.set << ": " << r.err;
    }
  }
}

TEST(InputErrors, AStringTakesTheWholeTextAfterTheEqualsSign) {
  TempDir dir;
  const Result save = Keelvane({"preset", "save", "--output", (dir / "p").string(), "--set",
                           "ARROW_PRESET_NAME=a=b c"});
  ASSERT_EQ(save.status, kvtool::kStatusOk) << save.err;
  const Result show = Keelvane({"preset", "show", (dir / "p.kvp").string(), "--format", "json"});
  EXPECT_EQ(nlohmann::json::parse(show.out)["ARROW_PRESET_NAME"], "a=b c");
}

TEST(InputErrors, UsageErrorsExitWith2) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"frobnicate"},
           {"outline", "--format", "png"},
           {"outline", "--set", "ARROW_SHAFT=on", "ARROW_DOUBLE=on"},
           {"preset", "save"},
           {"preset", "show"},
           {"gallery"}}) {
    const Result r = Keelvane(args);
    EXPECT_EQ(r.status, kvtool::kStatusBadInput) << ::testing::PrintToString(args) << r.err;
    EXPECT_FALSE(r.err.empty());
  }
  EXPECT_EQ(Keelvane({"--help"}).status, kvtool::kStatusOk);
  const Result unknown = Keelvane({"frobnicate"});
  EXPECT_TRUE(Mentions(unknown.err, "unknown command 'frobnicate'")) << unknown.err;
  EXPECT_TRUE(Mentions(unknown.err, "outline, preset, params")) << unknown.err;
}

TEST(OutputFiles, AreNotWrittenWhenTheInputIsWrong) {
  TempDir dir;
  for (const char* format : {"json", "svg"}) {
    const std::string out = (dir / (std::string("a.") + format)).string();
    const Result r = Keelvane({"outline", "--format", format, "--output", out, "--set", "ARROW_SHAFT=2"});
    EXPECT_EQ(r.status, kvtool::kStatusBadInput);
  }
  const Result gallery = Keelvane({"gallery", "--output", (dir / "g.svg").string(), "--columns", "0"});
  EXPECT_EQ(gallery.status, kvtool::kStatusBadInput);
  EXPECT_TRUE(dir.Entries().empty()) << ::testing::PrintToString(dir.Entries());
}

TEST(OutputFiles, AnExistingFileIsKeptWholeWhenACommandFails) {
  TempDir dir;
  WriteFile(dir / "a.json", "previous");
  const Result bad = Keelvane({"outline", "--format", "json", "--output", (dir / "a.json").string(),
                          "--preset", (dir / "missing.kvp").string()});
  EXPECT_EQ(bad.status, kvtool::kStatusFailed);
  EXPECT_EQ(ReadFile(dir / "a.json"), "previous");
  const Result good = Keelvane({"outline", "--format", "json", "--output", (dir / "a.json").string()});
  ASSERT_EQ(good.status, kvtool::kStatusOk) << good.err;
  EXPECT_EQ(nlohmann::json::parse(ReadFile(dir / "a.json"))["points"].size(), 7u);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"a.json"});
}

TEST(OutputFiles, TheFormatFollowsTheExtensionAndAMismatchIsRefused) {
  TempDir dir;
  struct Case {
    std::vector<std::string> args;
    const char* file;
    int status;
    std::vector<std::string> mentioned;  // in stderr when refused, else the file's start
  };
  const std::vector<Case> cases{
      {{"outline"}, "guess.svg", kvtool::kStatusOk, {"<svg"}},
      {{"outline"}, "GUESS.JSON", kvtool::kStatusOk, {"{\"closed\""}},
      {{"outline"}, "p.csv", kvtool::kStatusOk, {"index,x,y,z"}},
      {{"outline"}, "plain", kvtool::kStatusOk, {"outline: 7 points"}},
      {{"outline", "--format", "csv"}, "p.txt", kvtool::kStatusBadInput, {"--format csv", "p.txt", "text"}},
      {{"outline", "--format", "text"}, "guess.svg", kvtool::kStatusBadInput, {"--format text", ".svg"}},
      {{"outline"}, "a.png", kvtool::kStatusBadInput, {"a.png", ".png", ".svg"}},
      {{"gallery"}, "g.svg", kvtool::kStatusOk, {"<svg"}},
      {{"gallery"}, "g.png", kvtool::kStatusBadInput, {"g.png", ".png", ".svg"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--output", (dir / c.file).string()});
    const Result r = Keelvane(args);
    EXPECT_EQ(r.status, c.status) << c.file << ": " << r.err;
    for (const std::string& part : c.mentioned) {
      if (c.status == kvtool::kStatusOk) {
        EXPECT_EQ(ReadFile(dir / c.file).rfind(part, 0), 0u) << c.file;
      } else {
        EXPECT_TRUE(Mentions(r.err, part)) << part << " in " << r.err;
      }
    }
    if (c.status != kvtool::kStatusOk) {
      EXPECT_FALSE(std::filesystem::exists(dir / c.file)) << c.file;
    }
    std::filesystem::remove(dir / c.file);
  }
}

TEST(OutputFiles, AFolderIsRefusedAsSuch) {
  TempDir dir;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"outline", "--output", "/"},
           {"outline", "--output", dir.Path().string()},
           {"gallery", "--output", (dir / "sub/").string()},
           {"preset", "save", "--output", dir.Path().string()},
           {"preset", "save", "--output", "/"}}) {
    const Result r = Keelvane(args);
    EXPECT_EQ(r.status, kvtool::kStatusBadInput) << ::testing::PrintToString(args);
    EXPECT_TRUE(Mentions(r.err, "names a folder")) << r.err;
  }
}

TEST(ScriptInput, IsNamedWhenItCannotBeReadAndMayStartWithAByteOrderMark) {
  TempDir dir;
  const Result missing = Keelvane({"scene", (dir / "nosuch.txt").string()});
  EXPECT_EQ(missing.status, kvtool::kStatusBadInput);
  EXPECT_TRUE(Mentions(missing.err, "nosuch.txt': no such file")) << missing.err;
  const Result folder = Keelvane({"scene", dir.Path().string()});
  EXPECT_EQ(folder.status, kvtool::kStatusBadInput);
  EXPECT_TRUE(Mentions(folder.err, "folder")) << folder.err;
  const Result bom = Keelvane({"scene"}, "\xEF\xBB\xBF" "arrow a\nprint tree\n");
  EXPECT_EQ(bom.status, kvtool::kStatusOk) << bom.err;
  EXPECT_TRUE(Mentions(bom.out, "a (arrow)")) << bom.out;
}

TEST(ScriptInput, AFailedPresetButtonSaysWhatWentWrongAndExitsWith1) {
  TempDir dir;
  const std::string nowhere = (dir / "nowhere" / "p").string();
  const std::string missing = (dir / "missing.kvp").string();
  const Result r = Keelvane({"scene"}, "arrow a\ndialog " + nowhere + "\npress a ARROW_PRESET_SAVE\n" +
                                           "dialog " + missing + "\npress a ARROW_PRESET_LOAD\n" +
                                           "dialog cancel\npress a ARROW_PRESET_LOAD\n" + "dialog " +
                                           (dir / "ok").string() + "\npress a ARROW_PRESET_SAVE\n");
  EXPECT_EQ(r.status, kvtool::kStatusFailed);
  EXPECT_TRUE(Mentions(r.err, "<stdin>:3: preset save to '" + nowhere + ".kvp' failed: no folder")) << r.err;
  EXPECT_TRUE(Mentions(r.err, "<stdin>:5: preset load of '" + missing + "' failed: no such file")) << r.err;
  EXPECT_EQ(Lines(r.err).size(), 2u) << r.err;  // the cancel and the good save are no failures
  EXPECT_EQ(LastLine(r.out), "scene: 9 commands, 2 failed");
}

TEST(Help, EveryCommandListsThePluginOption) {
  for (const char* command : {"outline", "params", "gallery", "scene", "check", "serve"}) {
    const Result r = Keelvane({command, "--help"});
    EXPECT_EQ(r.status, kvtool::kStatusOk) << command;
    EXPECT_TRUE(Mentions(r.out, "--plugin")) << command << ":\n" << r.out;
  }
}

TEST(FailedOperations, AnUnwritableOutputExitsWith1) {
  const Result r = Keelvane({"outline", "--output", "/nonexistent-folder/a.txt"});
  EXPECT_EQ(r.status, kvtool::kStatusFailed);
  EXPECT_TRUE(Mentions(r.err, "/nonexistent-folder/a.txt")) << r.err;
  const Result save = Keelvane({"preset", "save", "--output", "/nonexistent-folder/a"});
  EXPECT_EQ(save.status, kvtool::kStatusFailed);
  EXPECT_TRUE(Mentions(save.err, "/nonexistent-folder")) << save.err;
}

TEST(FailedOperations, AMissingPresetExitsWith1AndSaysSo) {
  TempDir dir;
  const std::string missing = (dir / "missing.kvp").string();
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"preset", "show", missing},
        std::vector<std::string>{"outline", "--preset", missing}}) {
    const Result r = Keelvane(args);
    EXPECT_EQ(r.status, kvtool::kStatusFailed) << r.err;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(Mentions(r.err, missing)) << r.err;
    EXPECT_TRUE(Mentions(r.err, "no such file")) << r.err;
  }
}

// Values no outline can be drawn from: a preset holding a NaN or an infinity is refused
// like a damaged file, and edits that overflow the outline give no outline at all.
TEST(FailedOperations, NonFiniteValuesAndOverflowingOutlinesExitWith1) {
  TempDir dir;
  ASSERT_EQ(Keelvane({"preset", "save", "--output", (dir / "whole").string()}).status, kvtool::kStatusOk);
  const std::string whole = ReadFile(dir / "whole.kvp");
  const std::size_t headLength = 4 + 23 + 4 + 14 + 4 + 22 + 5;  // item 5
  for (const char* bits : {"\x7F\xC0\x00\x00", "\xFF\x80\x00\x00"}) {
    std::string bad = whole;
    bad.replace(headLength, 4, std::string(bits, 4));
    WriteFile(dir / "bad.kvp", bad);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"preset", "show", (dir / "bad.kvp").string()},
          std::vector<std::string>{"outline", "--preset", (dir / "bad.kvp").string()}}) {
      const Result r = Keelvane(args);
      EXPECT_EQ(r.status, kvtool::kStatusFailed) << ::testing::PrintToString(args);
      EXPECT_TRUE(r.out.empty()) << r.out;
      EXPECT_TRUE(Mentions(r.err, "bad.kvp")) << r.err;
    }
  }
  for (const char* set : {"ARROW_HEAD_WIDTH=1e308", "ARROW_TAPER_TAIL=-1e308"}) {
    const Result r = Keelvane({"outline", "--format", "json", "--set", set});
    EXPECT_EQ(r.status, kvtool::kStatusFailed) << set;
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_TRUE(Mentions(r.err, "no outline for these values")) << r.err;
  }
}

TEST(FailedOperations, APresetCutShortIsRefusedWithWhatTheHostReported) {
  TempDir dir;
  ASSERT_EQ(Keelvane({"preset", "save", "--output", (dir / "whole").string()}).status, kvtool::kStatusOk);
  const std::string whole = ReadFile(dir / "whole.kvp");
  WriteFile(dir / "short.kvp", whole.substr(0, 100));
  const Result r = Keelvane({"preset", "show", (dir / "short.kvp").string()});
  EXPECT_EQ(r.status, kvtool::kStatusFailed);
  EXPECT_TRUE(Mentions(r.err, "short.kvp")) << r.err;
  EXPECT_TRUE(Mentions(r.err, "host:")) << r.err;
}

}  // namespace
}  // namespace kvcli
