// The preset buttons of the real module: where their dialogs start, what a save names
// its file, what a load records for undo and sends, and how both fail.
#include "preset_test_support.h"

namespace kvtest {
namespace {


// Cancels the next dialog the button shows and returns where it started.
std::string CancelledStart(KvNode* arrow, std::int32_t button) {
  kvhost::QueueDialogCancel();
  kvhost::PressButton(arrow, button);
  return LastDialogStart();
}

}  // namespace

using PresetCommandTest = PresetTest;

TEST_P(PresetCommandTest, BothDialogsStartInThePresetsFolder) {
  KvNode* arrow = NewArrow();
  const std::string presets = DialogStart(PluginFolder() / "presets");
  for (const std::int32_t button : {ARROW_PRESET_LOAD, ARROW_PRESET_SAVE}) {
    SCOPED_TRACE(button);
    EXPECT_EQ(CancelledStart(arrow, button), presets);
    const kvhost::ShownDialog& shown = kvhost::ShownDialogs().back();
    EXPECT_EQ(shown.mode, button == ARROW_PRESET_LOAD ? KV_FILESELECT_LOAD : KV_FILESELECT_SAVE);
    EXPECT_EQ(shown.type, KV_FILESELECTTYPE_ANYTHING) << "any file";
    EXPECT_EQ(shown.title, "");
    EXPECT_EQ(shown.forceSuffix, "");
  }
  EXPECT_EQ(kvhost::ShownDialogs().size(), 2u);
}

// Without a "presets" folder both dialogs start in the plug-in folder. One made while the
// host runs serves the next save at once, but loads only of objects made after it.
TEST_P(PresetCommandTest, PresetsFolderMadeWhileRunning) {
  kvhost::FreeDocument(doc);
  doc = nullptr;
  module.reset();
  kvhost::ResetHost();
  const PluginFolderCopy copy(GetParam(), {.withResources = true, .withIcon = true, .withPresets = false});
  const std::filesystem::path plugin = copy.Folder();
  std::string error;
  module = kvhost::Module::Load(copy.ModulePath(), &error);
  ASSERT_NE(module, nullptr) << error;
  ASSERT_TRUE(module->Start());
  doc = kvhost::NewDocument();

  KvNode* early = NewArrow();
  EXPECT_EQ(CancelledStart(early, ARROW_PRESET_LOAD), DialogStart(plugin));
  EXPECT_EQ(CancelledStart(early, ARROW_PRESET_SAVE), DialogStart(plugin));

  std::filesystem::create_directory(plugin / "presets");
  EXPECT_EQ(CancelledStart(early, ARROW_PRESET_SAVE), DialogStart(plugin / "presets"));
  EXPECT_EQ(CancelledStart(early, ARROW_PRESET_LOAD), DialogStart(plugin));
  KvNode* late = NewArrow();
  EXPECT_EQ(CancelledStart(late, ARROW_PRESET_LOAD), DialogStart(plugin / "presets"));
}

TEST_P(PresetCommandTest, CancelledCommandsChangeNothing) {
  std::filesystem::create_directory(dir / "a");
  Save(NewArrow(), PathIn("a/p.kvp"));
  KvNode* arrow = NewArrow();
  ASSERT_TRUE(Load(arrow, PathIn("a/p.kvp")));
  SetItems(arrow, DistinctItems());
  const auto before = Snapshot(arrow);
  const std::size_t steps = kvhost::UndoHistory(doc).size();
  const auto files = std::distance(std::filesystem::directory_iterator(dir / "a"), {});

  kvhost::QueueDialogCancel();
  EXPECT_EQ(PressAndCountUpdates(arrow, ARROW_PRESET_LOAD), 0);
  kvhost::QueueDialogCancel();
  EXPECT_EQ(PressAndCountUpdates(arrow, ARROW_PRESET_SAVE), 0);

  EXPECT_EQ(Snapshot(arrow), before);
  EXPECT_EQ(kvhost::UndoHistory(doc).size(), steps);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "a"), {}), files);
  EXPECT_EQ(CancelledStart(arrow, ARROW_PRESET_LOAD), DialogStart(dir / "a")) << "presetFolder moved";
}

