// The settings dialog and the task editor as models over the in-memory
// store: what their controls show, what their buttons store, and how rows
// and editors follow the tasks they stand for.
#include "dialogs/dialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/error.h"
#include "tests/fakes/fake_autostart.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_dialog_windows.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/memory_registry.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {
namespace {

const char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr RegRoot kHklm = RegRoot::LocalMachine;
constexpr std::uint32_t kInfoBox = kMbOk | kMbIconInformation;
constexpr std::uint32_t kErrorBox = kMbOk | kMbIconError;

class FakeLink : public MainWindowLink {
 public:
  void StopEvaluation() override { calls.push_back("stop"); }
  void ResumeEvaluation() override { calls.push_back("resume"); }
  void SetCountdownMax(std::int32_t tishi) override { calls.push_back("max " + std::to_string(tishi)); }
  std::vector<std::string> calls;
};

class DialogsTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  FakeShell shell;
  FakeClock clock;
  FakeSession session;
  FakeFileDialog files;
  FakeAutoStart autoStart;
  FakeDialogWindows windows;
  FakeLink link;
  Dialogs dialogs{DialogServices{shell, clock, session, files, autoStart, windows}, store, settings, link};
  StoreArranger stored{registry};

  // Tasks "t1".."tN", each with its action "a<n>" and argument "c<n>".
  void PutTasks(int count) {
    for (int n = 1; n <= count; ++n) PutTask(n, "每天" + std::to_string(n) + "时0分", "a" + std::to_string(n));
    stored.PutTaskNum(static_cast<std::uint32_t>(count));
  }
  void PutTask(int n, const std::string& trigger, const std::string& action, const std::string& argument = "") {
    stored.PutSlot(n, trigger, action, argument.empty() ? "c" + std::to_string(n) : argument);
  }
  SettingsDialog& Open() {
    store.LoadSettings();
    dialogs.OpenSettings();
    registry.journal.clear();
    return *dialogs.Form3();
  }
  std::string Stored(const std::string& name) { return stored.Text(name); }
  std::uint32_t StoredDword(const std::string& name) { return stored.Dword(name); }
  // "slot|trigger|action" for each row, top to bottom.
  static std::vector<std::string> Rows(const SettingsDialog& dialog) {
    std::vector<std::string> shown;
    for (const TaskRow& row : dialog.rows) shown.push_back(std::to_string(*row.slot) + "|" + row.trigger + "|" + row.action);
    return shown;
  }
  static void Select(SettingsDialog& dialog, const std::string& slotText) {
    dialog.selected.reset();
    for (std::size_t i = 0; i < dialog.rows.size(); ++i) {
      if (std::to_string(*dialog.rows[i].slot) == slotText) dialog.selected = i;
    }
  }
  TaskEditor& Modify(SettingsDialog& dialog, const std::string& slotText) {
    Select(dialog, slotText);
    dialog.Button5Click();
    return *dialogs.Form5();
  }
  // What the handler boundary shows in the general error box, or "" when the handler ran through.
  std::string Boundary(const std::function<void()>& handler) {
    const std::size_t before = shell.boxes.size();
    dialogs.Handle(handler);
    return shell.boxes.size() > before ? shell.boxes.back().text : "";
  }
};

