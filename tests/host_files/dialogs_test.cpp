// Scripted file dialogs: queued answers, cancels, and dialogs nobody answered.
#include "file_test_support.h"

namespace {

using namespace kvhost;
using kvtest::FileServicesTest;

class Dialogs : public FileServicesTest {
 protected:
  bool Select(KvFilename* start, std::int32_t mode, const char* title = "", const char* force = "") {
    KvString* t = NewString(title);
    KvString* f = NewString(force);
    bool chosen = FileSystemTable()->FileSelect(start, 0, mode, t, f);
    FreeString(t);
    FreeString(f);
    return chosen;
  }
};

TEST_F(Dialogs, AnswersAreTakenInOrderAndRecorded) {
  QueueDialogAnswer("/picked/first.kvp");
  QueueDialogCancel();
  QueueDialogAnswer("/picked/third.kvp");
  EXPECT_EQ(PendingDialogAnswers(), 3u);

  KvFilename* fn = Fn("/plug/presets/*.kvp");
  EXPECT_TRUE(Select(fn, 0, "Load"));
  EXPECT_EQ(fn->path, "/picked/first.kvp");

  KvFilename* cancelled = Fn("/plug/*.kvp");
  EXPECT_FALSE(Select(cancelled, 1));
  EXPECT_EQ(cancelled->path, "/plug/*.kvp") << "a cancelled dialog leaves the path alone";

  EXPECT_TRUE(Select(fn, 1));
  EXPECT_EQ(fn->path, "/picked/third.kvp");
  EXPECT_EQ(PendingDialogAnswers(), 0u);

  const std::vector<ShownDialog>& shown = ShownDialogs();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].mode, 0);
  EXPECT_EQ(shown[0].startPath, "/plug/presets/*.kvp");
  EXPECT_EQ(shown[0].title, "Load");
  EXPECT_EQ(shown[1].mode, 1);
  EXPECT_EQ(shown[1].startPath, "/plug/*.kvp");
  EXPECT_EQ(shown[2].startPath, "/picked/first.kvp") << "the start path is recorded as shown";
  for (const ShownDialog& d : shown) EXPECT_TRUE(d.answered);
  EXPECT_TRUE(HostErrors().empty());
}

TEST_F(Dialogs, UnansweredDialogIsReportedAndCancelled) {
  KvFilename* fn = Fn("/plug/presets/*.kvp");
  EXPECT_FALSE(Select(fn, 1, "Save Preset"));
  EXPECT_EQ(fn->path, "/plug/presets/*.kvp");
  ASSERT_EQ(HostErrors().size(), 1u);
  EXPECT_NE(HostErrors()[0].find("file dialog"), std::string::npos) << HostErrors()[0];
  EXPECT_NE(HostErrors()[0].find("Save Preset"), std::string::npos) << HostErrors()[0];
  ASSERT_EQ(ShownDialogs().size(), 1u);
  EXPECT_FALSE(ShownDialogs()[0].answered);
}

TEST_F(Dialogs, ForcedSuffixIsPutOnTheAnswer) {
  QueueDialogAnswer("/picked/name.txt");
  KvFilename* fn = Fn("*.kvp");
  EXPECT_TRUE(Select(fn, 1, "", "kvp"));
  EXPECT_EQ(fn->path, "/picked/name.kvp");
}

TEST_F(Dialogs, ClearingDropsAnswersAndRecords) {
  QueueDialogAnswer("/a");
  Select(Fn(""), 0);
  QueueDialogAnswer("/b");
  ClearDialogs();
  EXPECT_EQ(PendingDialogAnswers(), 0u);
  EXPECT_TRUE(ShownDialogs().empty());
}

}  // namespace