// A confirmed load dialog moves the object's next load dialog to the chosen file's folder,
// whether or not the file could be read. Saves neither read nor move it.
TEST_P(PresetCommandTest, LoadDialogFollowsTheChosenFolderEvenWhenTheReadFails) {
  for (const char* sub : {"cut", "gone", "saved"}) std::filesystem::create_directory(dir / sub);
  WriteBytes(dir / "cut" / "p.kvp", Slice(PresetFile().Build(), 0, 60));
  KvNode* arrow = NewArrow();

  EXPECT_FALSE(Load(arrow, PathIn("cut/p.kvp")));
  EXPECT_EQ(CancelledStart(arrow, ARROW_PRESET_LOAD), DialogStart(dir / "cut"));
  EXPECT_FALSE(Load(arrow, PathIn("gone/missing.kvp")));
  EXPECT_EQ(CancelledStart(arrow, ARROW_PRESET_LOAD), DialogStart(dir / "gone"));

  Save(arrow, PathIn("saved/p.kvp"));
  EXPECT_EQ(CancelledStart(arrow, ARROW_PRESET_LOAD), DialogStart(dir / "gone"));
  EXPECT_EQ(CancelledStart(arrow, ARROW_PRESET_SAVE), DialogStart(PluginFolder() / "presets"));
}

TEST_P(PresetCommandTest, ArrowMadeLaterStartsInThePresetsFolder) {
  std::filesystem::create_directory(dir / "elsewhere");
  Save(NewArrow(), PathIn("elsewhere/p.kvp"));
  KvNode* first = NewArrow();
  ASSERT_TRUE(Load(first, PathIn("elsewhere/p.kvp")));
  KvNode* second = NewArrow();
  EXPECT_EQ(CancelledStart(second, ARROW_PRESET_LOAD), DialogStart(PluginFolder() / "presets"));
  EXPECT_EQ(CancelledStart(first, ARROW_PRESET_LOAD), DialogStart(dir / "elsewhere"));
}

TEST_P(PresetCommandTest, SaveGivesTheFileTheSuffixKvp) {
  KvNode* arrow = NewArrow();
  WriteBytes(dir / "c.kvp", Bytes(1000, 0xAB));
  Save(arrow, PathIn("a"));
  Save(arrow, PathIn("b.txt"));
  Save(arrow, PathIn("c.kvp"));

  EXPECT_TRUE(std::filesystem::exists(dir / "a.kvp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "a"));
  EXPECT_TRUE(std::filesystem::exists(dir / "b.kvp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "b.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir / "c.kvp.kvp"));
  EXPECT_EQ(ReadBytes(dir / "c.kvp"), ReadBytes(dir / "a.kvp")) << "an existing file is replaced whole";
  EXPECT_EQ(ReadBytes(dir / "a.kvp").size(), kHeaderSize + 155);

  // A suffix that matches in another case is the user's own spelling and stays.
  std::filesystem::create_directory(dir / "case");
  Save(arrow, PathIn("case/d.KVP"));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir / "case")) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"d.KVP"});
}

TEST_P(PresetCommandTest, LoadReadsAFileOfAnySuffix) {
  WriteBytes(dir / "preset.txt", PresetFile(DistinctItems()).Build());
  KvNode* arrow = NewArrow();
  ASSERT_TRUE(Load(arrow, PathIn("preset.txt")));
  ExpectItems(arrow, DistinctItems());
}

// One change record of the arrow, taken before the values change and outside any group of
// the module's own; a save records nothing.
TEST_P(PresetCommandTest, LoadAddsOneChangeRecordAndSaveNone) {
  WriteBytes(dir / "p.kvp", PresetFile(DistinctItems()).Build());
  KvNode* arrow = NewArrow();
  const auto before = Snapshot(arrow);
  const std::size_t steps = kvhost::UndoHistory(doc).size();

  Save(arrow, PathIn("saved.kvp"));
  EXPECT_EQ(kvhost::UndoHistory(doc).size(), steps);

  ASSERT_TRUE(Load(arrow, PathIn("p.kvp")));
  const auto history = kvhost::UndoHistory(doc);
  ASSERT_EQ(history.size(), steps + 1);
  const kvhost::UndoStepView& step = history.back();
  EXPECT_TRUE(step.implicit) << "the load must open no undo group of its own";
  EXPECT_FALSE(step.open);
  ASSERT_EQ(step.records.size(), 1u);
  EXPECT_EQ(step.records[0].type, KV_UNDOTYPE_CHANGE);
  EXPECT_EQ(step.records[0].node, arrow);
  EXPECT_EQ(kvhost::UndoDepth(doc), 0);
  EXPECT_EQ(kvhost::UnbalancedEndUndos(doc), 0);

  ASSERT_TRUE(kvhost::Undo(doc));
  EXPECT_EQ(Snapshot(arrow), before) << "the change record was taken after the load";
}