TEST_F(DialogsTest, OkRefusesWhatTheStoreOrTheTickCouldNotTake) {
  struct Case {
    std::function<void(TaskEditor&)> arrange;
    std::string message;
  };
  const std::string unstorable = kUnstorableText;
  const Case cases[] = {
      {[](TaskEditor&) {}, "请选择时间"},
      {[](TaskEditor& e) { e.checked = TriggerKind::Idle; }, "请输入空闲分钟数"},
      // 11 digits once stored 空闲99999999999分钟, which failed at every tick.
      {[](TaskEditor& e) { e.checked = TriggerKind::Idle; e.Edit1 = "99999999999"; },
       "空闲分钟数应是0到2147483647之间的整数"},
      {[](TaskEditor& e) { e.checked = TriggerKind::Idle; e.Edit1 = "2147483648"; },
       "空闲分钟数应是0到2147483647之间的整数"},
      {[](TaskEditor& e) { e.checked = TriggerKind::Boot; e.Edit4 = "4294967296"; },
       "开机分钟数应是0到2147483647之间的整数"},
      // A text with no code page 936 form, named by the label it stands under.
      {[](TaskEditor& e) {
         e.checked = TriggerKind::Daily;
         e.ComboBox5 = "提醒";
         e.ComboBox5Change();
         e.unstorable = {&TaskEditor::ComboBox6};
       },
       "“提醒语”" + unstorable},
      {[](TaskEditor& e) { e.checked = TriggerKind::Daily; e.unstorable = {&TaskEditor::ComboBox5}; },
       "“任务类型”" + unstorable},
      {[](TaskEditor& e) { e.checked = TriggerKind::Weekly; e.unstorable = {&TaskEditor::ComboBox1}; },
       "“星期”" + unstorable},
  };
  SettingsDialog& dialog = Open();
  for (const Case& c : cases) {
    dialog.Button4Click();
    TaskEditor& editor = *dialogs.Form5();
    c.arrange(editor);
    shell.boxes.clear();
    editor.Button2Click();
    ASSERT_EQ(shell.boxes.size(), 1u) << c.message;
    EXPECT_EQ(shell.boxes[0].text, c.message);
    EXPECT_EQ(shell.boxes[0].caption, "提示");
    EXPECT_EQ(shell.boxes[0].flags, kInfoBox);
    EXPECT_TRUE(editor.visible);
  }
  EXPECT_TRUE(registry.journal.empty());
  EXPECT_TRUE(dialog.rows.empty());

  // What is only refused where it would be stored: the top of 32 bits, and
  // a weekday field that the daily kind does not store.
  dialog.Button4Click();
  TaskEditor& fits = *dialogs.Form5();
  fits.checked = TriggerKind::Idle;
  fits.Edit1 = "02147483647";
  fits.Button2Click();
  EXPECT_EQ(Stored("A1"), "空闲02147483647分钟");
  dialog.Button4Click();
  TaskEditor& daily = *dialogs.Form5();
  daily.checked = TriggerKind::Daily;
  daily.unstorable = {&TaskEditor::ComboBox1};
  daily.Button2Click();
  EXPECT_EQ(Stored("A2"), "每天0时0分");
}

TEST_F(DialogsTest, ABrowsedPathWithNoStorableFormIsRefused) {
  SettingsDialog& dialog = Open();
  dialog.Edit8 = "C:\\a.wav";
  files.answer = "C:\\?.wav";
  files.unstorable = true;
  dialog.Button3Click();
  EXPECT_EQ(dialog.Edit8, "C:\\a.wav");
  dialog.Button4Click();
  TaskEditor& editor = *dialogs.Form5();
  editor.ComboBox6 = "kept";
  editor.Button1Click();
  EXPECT_EQ(editor.ComboBox6, "kept");
  ASSERT_EQ(shell.boxes.size(), 2u);
  for (const auto& box : shell.boxes) {
    EXPECT_EQ(box.text, kUnstorablePath);
    EXPECT_EQ(box.flags, kInfoBox);
  }

  // A typed sound path that has none: nothing of the options is saved.
  dialog.unstorable = {&SettingsDialog::Edit8};
  dialog.Button1Click();
  EXPECT_EQ(shell.boxes.back().text, std::string("“关机前声音提示”") + kUnstorableText);
  EXPECT_TRUE(registry.journal.empty());
  EXPECT_TRUE(dialog.visible);
}

