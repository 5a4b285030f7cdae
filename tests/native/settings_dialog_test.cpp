// The settings dialog: its options, shown and saved, and its list's
// Delete and Modify.
#include "tests/native/dialogs_fixture.h"

namespace velmaro {
namespace {

using SettingsDialogTest = DialogsTest;

TEST_F(SettingsDialogTest, DeleteRenumbersTheRowsAboveAndAsksNothing) {
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

TEST_F(SettingsDialogTest, ModifyAndDeleteWithoutARowSayWhatIsMissing) {
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

TEST_F(SettingsDialogTest, CountdownLengthIsShownInMinutes) {
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

TEST_F(SettingsDialogTest, OkStoresTheCountdownLengthInSeconds) {
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

TEST_F(SettingsDialogTest, OkWritesTheSoundPathOnlyWhenItChanged) {
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

TEST_F(SettingsDialogTest, StartWithWindowsSetsTheRunValueAndTheLogonTask) {
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

TEST_F(SettingsDialogTest, OpeningStopsTheTickAndEveryCloseResumesIt) {
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

TEST_F(SettingsDialogTest, BrowsingPutsTheChosenPathIntoItsField) {
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

}  // namespace
}  // namespace velmaro
