// The task editor: what choosing an action and a kind does, what OK stores
// or refuses, and how Modify fills it from a stored task.
#include "tests/native/dialogs_fixture.h"

namespace velmaro {
namespace {

using TaskEditorTest = DialogsTest;

TEST_F(TaskEditorTest, OkRefusesWhatTheStoreOrTheTickCouldNotTake) {
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

TEST_F(TaskEditorTest, ABrowsedPathWithNoStorableFormIsRefused) {
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

TEST_F(TaskEditorTest, OkComposesTheTriggerTextOfTheCheckedKind) {
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

TEST_F(TaskEditorTest, AddingWithTaskNumThreeWritesSlotFourAndListsIt) {
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

TEST_F(TaskEditorTest, ModifyRewritesItsSlotAndMovesTheRowToTheEnd) {
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

TEST_F(TaskEditorTest, ModifyFillsTheEditorFromTheFieldTextsOfEachKind) {
  struct Case {
    const char* trigger;
    TriggerKind kind;
    std::function<void(const TaskEditor&)> check;
  };
  const Case cases[] = {
      {"空闲05分钟", TriggerKind::Idle, [](const TaskEditor& e) { EXPECT_EQ(e.Edit1, "05"); }},
      {"一次2009-1-18日10时30分", TriggerKind::Once,
       [](const TaskEditor& e) {
         EXPECT_EQ(e.DateTimePicker1, (CalendarDate{2009, 1, 18}));
         EXPECT_EQ(e.DateTimePicker2, (TimeOfDay{10, 30, 0}));
       }},
      {"每周7日22时5分", TriggerKind::Weekly,
       [](const TaskEditor& e) {
         EXPECT_EQ(e.ComboBox1, "0");  // Sunday as the scanner returns it
         EXPECT_EQ(e.DateTimePicker4, (TimeOfDay{22, 5, 0}));
       }},
      {"每月15日9时30分", TriggerKind::Monthly, [](const TaskEditor& e) { EXPECT_EQ(e.ComboBox2, "15"); }},
      {"每年2月29日8时0分", TriggerKind::Yearly,
       [](const TaskEditor& e) {
         EXPECT_EQ(e.ComboBox3, "2");
         EXPECT_EQ(e.ComboBox4, "29");
         EXPECT_EQ(e.DateTimePicker6, (TimeOfDay{8, 0, 0}));
       }},
      {"开机1时90分", TriggerKind::Boot,
       [](const TaskEditor& e) {
         EXPECT_EQ(e.Edit3, "1");
         EXPECT_EQ(e.Edit4, "90");
       }},
  };
  int n = 0;
  for (const Case& c : cases) PutTask(++n, c.trigger, "提醒");
  stored.PutTaskNum(static_cast<std::uint32_t>(n));
  SettingsDialog& dialog = Open();
  for (int i = 0; i < n; ++i) {
    TaskEditor& editor = Modify(dialog, std::to_string(i + 1));
    EXPECT_EQ(editor.checked, cases[i].kind) << cases[i].trigger;
    cases[i].check(editor);
  }
  // Stored again, Sunday reads 每周0日: the same day of the week.
  TaskEditor& weekly = Modify(dialog, "3");
  weekly.Button2Click();
  EXPECT_EQ(Stored("A3"), "每周0日22时5分");
}

TEST_F(TaskEditorTest, OkAfterModifyStoresEveryKindsTextAsItWas) {
  const char* const triggers[] = {"空闲05分钟",          "一次2009-1-18日10时30分", "每天8时5分",
                                  "每周3日22时5分",      "每月15日9时30分",         "每年2月29日8时0分",
                                  "开机1时90分",         "网络空闲15分钟60KB",      "处理器空闲5分钟99%",
                                  "程序结束下载工具.exe"};
  std::vector<bool> covered(kTriggerKindCount);
  int n = 0;
  for (const char* trigger : triggers) PutTask(++n, trigger, "提醒");
  stored.PutTaskNum(static_cast<std::uint32_t>(n));
  SettingsDialog& dialog = Open();
  for (int i = 0; i < n; ++i) {
    const std::string slot = std::to_string(i + 1);
    TaskEditor& editor = Modify(dialog, slot);
    ASSERT_TRUE(editor.checked) << triggers[i];
    EXPECT_EQ(editor.checked, TriggerKindOf(triggers[i])) << triggers[i];
    covered[static_cast<std::size_t>(*editor.checked)] = true;
    editor.Button2Click();
    EXPECT_EQ(Stored("A" + slot), triggers[i]);
  }
  for (std::size_t k = 0; k < kTriggerKindCount; ++k) EXPECT_TRUE(covered[k]) << "no case of kind " << k;
}

TEST_F(TaskEditorTest, ModifyOfAnUnknownOrBrokenTriggerText) {
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

TEST_F(TaskEditorTest, TheConditionKindsStoreReadBackAndRefuseBadFields) {
  SettingsDialog& dialog = Open();
  struct Stores {
    TriggerKind kind;
    std::function<void(TaskEditor&)> arrange;
    const char* trigger;
  };
  const Stores stores[] = {
      {TriggerKind::NetworkQuiet, [](TaskEditor&) {}, "网络空闲10分钟50KB"},  // as a fresh editor offers
      {TriggerKind::NetworkQuiet, [](TaskEditor& e) { e.Edit5 = "1440"; e.Edit6 = "1048576"; },
       "网络空闲1440分钟1048576KB"},
      {TriggerKind::ProcessorQuiet, [](TaskEditor& e) { e.Edit7 = "5"; e.Edit8 = "99"; }, "处理器空闲5分钟99%"},
      {TriggerKind::ProgramEnded, [](TaskEditor& e) { e.ComboBox7 = "下载工具.exe"; }, "程序结束下载工具.exe"},
  };
  for (const Stores& c : stores) {
    dialog.Button4Click();
    TaskEditor& editor = *dialogs.Form5();
    editor.checked = c.kind;
    editor.ComboBox5 = "提醒";
    c.arrange(editor);
    editor.Button2Click();
    EXPECT_EQ(Stored(SlotValueName('A', settings.LastTaskNum)), c.trigger);
    EXPECT_FALSE(editor.visible) << c.trigger;
  }
  // The settings list shows the texts as stored.
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"1|网络空闲10分钟50KB|提醒", "2|网络空闲1440分钟1048576KB|提醒",
                                                    "3|处理器空闲5分钟99%|提醒", "4|程序结束下载工具.exe|提醒"}));

  struct Refused {
    TriggerKind kind;
    std::function<void(TaskEditor&)> arrange;
    std::string message;
  };
  const Refused refused[] = {
      {TriggerKind::NetworkQuiet, [](TaskEditor& e) { e.Edit5 = ""; }, "分钟数''应是1到1440之间的整数"},
      {TriggerKind::NetworkQuiet, [](TaskEditor& e) { e.Edit6 = "0"; }, "网速'0'应是1到1048576之间的整数（KB/秒）"},
      {TriggerKind::ProcessorQuiet, [](TaskEditor& e) { e.Edit8 = "100"; }, "处理器占用'100'应是1到99之间的整数（%）"},
      {TriggerKind::ProgramEnded, [](TaskEditor&) {}, "请填写程序的文件名，如downloader.exe"},
      {TriggerKind::ProgramEnded, [](TaskEditor& e) { e.ComboBox7 = "C:\\a.exe"; },
       "程序名'C:\\a.exe'应是不带路径的文件名，如downloader.exe"},
      {TriggerKind::ProgramEnded, [](TaskEditor& e) { e.ComboBox7 = "downloader"; },
       "程序名'downloader'应带扩展名，如downloader.exe"},
      {TriggerKind::ProgramEnded, [](TaskEditor& e) { e.ComboBox7 = "downloader.exe. "; },
       "程序名'downloader.exe. '不能以点或空格结尾"},
      {TriggerKind::ProgramEnded, [](TaskEditor& e) { e.unstorable = {&TaskEditor::ComboBox7}; },
       std::string("“程序”") + kUnstorableText},
  };
  for (const Refused& c : refused) {
    dialog.Button4Click();
    TaskEditor& editor = *dialogs.Form5();
    editor.checked = c.kind;
    editor.ComboBox7 = "";
    c.arrange(editor);
    shell.boxes.clear();
    editor.Button2Click();
    ASSERT_EQ(shell.boxes.size(), 1u) << c.message;
    EXPECT_EQ(shell.boxes[0].text, c.message);
    EXPECT_TRUE(editor.visible);
  }
  EXPECT_EQ(StoredDword("TaskNum"), 4u);

  // Modify reads each back into its fields; a broken one fills nothing.
  PutTask(5, "网络空闲10分钟50KB以上", "提醒");
  stored.PutTaskNum(5);
  SettingsDialog& again = Open();
  TaskEditor& network = Modify(again, "2");
  EXPECT_EQ(network.checked, TriggerKind::NetworkQuiet);
  EXPECT_EQ(network.Edit5, "1440");
  EXPECT_EQ(network.Edit6, "1048576");
  TaskEditor& processor = Modify(again, "3");
  EXPECT_EQ(processor.checked, TriggerKind::ProcessorQuiet);
  EXPECT_EQ(processor.Edit7, "5");
  EXPECT_EQ(processor.Edit8, "99");
  TaskEditor& program = Modify(again, "4");
  EXPECT_EQ(program.checked, TriggerKind::ProgramEnded);
  EXPECT_EQ(program.ComboBox7, "下载工具.exe");
  Select(again, "5");
  EXPECT_EQ(Boundary([&] { again.Button5Click(); }),
            "'网络空闲10分钟50KB以上'不是完整的条件，应写作如网络空闲10分钟50KB.");
  EXPECT_FALSE(dialogs.Form5()->checked);
  EXPECT_EQ(dialogs.Form5()->Edit5, "10");
}

TEST_F(TaskEditorTest, TheProgramListOffersTheRunningProgramsOnceEach) {
  processes.processes = {{4, u"System"},
                         {8, u"C:\\Tools\\downloader.exe"},
                         {9, u"downloader.exe"},
                         {10, u"explorer.exe"},
                         {11, u"\u0444\u0430\u0439\u043B.exe"},  // Cyrillic, which code page 936 holds
                         {12, u"\uD55C.exe"},                      // Hangul, which it does not
                         {0, u"[System Process]"}};  // the idle process: no program
  SettingsDialog& dialog = Open();
  dialog.Button4Click();
  TaskEditor& editor = *dialogs.Form5();
  editor.ComboBox7DropDown();
  // "System" names no program file: it could never be watched.
  ASSERT_EQ(editor.ComboBox7Items.size(), 3u);
  EXPECT_EQ(editor.ComboBox7Items[0], "downloader.exe");
  EXPECT_EQ(editor.ComboBox7Items[1], "explorer.exe");
  EXPECT_EQ(processes.SystemName(editor.ComboBox7Items[2]), u"\u0444\u0430\u0439\u043B.exe");
}

TEST_F(TaskEditorTest, TheEditorShowsTheNetworkAndProcessorNowWhileItIsOpen) {
  SettingsDialog& dialog = Open();
  dialog.Button4Click();
  TaskEditor& editor = *dialogs.Form5();
  EXPECT_EQ(editor.Label14, "现在：正在测量…");
  EXPECT_EQ(editor.Label15, "现在：正在测量…");
  // 2 s: 40 KB in and 4 KB out; a quarter of two processors busy.
  load.Flow(clock, 20 * 1024, 2 * 1024, 250);
  clock.Advance(kReadingsMs);
  editor.ReadingsTimer();
  EXPECT_EQ(editor.Label14, "现在：下行20KB/秒，上行2KB/秒");
  EXPECT_EQ(editor.Label15, "现在：占用25%（所有核心合计）");
  editor.ReadingsTimer();  // no time passed: the readings stand
  EXPECT_EQ(editor.Label14, "现在：下行20KB/秒，上行2KB/秒");

  const std::vector<InterfaceBytes> connected = load.interfaces;
  load.interfaces.clear();
  load.processorFail = true;
  clock.Advance(kReadingsMs);
  editor.ReadingsTimer();
  EXPECT_EQ(editor.Label14, "现在：没有已连接的网卡，不算空闲");
  EXPECT_EQ(editor.Label15, "现在：读不到处理器占用");
  load.interfaces = connected;
  load.interfacesFail = true;
  clock.Advance(kReadingsMs);
  editor.ReadingsTimer();
  EXPECT_EQ(editor.Label14, "现在：读不到网速");

  // Shown again after a while: measured afresh, not averaged over the time it was hidden.
  load.interfacesFail = load.processorFail = false;
  clock.Advance(kReadingsMs);
  editor.StartReadings();
  EXPECT_EQ(editor.Label14, "现在：正在测量…");
}

TEST_F(TaskEditorTest, ChoosingAnActionNamePreparesTheArgumentField) {
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