TEST_F(DialogsTest, OkComposesTheTriggerTextOfTheCheckedKind) {
  struct Case {
    TriggerKind kind;
    std::function<void(TaskEditor&)> arrange;
    const char* trigger;
  };
  const Case cases[] = {
      {TriggerKind::Boot, [](TaskEditor&) {}, "开机0时0分"},
      {TriggerKind::Boot, [](TaskEditor& e) { e.Edit3 = "01"; e.Edit4 = "90"; }, "开机01时90分"},
      {TriggerKind::Daily, [](TaskEditor& e) { e.DateTimePicker3 = {8, 5, 42}; }, "每天8时5分"},
      {TriggerKind::Idle, [](TaskEditor& e) { e.Edit1 = "05"; }, "空闲05分钟"},
      {TriggerKind::Once,
       [](TaskEditor& e) {
         e.DateTimePicker1 = {2009, 1, 18};
         e.DateTimePicker2 = {10, 30, 0};
       },
       "一次2009-1-18日10时30分"},
      {TriggerKind::Weekly, [](TaskEditor& e) { e.ComboBox1 = "7"; e.DateTimePicker4 = {22, 0, 0}; }, "每周7日22时0分"},
      {TriggerKind::Monthly, [](TaskEditor& e) { e.ComboBox2 = "31"; e.DateTimePicker5 = {0, 0, 0}; }, "每月31日0时0分"},
      {TriggerKind::Yearly,
       [](TaskEditor& e) {
         e.ComboBox3 = "12";
         e.ComboBox4 = "x";  // typed text is stored as it stands
         e.DateTimePicker6 = {23, 59, 59};
       },
       "每年12月x日23时59分"},
  };
  SettingsDialog& dialog = Open();
  for (const Case& c : cases) {
    dialog.Button4Click();
    TaskEditor& editor = *dialogs.Form5();
    editor.checked = c.kind;
    c.arrange(editor);
    editor.Button2Click();
    EXPECT_EQ(Stored(SlotValueName('A', settings.LastTaskNum)), c.trigger);
    EXPECT_FALSE(editor.visible);
  }
  // The boot fields left empty show the "0" that was stored.
  dialog.Button4Click();
  TaskEditor& empty = *dialogs.Form5();
  empty.checked = TriggerKind::Boot;
  empty.Button2Click();
  EXPECT_EQ(empty.Edit3, "0");
  EXPECT_EQ(empty.Edit4, "0");
}

TEST_F(DialogsTest, AddingWithTaskNumThreeWritesSlotFourAndListsIt) {
  PutTasks(3);
  SettingsDialog& dialog = Open();
  clock.now.wYear = 2026;
  clock.now.wMonth = 12;
  clock.now.wDay = 8;
  dialog.Button4Click();
  TaskEditor& editor = *dialogs.Form5();
  EXPECT_EQ(editor.DateTimePicker1, (CalendarDate{2026, 12, 8}));
  editor.checked = TriggerKind::Daily;
  editor.DateTimePicker3 = {22, 30, 0};
  editor.ComboBox5 = "关闭计算机";
  editor.ComboBox5Change();
  editor.Button2Click();
  EXPECT_EQ(registry.journal, (std::vector<std::string>{"set TaskNum", "set A4", "set B4", "set C4"}));
  EXPECT_EQ(StoredDword("TaskNum"), 4u);
  EXPECT_EQ(Stored("A4"), "每天22时30分");
  EXPECT_EQ(Stored("B4"), "关闭计算机");
  EXPECT_EQ(Stored("C4"), "关闭计算机");
  EXPECT_EQ(Rows(dialog).back(), "4|每天22时30分|关闭计算机");
  EXPECT_EQ(windows.settingsViews[0]->listRefreshes, 1);
}

