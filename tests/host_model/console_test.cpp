// The console, message dialogs and plug-in registration records.
#include <gtest/gtest.h>

#include "bitmaps.h"
#include "host.h"
#include "host_strings.h"

namespace {

using namespace kvhost;

class Console : public ::testing::Test {
 protected:
  void SetUp() override { ResetHost(); }
  void TearDown() override { ResetHost(); }
  const KvHostTables* t = HostTables();
};

TEST_F(Console, LinesKeepEveryField) {
  KvString* s = NewString("Orlendt Software: Keelvane successfully loaded.");
  t->t_C4DOS_Ge->Output(s, "main", 22, 14, 1, KV_OUTPUT_INFO);
  t->t_C4DOS_Ge->Output(nullptr, nullptr, 135, 14, 1, KV_OUTPUT_CRITICAL);
  FreeString(s);
  ASSERT_EQ(ConsoleLines().size(), 2u);
  const ConsoleLine& l = ConsoleLines()[0];
  EXPECT_EQ(l.text, "Orlendt Software: Keelvane successfully loaded.");
  EXPECT_EQ(l.file, "main");
  EXPECT_EQ(l.line, 22);
  EXPECT_EQ(l.audience, 14);
  EXPECT_EQ(l.writeMeta, 1);
  EXPECT_EQ(ConsoleLines()[1].level, KV_OUTPUT_CRITICAL);
  EXPECT_EQ(ConsoleLines()[1].file, "");
}

TEST_F(Console, DialogsAreRecordedAndAnsweredFromTheScript) {
  ScriptDialogAnswers({7});
  KvString* s = NewString("Info");
  EXPECT_EQ(t->t_C4DOS_Ge->MessageDialog(s, KV_GEMB_ICONEXCLAMATION), 7);
  EXPECT_EQ(t->t_C4DOS_Ge->MessageDialog(s, KV_GEMB_ICONEXCLAMATION), 1);
  FreeString(s);
  ASSERT_EQ(MessageDialogs().size(), 2u);
  EXPECT_EQ(MessageDialogs()[0].text, "Info");
  EXPECT_EQ(MessageDialogs()[0].flags, KV_GEMB_ICONEXCLAMATION);
}

TEST_F(Console, RegistrationRefusesADuplicateAndAShortRecord) {
  KvObjectPluginRecord r{};
  KvString* desc = NewString("Okeelvane");
  KvBitmap icon;
  icon.width = 32;
  icon.height = 16;
  r.description = desc;
  r.icon = &icon;
  EXPECT_TRUE(t->t_C4DOS_Pl->RegisterObjectPlugin(5, 77, nullptr, &r, sizeof(r)));
  EXPECT_FALSE(t->t_C4DOS_Pl->RegisterObjectPlugin(5, 77, nullptr, &r, sizeof(r)));
  EXPECT_FALSE(t->t_C4DOS_Pl->RegisterObjectPlugin(5, 78, nullptr, &r, 8));
  EXPECT_FALSE(t->t_C4DOS_Pl->RegisterDescription(77, desc, nullptr)) << "no resource";
  FreeString(desc);
  ASSERT_NE(FindPlugin(77), nullptr);
  EXPECT_EQ(FindPlugin(77)->description, "Okeelvane");
  ASSERT_TRUE(FindPlugin(77)->icon.has_value()) << "a copy of the icon";
  EXPECT_EQ(FindPlugin(77)->icon->height, 16);
  EXPECT_EQ(HostErrors().size(), 2u);
}

}  // namespace
