// Malformed resource folders: each fault gives no resources and an error that names the
// file and the line at fault.
#include "file_test_support.h"
#include "resources.h"

namespace {

using namespace kvhost;
using kvtest::FileServicesTest;

namespace fs = std::filesystem;

struct Fault {
  const char* name;
  const char* file;  // inside the resource folder
  const char* from;  // first occurrence replaced ...
  const char* to;    // ... by this
  const char* lineOf;  // the error names the line of the file holding this after the change
  const char* says;
};

const Fault kFaults[] = {
    {"label missing", "strings_en-US/description/okeelvane.str", "  ARROW_HEAD_WIDTH \"Head Width\";\n", "",
     "REAL ARROW_HEAD_WIDTH", "ARROW_HEAD_WIDTH has no label"},
    {"unknown symbol", "description/okeelvane.res", "REAL ARROW_HEAD_SWEEP", "REAL ARROW_HEAD_SWEPT",
     "ARROW_HEAD_SWEPT", "unknown symbol ARROW_HEAD_SWEPT"},
    {"parameter twice", "description/okeelvane.res", "BOOL ARROW_BEVEL_OPTION { }",
     "BOOL ARROW_BEVEL_OPTION { }\n      BOOL ARROW_BEVEL { }", "ARROW_BEVEL_OPTION { }\n      BOOL ARROW_BEVEL", "appears twice"},
    {"property of another type", "description/okeelvane.res", "BOOL ARROW_SHAFT { }", "BOOL ARROW_SHAFT { MIN 0; }",
     "ARROW_SHAFT { MIN", "is not a property of the BOOL ARROW_SHAFT"},
    {"integer range with a fraction", "description/okeelvane.res", "MIN 1; MAX 10000;", "MIN 1.5; MAX 10000;",
     "MIN 1.5", "expected an integer"},
    {"min above max", "description/okeelvane.res", "MIN 1; MAX 10000;", "MIN 20000; MAX 10000;",
     "LONG ARROW_CLONE_COUNT", "above its MAX"},
    {"unknown unit", "description/okeelvane.res", "UNIT PERCENT", "UNIT PERCENTS", "UNIT PERCENTS", "unknown unit"},
    {"missing semicolon", "description/okeelvane.res", "STEP 1.0; }", "STEP 1.0 }", "STEP 1.0 }", "expected ';'"},
    {"unclosed group", "description/okeelvane.res", "      BUTTON ARROW_MAKE_WRAP { }\n    }\n  }\n}", "", "",
     "the file ends inside"},
    {"header value reused", "description/okeelvane.h", "ARROW_SHAFT_WIDTH = 10010", "ARROW_SHAFT_WIDTH = 10000",
     "ARROW_SHAFT_WIDTH = 10000", "has the value 10000 of ARROW_SHAFT_LENGTH"},
    {"host symbol in the header", "description/okeelvane.h", "  Okeelvane = 1025060,\n",
     "  Okeelvane = 1025060,\n  PRIM_PLANE = 2300,\n", "PRIM_PLANE = 2300", "the host's own symbol"},
    {"header with code", "description/okeelvane.h", "#endif", "int x;", "int x;", "expected 'enum'"},
    {"string not closed", "strings_en-US/strings.str", "IDS_ARROW \"Arrow\";", "IDS_ARROW \"Arrow;",
     "IDS_ARROW \"Arrow;", "string not closed"},
    {"string without symbol", "strings_en-US/strings.str", "IDS_ARROW \"Arrow\";", "IDS_ARROW \"Arrow\";\n  IDS_NONE \"x\";",
     "IDS_NONE", "IDS_NONE is not defined in symbols.h"},
    {"string id without text", "strings_en-US/strings.str", "IDS_ARROW \"Arrow\";", "", "IDS_ARROW = 10000",
     "IDS_ARROW has no text"},
    {"label of unknown symbol", "strings_en-US/description/okeelvane.str", "  ARROW_INFO \"Info\";\n",
     "  ARROW_INFO \"Info\";\n  ARROW_NOTHING \"x\";\n", "ARROW_NOTHING", "label for unknown symbol ARROW_NOTHING"},
    {"name mismatch", "description/okeelvane.res", "NAME Okeelvane;", "NAME Obase;", "NAME Obase", "does not match"},
    {"bad escape", "strings_en-US/description/okeelvane.str", "\"Arrow\"", "\"Arr\\qow\"", "Arr\\qow", "unknown escape"},
};

// The 1-based line on which the first occurrence of needle in text ends; 0 when none.
int LineOf(const std::string& text, const std::string& needle) {
  std::size_t at = text.find(needle);
  if (at == std::string::npos) return 0;
  int line = 1;
  for (std::size_t i = 0; i + 1 < at + needle.size(); ++i) line += text[i] == '\n';
  return line;
}

class ResourceErrors : public FileServicesTest {
 protected:
  void SetUp() override {
    FileServicesTest::SetUp();
    res = dir / "res";
    fs::copy(KV_RES_DIR, res, fs::copy_options::recursive);
  }
  fs::path res;
};

TEST_F(ResourceErrors, TheCopyLoads) {
  ResourceFolder folder;
  std::string error;
  EXPECT_TRUE(LoadResourceFolder(res, folder, error)) << error;
}

TEST_F(ResourceErrors, EachFaultIsNamedWithFileAndLine) {
  for (const Fault& fault : kFaults) {
    SCOPED_TRACE(fault.name);
    fs::remove_all(res);
    fs::copy(KV_RES_DIR, res, fs::copy_options::recursive);
    std::string text = kvtest::ReadText(res / fault.file);
    std::size_t at = text.find(fault.from);
    ASSERT_NE(at, std::string::npos) << "the fixture no longer matches " << fault.file;
    text.replace(at, std::string(fault.from).size(), fault.to);
    kvtest::WriteText(res / fault.file, text);

    ResourceFolder folder;
    std::string error;
    EXPECT_FALSE(LoadResourceFolder(res, folder, error));
    EXPECT_NE(error.find(fault.says), std::string::npos) << error;
    // The error names the file of the fault or, for a missing item, the file that uses it.
    if (*fault.lineOf) {
      bool located = false;
      for (const char* file : {fault.file, "description/okeelvane.res", "symbols.h"}) {
        int line = LineOf(kvtest::ReadText(res / file), fault.lineOf);
        if (line > 0) located |= error.find((res / file).make_preferred().string() + ":" + std::to_string(line) + ":") != std::string::npos;
      }
      EXPECT_TRUE(located) << error;
    } else {
      EXPECT_NE(error.find((res / fault.file).make_preferred().string() + ":"), std::string::npos) << error;
    }
  }
}

TEST_F(ResourceErrors, TableLoadGivesNullAndReportsTheFault) {
  kvtest::WriteText(res / "description" / "okeelvane.res", "CONTAINER Okeelvane {\n  NAME Okeelvane;\n  GROUP {\n}\n}\n");
  EXPECT_EQ(ResourceTable()->Load(Fn(res.string())), nullptr);
  ASSERT_EQ(HostErrors().size(), 1u);
  EXPECT_NE(HostErrors()[0].find("okeelvane.res:3:"), std::string::npos) << HostErrors()[0];
  EXPECT_EQ(LiveAllocations(AllocKind::Resource), 0);
}

TEST_F(ResourceErrors, MissingFilesAndFolders) {
  ResourceFolder folder;
  std::string error;
  EXPECT_FALSE(LoadResourceFolder(dir / "nowhere", folder, error));
  EXPECT_NE(error.find("nowhere"), std::string::npos) << error;
  for (const char* file : {"symbols.h", "strings_en-US/strings.str", "description/okeelvane.h",
                           "strings_en-US/description/okeelvane.str"}) {
    fs::remove_all(res);
    fs::copy(KV_RES_DIR, res, fs::copy_options::recursive);
    fs::remove(res / file);
    EXPECT_FALSE(LoadResourceFolder(res, folder, error)) << file;
    EXPECT_NE(error.find((res / file).make_preferred().string()), std::string::npos) << error;
  }
  EXPECT_EQ(ResourceTable()->Load(nullptr), nullptr);
}

TEST_F(ResourceErrors, ResourceAllocationFailure) {
  FailNextAllocation(AllocKind::Resource);
  EXPECT_EQ(ResourceTable()->Load(Fn(res.string())), nullptr);
  KvResource* loaded = ResourceTable()->Load(Fn(res.string()));
  EXPECT_NE(loaded, nullptr);
  ResourceTable()->Free(loaded);
}

}  // namespace