TEST_F(DialogsTest, ModifyRewritesItsSlotAndMovesTheRowToTheEnd) {
  PutTasks(3);
  SettingsDialog& dialog = Open();
  TaskEditor& editor = Modify(dialog, "2");
  EXPECT_EQ(editor.checked, TriggerKind::Daily);
  EXPECT_EQ(editor.DateTimePicker3, (TimeOfDay{2, 0, 0}));
  EXPECT_EQ(editor.ComboBox5, "a2");
  EXPECT_EQ(editor.ComboBox6, "c2");
  EXPECT_EQ(editor.Label6, "提醒语:");  // filling runs no action-name reaction
  editor.DateTimePicker3 = {9, 15, 0};
  editor.Button2Click();
  EXPECT_EQ(registry.journal, (std::vector<std::string>{"set A2", "set B2", "set C2"}));
  EXPECT_EQ(Stored("A2"), "每天9时15分");
  EXPECT_EQ(StoredDword("TaskNum"), 3u);
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"1|每天1时0分|a1", "3|每天3时0分|a3", "2|每天9时15分|a2"}));
  EXPECT_FALSE(dialog.selected);
}

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

TEST_F(DialogsTest, DeleteRenumbersTheRowsAboveAndAsksNothing) {
  PutTasks(4);
  SettingsDialog& dialog = Open();
  Select(dialog, "2");
  dialog.Button6Click();
  EXPECT_TRUE(shell.boxes.empty());
  EXPECT_EQ(StoredDword("TaskNum"), 3u);
  EXPECT_EQ(Stored("B2"), "a3");
  EXPECT_EQ(Stored("A4"), "(none)");
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"1|每天1时0分|a1", "2|每天3时0分|a3", "3|每天4时0分|a4"}));
  EXPECT_FALSE(dialog.selected);
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

TEST_F(DialogsTest, ModifyAndDeleteWithoutARowSayWhatIsMissing) {
  PutTasks(1);
  SettingsDialog& dialog = Open();
  dialog.Button5Click();
  dialog.Button6Click();
  ASSERT_EQ(shell.boxes.size(), 2u);
  EXPECT_EQ(shell.boxes[0].text, "请选择要修改的任务");
  EXPECT_EQ(shell.boxes[1].text, "请选择要删除的任务");
  for (const auto& box : shell.boxes) {
    EXPECT_EQ(box.caption, "错误");
    EXPECT_EQ(box.flags, kErrorBox);
  }
  EXPECT_EQ(windows.editorViews.size(), 0u);
  EXPECT_TRUE(registry.journal.empty());
}

TEST_F(DialogsTest, ModifyFillsTheEditorFromTheFieldTextsOfEachKind) {
  struct Case {
    const char* trigger;
    std::function<void(const TaskEditor&)> check;
  };
  const Case cases[] = {
      {"空闲05分钟", [](const TaskEditor& e) { EXPECT_EQ(e.Edit1, "05"); }},
      {"一次2009-1-18日10时30分",
       [](const TaskEditor& e) {
         EXPECT_EQ(e.DateTimePicker1, (CalendarDate{2009, 1, 18}));
         EXPECT_EQ(e.DateTimePicker2, (TimeOfDay{10, 30, 0}));
       }},
      {"每周7日22时5分",
       [](const TaskEditor& e) {
         EXPECT_EQ(e.ComboBox1, "0");  // Sunday as the scanner returns it
         EXPECT_EQ(e.DateTimePicker4, (TimeOfDay{22, 5, 0}));
       }},
      {"每月15日9时30分", [](const TaskEditor& e) { EXPECT_EQ(e.ComboBox2, "15"); }},
      {"每年2月29日8时0分",
       [](const TaskEditor& e) {
         EXPECT_EQ(e.ComboBox3, "2");
         EXPECT_EQ(e.ComboBox4, "29");
         EXPECT_EQ(e.DateTimePicker6, (TimeOfDay{8, 0, 0}));
       }},
      {"开机1时90分",
       [](const TaskEditor& e) {
         EXPECT_EQ(e.Edit3, "1");
         EXPECT_EQ(e.Edit4, "90");
       }},
  };
  const TriggerKind kinds[] = {TriggerKind::Idle,    TriggerKind::Once,   TriggerKind::Weekly,
                               TriggerKind::Monthly, TriggerKind::Yearly, TriggerKind::Boot};
  int n = 0;
  for (const Case& c : cases) PutTask(++n, c.trigger, "提醒");
  stored.PutTaskNum(static_cast<std::uint32_t>(n));
  SettingsDialog& dialog = Open();
  for (int i = 0; i < n; ++i) {
    TaskEditor& editor = Modify(dialog, std::to_string(i + 1));
    EXPECT_EQ(editor.checked, kinds[i]) << cases[i].trigger;
    cases[i].check(editor);
  }
  // Stored again, Sunday reads 每周0日: the same day of the week.
  TaskEditor& weekly = Modify(dialog, "3");
  weekly.Button2Click();
  EXPECT_EQ(Stored("A3"), "每周0日22时5分");
}