TEST_P(PresetCommandTest, LoadKeepsBevelAndLinkSettings) {
  WriteBytes(dir / "p.kvp", PresetFile(DistinctItems(), "loaded").Build());
  KvNode* arrow = NewArrow();
  KvNode* path = NewArrow();
  KvContainer* c = kvhost::Container(arrow);
  const std::vector<std::pair<std::int32_t, kvhost::Value>> kept = {
      {ARROW_BEVEL, true},
      {ARROW_BEVEL_SIZE, 33.3},
      {ARROW_BEVEL_OPTION, false},
      {ARROW_EXTRUDE_CAPS, true},
      {ARROW_CLONER_ADD_EXTRUDE, true},
      {ARROW_CLONE_COUNT, std::int32_t{9}},
      {ARROW_CLONE_ON_SPLINE, true},
      {ARROW_CLONE_SPLINE, path},
      {ARROW_CLONE_PLANE_ZY, false},
      {ARROW_CLONE_SPLINE_VALUE, 2.5},
      {ARROW_WRAP_ADD_EXTRUDE, true},
      {ARROW_WRAP_SPLINE, path},
      {ARROW_WRAP_SWITCH, false},
      {ARROW_WRAP_NATURAL_INTERPOLATION, false},
  };
  for (const auto& [id, value] : kept) kvhost::SetParameterRaw(c, id, value);
  const auto before = Snapshot(arrow);

  ASSERT_TRUE(Load(arrow, PathIn("p.kvp")));
  ExpectItems(arrow, DistinctItems());
  EXPECT_EQ(Text(arrow, ARROW_PRESET_NAME), "loaded");
  const auto after = Snapshot(arrow);
  for (const auto& [id, value] : kept) EXPECT_EQ(after.at(id), before.at(id)) << "parameter " << id;
}

TEST_P(PresetCommandTest, UpdateMessageFollowsOnlyASuccessfulLoad) {
  WriteBytes(dir / "good.kvp", PresetFile().Build());
  WriteBytes(dir / "bad.kvp", Slice(PresetFile().Build(), 0, 100));
  KvNode* arrow = NewArrow();
  kvhost::QueueDialogAnswer(PathIn("good.kvp"));
  EXPECT_EQ(PressAndCountUpdates(arrow, ARROW_PRESET_LOAD), 1);
  kvhost::QueueDialogAnswer(PathIn("bad.kvp"));
  EXPECT_EQ(PressAndCountUpdates(arrow, ARROW_PRESET_LOAD), 0);
  kvhost::QueueDialogAnswer(PathIn("saved.kvp"));
  EXPECT_EQ(PressAndCountUpdates(arrow, ARROW_PRESET_SAVE), 0);
}

