// How the rows of every open settings dialog and every open task editor
// follow the tasks they stand for through adds, rewrites and deletions.
#include "tests/native/dialogs_fixture.h"

namespace velmaro {
namespace {

TEST_F(DialogsTest, EachEditorRewritesTheTaskItWasOpenedFor) {
  PutTasks(3);
  SettingsDialog& dialog = Open();
  TaskEditor& first = Modify(dialog, "1");
  TaskEditor& second = Modify(dialog, "2");
  second.ComboBox5 = "second";
  second.Button2Click();
  first.ComboBox5 = "first";
  first.Button2Click();
  EXPECT_EQ(Stored("B1"), "first");
  EXPECT_EQ(Stored("B2"), "second");
  EXPECT_EQ(Stored("B3"), "a3");

  // Another row selected when OK is pressed, or none: still its own task.
  TaskEditor& third = Modify(dialog, "3");
  Select(dialog, "1");
  third.ComboBox5 = "third";
  third.Button2Click();
  TaskEditor& again = Modify(dialog, "3");
  dialog.selected.reset();
  again.ComboBox5 = "again";
  again.Button2Click();
  EXPECT_EQ(Stored("B1"), "first");
  EXPECT_EQ(Stored("B3"), "again");
  EXPECT_EQ(StoredDword("TaskNum"), 3u);
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"2|每天2时0分|second", "1|每天1时0分|first", "3|每天3时0分|again"}));

  // An editor opened by Add always adds, even while a row is selected.
  dialog.Button4Click();
  TaskEditor& added = *dialogs.Form5();
  Select(dialog, "2");
  added.checked = TriggerKind::Daily;
  added.Button2Click();
  EXPECT_EQ(StoredDword("TaskNum"), 4u);
  EXPECT_EQ(Stored("B2"), "second");
}

TEST_F(DialogsTest, AnEditorFollowsItsTaskThroughDeletions) {
  PutTasks(4);
  SettingsDialog& dialog = Open();
  TaskEditor& followsThree = Modify(dialog, "3");
  TaskEditor& losesTwo = Modify(dialog, "2");
  Select(dialog, "2");
  dialog.Button6Click();  // task 3 is now in slot 2, task 4 in slot 3
  EXPECT_EQ(*followsThree.Target(), 2);
  followsThree.ComboBox5 = "three";
  followsThree.Button2Click();
  EXPECT_EQ(Stored("B2"), "three");
  EXPECT_EQ(Stored("B3"), "a4");

  // Its own task deleted: the edit is kept as a new task.
  losesTwo.ComboBox5 = "two";
  losesTwo.Button2Click();
  EXPECT_EQ(StoredDword("TaskNum"), 4u);
  EXPECT_EQ(Stored("B4"), "two");
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"1|每天1时0分|a1", "3|每天4时0分|a4", "2|每天3时0分|three",
                                                    "4|每天2时0分|two"}));
}

TEST_F(DialogsTest, ModifyThenDeleteKeepsEveryRowOnItsOwnTask) {
  PutTasks(3);
  SettingsDialog& dialog = Open();
  TaskEditor& editor = Modify(dialog, "1");
  editor.ComboBox5 = "modified";
  editor.Button2Click();
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"2|每天2时0分|a2", "3|每天3时0分|a3", "1|每天1时0分|modified"}));
  Select(dialog, "2");
  dialog.Button6Click();
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"2|每天3时0分|a3", "1|每天1时0分|modified"}));
  // Each remaining row still reaches the task it shows.
  TaskEditor& again = Modify(dialog, "2");
  EXPECT_EQ(again.ComboBox5, "a3");
  Select(dialog, "1");
  dialog.Button6Click();
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"1|每天3时0分|a3"}));
  EXPECT_EQ(Stored("B1"), "a3");
  EXPECT_EQ(StoredDword("TaskNum"), 1u);
}

TEST_F(DialogsTest, RowsOfAnOlderSettingsDialogFollowADeletion) {
  PutTasks(3);
  SettingsDialog& older = Open();
  dialogs.OpenSettings();
  SettingsDialog& newer = *dialogs.Form3();
  Select(newer, "1");
  newer.Button6Click();
  EXPECT_EQ(Rows(older), (std::vector<std::string>{"1|每天2时0分|a2", "2|每天3时0分|a3"}));
  EXPECT_EQ(windows.settingsViews[0]->listRefreshes, 1);
  Select(older, "2");
  older.Button6Click();  // reaches task 3, not the shifted-away slot
  EXPECT_EQ(Stored("B1"), "a2");
  EXPECT_EQ(StoredDword("TaskNum"), 1u);
}

TEST_F(DialogsTest, EveryOpenListFollowsANewTaskAndClosedDialogsGo) {
  PutTasks(1);
  SettingsDialog& older = Open();
  dialogs.OpenSettings();
  dialogs.Form3()->Close();  // the newer one, closed before the older one adds
  older.Button4Click();
  TaskEditor& added = *dialogs.Form5();
  dialogs.OpenSettings();
  SettingsDialog& third = *dialogs.Form3();
  added.checked = TriggerKind::Daily;
  added.Button2Click();
  EXPECT_EQ(Rows(older), (std::vector<std::string>{"1|每天1时0分|a1", "2|每天0时0分|"}));
  EXPECT_EQ(Rows(third), Rows(older));
  EXPECT_EQ(windows.released, 1);  // the closed one, as the third opened

  TaskEditor& modify = Modify(third, "1");
  modify.ComboBox5 = "m";
  modify.Button2Click();
  EXPECT_EQ(Rows(older), (std::vector<std::string>{"2|每天0时0分|", "1|每天1时0分|m"}));
  EXPECT_EQ(Rows(third), Rows(older));

  // Closed dialogs and editors go as the next of their kind opens; the open
  // ones stay, and the last closed one waits for the next opening.
  const int before = windows.released;
  for (int i = 0; i < 7; ++i) {
    dialogs.OpenSettings();
    dialogs.Form3()->Button4Click();
    dialogs.Form5()->Button3Click();
    dialogs.Form3()->Button2Click();
  }
  // Six dialogs and six editors of the loop, and the editor Modify used.
  EXPECT_EQ(windows.released - before, 6 + 6 + 1);
}

TEST_F(DialogsTest, NothingRunsOnceTheProgramIsClosing) {
  SettingsDialog& dialog = Open();
  dialogs.Close();
  bool ran = false;
  dialogs.Handle([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(dialog.visible);
}

}  // namespace
}  // namespace velmaro