TEST_F(DialogsTest, ModifyOfAnUnknownOrBrokenTriggerText) {
  PutTask(1, "明天8时0分", "提醒");
  PutTask(2, "每天x时0分", "关闭计算机");
  PutTask(3, "每天25时0分", "提醒");
  // A broken day fails whatever month it is now: it once failed only in its month.
  PutTask(4, "每年1月x日8时0分", "提醒");
  PutTask(5, "每年12月x日8时0分", "提醒");
  stored.PutTaskNum(5);
  SettingsDialog& dialog = Open();

  TaskEditor& unknown = Modify(dialog, "1");
  EXPECT_FALSE(unknown.checked);
  EXPECT_EQ(unknown.ComboBox1, "1");
  unknown.Button2Click();
  EXPECT_EQ(shell.boxes.back().text, "请选择时间");

  struct Case {
    const char* slot;
    const char* failure;
  } const broken[] = {{"2", "'x' is not a valid integer value."},
                      {"3", "'25:0' is not a valid time."},
                      {"4", "'x' is not a valid integer value."},
                      {"5", "'x' is not a valid integer value."}};
  for (const Case& c : broken) {
    Select(dialog, c.slot);
    EXPECT_EQ(Boundary([&] { dialog.Button5Click(); }), c.failure);
    TaskEditor& editor = *dialogs.Form5();
    EXPECT_TRUE(editor.visible);
    // The trigger fields are left for the user to fill, not half filled.
    EXPECT_FALSE(editor.checked);
    EXPECT_EQ(editor.DateTimePicker3, TimeOfDay{});
  }
  // The repair rewrites the broken slot rather than adding a copy of it.
  TaskEditor& repair = *dialogs.Form5();
  EXPECT_EQ(repair.ComboBox5, "提醒");
  repair.checked = TriggerKind::Daily;
  repair.DateTimePicker3 = {7, 30, 0};
  repair.Button2Click();
  EXPECT_EQ(Stored("A5"), "每天7时30分");
  EXPECT_EQ(StoredDword("TaskNum"), 5u);
  EXPECT_EQ(Rows(dialog).back(), "5|每天7时30分|提醒");
}

TEST_F(DialogsTest, CountdownLengthIsShownInMinutes) {
  struct Case {
    std::uint32_t tishi;
    const char* separator;
    const char* shown;
  } const cases[] = {{60, ".", "1"},    {90, ".", "1.5"}, {100, ".", "1.66666666666667"}, {0, ".", "0"},
                     {90, ",", "1,5"},  {30, "", "0.5"},  {0xFFFFFFC4u, ".", "0"},        {0x80000000u, ".", "0"},
                     {2147483647u, ".", "35791394.1166667"}};
  for (const Case& c : cases) {
    stored.PutDword("tishi", c.tishi);
    clock.decimalSeparator = c.separator;
    EXPECT_EQ(Open().Edit5, c.shown) << c.tishi;
  }
}