// The host's file object failing to open, to read or to be had at all: no change, no
// record, no message; a failed open stays silent because the commands ask for that.
TEST_P(PresetCommandTest, FileFaultsChangeNothing) {
  WriteBytes(dir / "p.kvp", PresetFile(DistinctItems()).Build());
  KvNode* arrow = NewArrow();
  const auto before = Snapshot(arrow);
  const std::size_t steps = kvhost::UndoHistory(doc).size();
  const std::size_t errors = kvhost::HostErrors().size();

  kvhost::FailNextOpen();
  EXPECT_FALSE(Load(arrow, PathIn("p.kvp")));
  EXPECT_EQ(kvhost::HostErrors().size(), errors) << "open must ignore the error dialog";
  kvhost::FailNextOpen();
  Save(arrow, PathIn("never.kvp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "never.kvp"));
  EXPECT_EQ(kvhost::HostErrors().size(), errors);

  kvhost::FailNextRead(12);
  EXPECT_FALSE(Load(arrow, PathIn("p.kvp")));
  kvhost::FailNextAllocation(kvhost::AllocKind::File);
  EXPECT_FALSE(Load(arrow, PathIn("p.kvp")));
  kvhost::FailNextAllocation(kvhost::AllocKind::File);
  Save(arrow, PathIn("never.kvp"));
  EXPECT_FALSE(std::filesystem::exists(dir / "never.kvp"));

  EXPECT_EQ(Snapshot(arrow), before);
  EXPECT_EQ(kvhost::UndoHistory(doc).size(), steps);
  EXPECT_EQ(kvhost::PendingDialogAnswers(), 0u);
}

// A string the load cannot have (the file's own, or one it compares the version with)
// refuses the file: once a failed comparison string read a version 1.3 file as an older
// one, every item after the head shifted into the next one's place.
TEST_P(PresetCommandTest, EveryFailedStringOfALoadRefusesTheFile) {
  WriteBytes(dir / "p.kvp", PresetFile(DistinctItems()).Build());
  KvNode* arrow = NewArrow();
  const std::int64_t strings = kvhost::TotalAllocations(kvhost::AllocKind::String);
  ASSERT_TRUE(Load(arrow, PathIn("p.kvp")));
  const auto loaded = Snapshot(arrow);
  const std::int64_t made = kvhost::TotalAllocations(kvhost::AllocKind::String) - strings;
  ASSERT_GT(made, 3);
  for (int skip = 0; skip < made; ++skip) {
    SCOPED_TRACE("string allocation " + std::to_string(skip + 1) + " failing");
    SetItems(arrow, DefaultItems());
    const auto reset = Snapshot(arrow);
    kvhost::FailNextAllocation(kvhost::AllocKind::String, 1, skip);
    const bool ok = Load(arrow, PathIn("p.kvp"));
    kvhost::ClearAllocationFaults();
    EXPECT_EQ(Snapshot(arrow), ok ? loaded : reset);
  }
}

// A string the save cannot have: the file it leaves is the whole one or a cut-short one,
// never one whose lost marker makes it load as an older layout with every item shifted.
// (A preset name the container cannot copy still goes out empty: the save cannot tell it
// from an empty name.)
TEST_P(PresetCommandTest, EveryFailedStringOfASaveLeavesAFileCutShortOrWhole) {
  KvNode* arrow = NewArrow();
  SetItems(arrow, DistinctItems());
  const std::int64_t strings = kvhost::TotalAllocations(kvhost::AllocKind::String);
  Save(arrow, PathIn("whole.kvp"));
  const Bytes whole = ReadBytes(dir / "whole.kvp");
  const std::int64_t made = kvhost::TotalAllocations(kvhost::AllocKind::String) - strings;
  ASSERT_GE(made, 4);
  for (int skip = 0; skip < made; ++skip) {
    SCOPED_TRACE("string allocation " + std::to_string(skip + 1) + " failing");
    std::filesystem::remove(dir / "p.kvp");
    kvhost::FailNextAllocation(kvhost::AllocKind::String, 1, skip);
    Save(arrow, PathIn("p.kvp"));
    kvhost::ClearAllocationFaults();
    if (!std::filesystem::exists(dir / "p.kvp")) continue;
    const Bytes left = ReadBytes(dir / "p.kvp");
    EXPECT_EQ(left, Slice(whole, 0, left.size()));
  }
}

TEST_P(PresetCommandTest, CommandsLeaveNothingAllocated) {
  WriteBytes(dir / "bad.kvp", Slice(PresetFile().Build(), 0, 100));
  KvNode* arrow = NewArrow();
  kvhost::SetParameterRaw(kvhost::Container(arrow), ARROW_PRESET_NAME, std::string("a name"));
  const std::int64_t live = kvhost::LiveAllocations();
  Save(arrow, PathIn("p.kvp"));
  EXPECT_EQ(kvhost::LiveAllocations(), live) << "save";
  EXPECT_TRUE(Load(arrow, PathIn("p.kvp")));
  EXPECT_EQ(kvhost::LiveAllocations(), live) << "load";
  EXPECT_FALSE(Load(arrow, PathIn("bad.kvp")));
  EXPECT_EQ(kvhost::LiveAllocations(), live) << "failed load";
  kvhost::QueueDialogCancel();
  kvhost::PressButton(arrow, ARROW_PRESET_LOAD);
  EXPECT_EQ(kvhost::LiveAllocations(), live) << "cancelled load";
}

// An arrow in no document can still save, but its load button does nothing at all.
TEST_P(PresetCommandTest, ArrowOutsideADocumentSavesButDoesNotLoad) {
  KvNode* arrow = kvhost::AllocObject(Okeelvane);
  ASSERT_NE(arrow, nullptr);
  Save(arrow, PathIn("detached.kvp"));
  EXPECT_EQ(ReadBytes(dir / "detached.kvp").size(), kHeaderSize + 155);
  kvhost::QueueDialogAnswer(PathIn("detached.kvp"));
  kvhost::PressButton(arrow, ARROW_PRESET_LOAD);
  EXPECT_EQ(kvhost::ShownDialogs().size(), 1u) << "only the save dialog";
  EXPECT_EQ(kvhost::PendingDialogAnswers(), 1u);
  kvhost::FreeObject(arrow);
}

KV_INSTANTIATE_FLAVOURS(PresetCommandTest);

}  // namespace kvtest