TEST_F(DialogsTest, OkStoresTheCountdownLengthInSeconds) {
  struct Case {
    const char* typed;
    const char* separator;
    std::int32_t stored;  // -1: refused
  } const cases[] = {
      {"2.5", ".", 150},  {"", ".", 60},        {"0", ".", 0},           {"1.", ".", 60},       {".5", ".", 30},
      {"0,5", ",", 30},   {"0.5", ",", 30},     {" 2 ", ".", 120},       {"0.025", ".", 2},     {"0.075", ".", 4},
      {"1.2.3", ".", -1}, {".", ".", -1},       {"1a", ".", -1},         {"35791394.1", ".", 2147483646},
      {"35791395", ".", -1}, {"99999999999999999999999", ".", -1}, {"1,5", ".", -1},
  };
  for (const Case& c : cases) {
    store.LoadSettings();
    stored.PutDword("tishi", 7);
    SettingsDialog& dialog = Open();
    link.calls.clear();
    clock.decimalSeparator = c.separator;
    dialog.Edit5 = c.typed;
    const std::string failure = Boundary([&] { dialog.Button1Click(); });
    if (c.stored < 0) {
      EXPECT_EQ(failure, "'" + std::string(c.typed) + "' is not a valid floating point value.") << c.typed;
      EXPECT_TRUE(registry.journal.empty()) << c.typed;
      EXPECT_TRUE(dialog.visible);
      EXPECT_EQ(StoredDword("tishi"), 7u);
    } else {
      EXPECT_EQ(failure, "") << c.typed;
      EXPECT_EQ(static_cast<std::int32_t>(StoredDword("tishi")), c.stored) << c.typed;
      EXPECT_EQ(settings.Tishi, c.stored);
      EXPECT_EQ(link.calls, (std::vector<std::string>{"max " + std::to_string(c.stored), "resume"})) << c.typed;
      EXPECT_FALSE(dialog.visible);
    }
  }
}

TEST_F(DialogsTest, OkWritesTheSoundPathOnlyWhenItChanged) {
  stored.PutString("soundpath", "C:\\声音\\警告.wav");
  SettingsDialog& dialog = Open();
  EXPECT_EQ(dialog.Edit8, "C:\\声音\\警告.wav");
  dialog.Button1Click();
  EXPECT_EQ(std::count(registry.journal.begin(), registry.journal.end(), "set soundpath"), 0);

  SettingsDialog& again = Open();
  again.Edit8.clear();
  again.CheckBox5 = true;
  again.Button1Click();
  EXPECT_EQ(Stored("soundpath"), "");
  EXPECT_EQ(settings.SoundPath, "");
  EXPECT_EQ(StoredDword("shutapp"), 1u);
  EXPECT_EQ(settings.ShutApp, 1);
  EXPECT_TRUE(Open().CheckBox5);
}

TEST_F(DialogsTest, StartWithWindowsSetsTheRunValueAndTheLogonTask) {
  auto zedevi = [this]() -> std::string {
    auto& run = registry.Key(kHklm, kRunPath);
    return run.count("Zedevi") ? run.at("Zedevi").data : "(none)";
  };
  SettingsDialog& on = Open();
  EXPECT_FALSE(on.CheckBox2);
  on.CheckBox2 = true;
  on.Button1Click();
  EXPECT_EQ(zedevi(), "C:\\Program Files\\Velmaro\\Velmaro.exe");
  EXPECT_EQ(autoStart.logonTask, autoStart.path);
  EXPECT_TRUE(Open().CheckBox2);

  SettingsDialog& off = *dialogs.Form3();
  off.CheckBox2 = false;
  off.Button1Click();
  EXPECT_EQ(zedevi(), "(none)");
  EXPECT_FALSE(autoStart.logonTask);

  // Without a Task Scheduler (Windows XP) the Run value alone does it.
  autoStart.hasLogonTasks = false;
  autoStart.failTasks = true;
  SettingsDialog& xp = Open();
  xp.CheckBox2 = true;
  EXPECT_EQ(Boundary([&] { xp.Button1Click(); }), "");
  EXPECT_EQ(zedevi(), "C:\\Program Files\\Velmaro\\Velmaro.exe");

  // A task that cannot be registered is reported, and the dialog stays.
  autoStart.hasLogonTasks = true;
  SettingsDialog& failing = Open();
  EXPECT_EQ(Boundary([&] { failing.Button1Click(); }), "Failed to register the logon task 'Velmaro'");
  EXPECT_TRUE(failing.visible);
}

TEST_F(DialogsTest, OpeningStopsTheTickAndEveryCloseResumesIt) {
  SettingsDialog& dialog = Open();
  EXPECT_EQ(link.calls, std::vector<std::string>{"stop"});
  EXPECT_TRUE(dialog.visible);
  EXPECT_EQ(Rows(dialog), std::vector<std::string>{});
  EXPECT_EQ(dialog.Edit5, "1");
  dialog.Button2Click();
  EXPECT_FALSE(dialog.visible);
  SettingsDialog& other = Open();
  other.Close();  // the close box
  EXPECT_EQ(link.calls, (std::vector<std::string>{"stop", "resume", "stop", "resume"}));
  EXPECT_TRUE(registry.journal.empty());
}

TEST_F(DialogsTest, ChoosingAnActionNamePreparesTheArgumentField) {
  const std::string openHint = "可以打开mp3文件，程序，网址，电影视频等";
  const std::string closeHint = "在此输入程序的文件名或按浏览。";
  struct Case {
    std::string action;
    std::string label;
    std::string argument;
    std::string hint;
    std::size_t items;
  };
  const std::vector<Case> cases = {
      {"提醒", "提醒语：", "下班时间到。", "", 5},
      {"打开文件", "文件:", openHint, openHint, 0},
      {"关闭程序", "程序：", closeHint, closeHint, 0},
      {"断开拨号", "属性：", "", "", 0},
      {"拨号连接", "属性：", "", "", 0},
      {"注销计算机", "属性：", "注销计算机", "", 0},
      {"待机计算机", "属性：", "待机计算机", "", 0},
      {"休眠计算机", "属性：", "休眠计算机", "", 0},
      {"重启计算机", "属性：", "重启计算机", "", 0},
      {"关闭计算机", "属性：", "关闭计算机", "", 0},
      {"快速重启", "属性：", "快速重启", "", 0},
      {"快速关机", "属性：", "快速关机", "", 0},
      {"清理系统垃圾", "提醒语:", "", "", 0},  // the label a fresh editor has
      {"关闭计算", "提醒语:", "", "", 0},
  };
  SettingsDialog& dialog = Open();
  for (const Case& c : cases) {
    dialog.Button4Click();
    TaskEditor& editor = *dialogs.Form5();
    editor.ComboBox6 = "typed";
    editor.ComboBox5 = c.action;
    editor.ComboBox5Change();
    EXPECT_EQ(editor.Label6, c.label) << c.action;
    EXPECT_EQ(editor.ComboBox6, c.argument) << c.action;
    EXPECT_EQ(editor.ComboBox6Hint, c.hint) << c.action;
    EXPECT_EQ(editor.ComboBox6Items.size(), c.items) << c.action;
  }
  TaskEditor& editor = *dialogs.Form5();
  editor.ComboBox5 = "打开文件";
  editor.ComboBox5Change();
  editor.ComboBox5 = "清理系统垃圾";
  editor.ComboBox5Change();
  EXPECT_EQ(editor.Label6, "文件:");
  EXPECT_EQ(editor.ComboBox6, "");
  EXPECT_EQ(editor.ComboBox6Hint, "");
}

TEST_F(DialogsTest, BrowsingPutsTheChosenPathIntoItsField) {
  SettingsDialog& dialog = Open();
  files.answer = "C:\\Windows\\Media\\ding.wav";
  dialog.Button3Click();
  EXPECT_EQ(dialog.Edit8, "C:\\Windows\\Media\\ding.wav");
  ASSERT_EQ(files.requests.size(), 1u);
  EXPECT_EQ(files.requests[0].title, "声音提示选择");
  EXPECT_EQ(files.requests[0].filter, "wav文件(*.wav)|*.wav");
  EXPECT_EQ(files.requests[0].initialDirectory, "C:\\Program Files\\Velmaro\\");
  EXPECT_EQ(files.owners[0], windows.settingsViews[0]->Handle());

  dialog.Button4Click();
  TaskEditor& editor = *dialogs.Form5();
  files.answer.reset();  // cancelled: nothing changes
  editor.ComboBox6 = "kept";
  editor.Button1Click();
  EXPECT_EQ(editor.ComboBox6, "kept");
  files.answer = "D:\\歌\\a.mp3";
  editor.Button1Click();
  EXPECT_EQ(editor.ComboBox6, "D:\\歌\\a.mp3");
  EXPECT_EQ(files.requests[1].title, "");
  EXPECT_EQ(files.requests[1].filter, "");
  EXPECT_EQ(files.owners[2], windows.editorViews[0]->Handle());
}

TEST_F(DialogsTest, NothingRunsOnceTheProgramIsClosing) {
  SettingsDialog& dialog = Open();
  dialogs.Close();
  bool ran = false;
  dialogs.Handle([&] { ran = true; });
  EXPECT_FALSE(ran);
  EXPECT_TRUE(dialog.visible);
}

// The dialog works the minutes out on the integers; the C library's
// formatting and reading of doubles stand as the reference here.
TEST(CountdownMinutes, AgreeWithTheCLibrarysFormattingAndReading) {
  std::vector<std::int32_t> lengths = {INT32_MIN, INT32_MIN + 1, INT32_MAX, INT32_MAX - 59, 35791394 * 60};
  for (std::int32_t seconds = -7000; seconds <= 7000; ++seconds) lengths.push_back(seconds);
  for (std::int32_t seconds : lengths) {
    char expected[40];
    std::snprintf(expected, sizeof expected, "%.15g", seconds / 60.0);
    EXPECT_EQ(MinutesText(seconds, "."), expected) << seconds;
  }

  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) {
    std::string text = std::to_string(random() % 1000000);
    if (random() % 4) text += "." + std::to_string(random() % 1000000);
    if (random() % 8 == 0) text = "-" + text;
    const double expected = std::nearbyint(std::strtod(text.c_str(), nullptr) * 60.0);
    EXPECT_EQ(CountdownSeconds(text, "."), static_cast<std::int32_t>(expected)) << text;
  }
}

TEST(TaskEditorTexts, UptimeCaption) {
  struct Case {
    std::uint32_t ticks;
    const char* caption;
  } const cases[] = {{3723000, "开机时间:1时2分3秒"},
                     {999, "开机时间:0时0分0秒"},
                     {90061000, "开机时间:25时1分1秒"},
                     {0xFFFFFFFFu, "开机时间:1193时2分47秒"}};
  for (const Case& c : cases) EXPECT_EQ(UptimeCaption(c.ticks), c.caption) << c.ticks;
}

TEST(TaskEditorTexts, FieldFiltersLetThroughWhatTheFieldTakes) {
  struct Case {
    char32_t character;
    bool digits;
    bool countdown;
  } const cases[] = {{U'0', true, true},  {U'9', true, true},   {8, true, true},      {U'.', false, true},
                     {U',', false, false}, {U'a', false, false}, {U'-', false, false}, {0x4E00, false, false},
                     {0xFF11, false, false}, {22, false, false}};  // full-width 1; Ctrl+V
  for (const Case& c : cases) {
    EXPECT_EQ(DigitFieldAccepts(c.character), c.digits) << static_cast<unsigned>(c.character);
    EXPECT_EQ(CountdownFieldAccepts(c.character), c.countdown) << static_cast<unsigned>(c.character);
  }
}

}  // namespace
}  // namespace velmaro
