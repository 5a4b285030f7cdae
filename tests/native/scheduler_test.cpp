// The scheduler end to end on simulated time: the evaluation tick, its pause,
// the countdown and the monitoring switch, driven by the three timers as the
// message loop would drive them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"
#include "tests/native/verb_calls.h"

namespace velmaro {
namespace {

TEST(Scheduler, EachTaskRunsOnceInItsMinute) {
  {
    Rig rig;  // an immediate action: the pause alone keeps it from the rest of the minute
    rig.Start({{"每天8时0分", "提醒", "下班时间到。"}});
    rig.view.RunFor(5 * kMinute);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"下班时间到。"});
  }
  {
    Rig rig;  // a countdown that ends at 08:00:25 leaves four ticks of the minute
    rig.dialUp.active = {7};
    rig.Start({{"每天8时0分", "断开拨号", ""}}, 20);
    rig.view.RunFor(5 * kMinute);
    EXPECT_EQ(rig.dialUp.hungUp, std::vector<ConnectionHandle>{7});
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"断开成功"});
  }
  {
    Rig rig;  // no pause follows the cleanup, so every tick of the minute finds it due
    rig.Start({{"每天8时0分", "清理系统垃圾", ""}});
    rig.view.RunFor(5 * kMinute);
    EXPECT_EQ(rig.processes.runs.size(), 1u);
    EXPECT_TRUE(rig.shell.executed.empty()) << "a task's cleanup opens no log";
  }
  {
    Rig rig;  // the boot kind: minute 1 after start
    rig.clock.tickCount = 55 * kSecond;
    rig.dialUp.active = {7};
    rig.Start({{"开机0时1分", "断开拨号", ""}}, 5);
    rig.view.RunFor(5 * kMinute);
    EXPECT_EQ(rig.dialUp.hungUp.size(), 1u);
  }
}

// Started at 07:59:55, the first tick comes at 08:00:05: it looked at 08:00
// only, and a task of 07:59, or of the minute since start the program
// started in, was lost.
TEST(Scheduler, ATaskDueInTheMinuteTheProgramStartsInRuns) {
  Rig rig;
  rig.clock.tickCount = 119 * kSecond;  // started in minute 1 since the computer started
  rig.dialUp.active = {7};
  rig.Start({{"每天7时59分", "提醒", "07:59"}, {"开机0时1分", "断开拨号", ""}}, 5);
  rig.view.RunFor(30 * kSecond);
  EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"07:59", "断开成功"}));
  EXPECT_EQ(rig.dialUp.hungUp.size(), 1u);
  rig.view.RunFor(5 * kMinute);
  EXPECT_EQ(rig.reminders.shown.size(), 2u) << "once";

  Rig earlier;  // a minute before the start is none of the program's
  earlier.Start({{"每天7时58分", "提醒", "07:58"}});
  earlier.view.RunFor(kMinute);
  EXPECT_TRUE(earlier.reminders.shown.empty());
}

TEST(Scheduler, AnIdleTaskRunsOncePerStretchOfInactivity) {
  Rig rig;
  rig.dialUp.active = {7};
  rig.Start({{"空闲1分钟", "断开拨号", ""}}, 5);
  rig.clock.Input();
  rig.view.RunFor(4 * kMinute);
  EXPECT_EQ(rig.dialUp.hungUp.size(), 1u) << "one stretch, however many ticks fall in its minute";
  rig.clock.Input();
  rig.view.RunFor(50 * kSecond);
  EXPECT_EQ(rig.dialUp.hungUp.size(), 1u);
  rig.view.RunFor(3 * kMinute);
  EXPECT_EQ(rig.dialUp.hungUp.size(), 2u) << "new input, new stretch";
}

TEST(Scheduler, ATaskKeepsItsRunAcrossAShiftButAnEditedOneIsNew) {
  Rig rig;
  rig.dialUp.active = {7};
  rig.Start({{"每天9时0分", "提醒", "later"}, {"每天8时0分", "断开拨号", ""}}, 5);
  rig.view.RunFor(20 * kSecond);  // ran at 08:00:05, the countdown ended at 08:00:10
  ASSERT_EQ(rig.dialUp.hungUp.size(), 1u);
  SettingsDialog& dialog = rig.OpenSettings();
  dialog.selected = 0;
  dialog.Button6Click();  // the hang-up moves down to slot 1
  dialog.Button2Click();
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.dialUp.hungUp.size(), 1u);
  EXPECT_FALSE(rig.view.shown);

  rig.Put(1, {"每天8时0分", "关闭计算机", ""});
  rig.view.RunFor(kMinute);
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
}

TEST(Scheduler, IdenticalTasksEachRun) {
  Rig rig;
  rig.Start({{"每天8时0分", "提醒", "x"}, {"每天8时0分", "提醒", "x"}});
  rig.view.RunFor(3 * kMinute);
  EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"x", "x"}));
}

TEST(Scheduler, SeveralDueTasksInOneTick) {
  {
    Rig rig;  // two countdown actions: the last in slot order wins
    rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时0分", "重启计算机", ""}}, 5);
    rig.view.RunFor(2 * kMinute);
    EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(6, 0)"});
    EXPECT_EQ(rig.view.texts[CountdownText::Caption], "Windows 正在准备重启...");
  }
  {
    Rig rig;  // an immediate action after a countdown one leaves the countdown's verb alone
    rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时0分", "提醒", "x"}}, 5);
    rig.view.RunFor(2 * kMinute);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"x"});
    EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  }
  {
    Rig rig;  // the immediate actions run in slot order, and the pause starts
    rig.processes.processes = {{40, u"app.exe"}, {41, u"other.exe"}};
    rig.Start({{"每天8时0分", "拨号连接", "ignored"},
               {"每天8时0分", "关闭程序", "C:\\Tools\\app.exe"},
               {"每天8时0分", "打开文件", "C:\\a.txt"}});
    rig.view.RunFor(10 * kSecond);
    ASSERT_EQ(rig.dialUp.dials.size(), 1u);
    EXPECT_EQ(rig.dialUp.dials[0].flags, 2u);
    EXPECT_EQ(rig.dialUp.dials[0].parent, 0x1234u);
    EXPECT_EQ(rig.processes.terminated, std::vector<std::uint32_t>{40});
    ASSERT_EQ(rig.shell.executed.size(), 1u);
    EXPECT_EQ(rig.shell.executed[0].file, "C:\\a.txt");
    EXPECT_EQ(rig.shell.executed[0].verb, "open");
    EXPECT_TRUE(rig.shell.executed[0].parametersNull);
    EXPECT_TRUE(rig.view.on[3]);
    EXPECT_FALSE(rig.view.on[1]);
  }
}

TEST(Scheduler, ACountdownDueWhileOneShowsTakesOverItsWindow) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时1分", "重启计算机", ""}}, 120);
  rig.view.RunFor(30 * kSecond);
  // The settings dialog opened and closed: the evaluation runs again during the count.
  rig.unit.StopEvaluation();
  rig.unit.ResumeEvaluation();
  rig.view.RunFor(40 * kSecond);
  EXPECT_EQ(rig.view.texts[CountdownText::Caption], "Windows 正在准备重启...");
  EXPECT_EQ(rig.view.progress, 60) << "the count goes on from where it stood";
  rig.view.RunFor(2 * kMinute);
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(6, 0)"});
}

TEST(Scheduler, HandOverInOrderAndOtherProgramsAskedToCloseBeforeStandBy) {
  Rig rig;
  rig.sound.journal = &rig.view.log;
  WindowFacts editor;
  editor.handle = 0x500;
  editor.visible = true;
  editor.processId = 9;
  editor.titleLength = 5;
  rig.processes.windows = {editor};
  rig.Start({{"每天8时0分", "待机计算机", ""}}, 60, "C:\\w.wav", 1);
  rig.view.log.clear();
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.view.log, (std::vector<std::string>{"caption Windows 正在准备待机...", "on 2", "off 1", "show",
                                                    "play C:\\w.wav 131083"}));
  EXPECT_EQ(rig.processes.closed, std::vector<WindowHandle>{0x500});
  EXPECT_EQ(rig.view.texts[CountdownText::BitBtn1], "立即待机");
  EXPECT_EQ(rig.view.texts[CountdownText::BitBtn2], "取消待机");
  EXPECT_EQ(rig.view.texts[CountdownText::Label1], "要想取消待机，请按下<取消待机>按钮:剩余");

  Rig shutdown;  // the other verbs leave the other programs alone, whatever ShutApp says
  shutdown.processes.windows = {editor};
  shutdown.Start({{"每天8时0分", "关闭计算机", ""}}, 60, "", 1);
  shutdown.view.RunFor(10 * kSecond);
  EXPECT_TRUE(shutdown.view.shown);
  EXPECT_TRUE(shutdown.processes.closed.empty());
}

TEST(Scheduler, TheMenusPowerCommandsActAtOnceWhileACountdownShows) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  rig.view.RunFor(20 * kSecond);
  rig.unit.MenuCommand(MenuItem::n9);
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(6, 0)"});
  EXPECT_TRUE(rig.view.shown) << "the countdown goes on";
  rig.view.RunFor(kMinute);
  EXPECT_EQ(rig.power.calls, (std::vector<std::string>{"ExitWindowsEx(6, 0)", "ExitWindowsEx(12, 0)"}));
}

// Each countdown action hands its own verb to the countdown, which shows it
// and, run out, runs that verb.
TEST(Scheduler, EveryCountdownActionShowsAndRunsItsVerb) {
  for (const CountdownAction& c : kCountdownActions) {
    Rig rig;
    rig.dialUp.active = {7};
    rig.Start({{"每天8时0分", c.action, ""}}, 1);
    rig.view.RunFor(10 * kSecond);
    const std::string verb = c.verb;
    EXPECT_EQ(rig.view.texts[CountdownText::Caption], "Windows 正在准备" + verb + "...");
    EXPECT_EQ(rig.view.texts[CountdownText::BitBtn1], "立即" + verb);
    EXPECT_EQ(rig.view.texts[CountdownText::BitBtn2], "取消" + verb);
    EXPECT_EQ(rig.view.texts[CountdownText::Label1], "要想取消" + verb + "，请按下<取消" + verb + ">按钮:剩余");
    rig.view.RunFor(kSecond);
    std::vector<std::string> calls = rig.power.calls;
    calls.insert(calls.end(), rig.reminders.shown.begin(), rig.reminders.shown.end());
    EXPECT_EQ(calls, std::vector<std::string>{c.call}) << c.action;
  }
}

TEST(Scheduler, TheCountShowsTheSecondsLeftAndEndsAtZero) {
  struct Case {
    std::int32_t tishi;
    std::vector<std::string> labels;
  } const cases[] = {{0, {"0 秒"}}, {1, {"0 秒"}}, {-5, {"0 秒"}}, {INT32_MIN, {"0 秒"}}, {3, {"2 秒", "1 秒", "0 秒"}}};
  for (const Case& c : cases) {
    Rig rig;
    rig.Start({{"每天8时0分", "关闭计算机", ""}}, c.tishi);
    rig.view.RunFor(10 * kSecond + c.labels.size() * kSecond - 1);
    EXPECT_TRUE(rig.power.calls.empty()) << c.tishi;
    rig.view.RunFor(1);
    EXPECT_EQ(rig.view.label2History, c.labels) << c.tishi;
    EXPECT_EQ(rig.power.calls.size(), 1u) << c.tishi;
    EXPECT_FALSE(rig.view.shown);
    EXPECT_EQ(rig.view.progress, 0);
  }

  Rig rig;  // a minute's count: 59 秒 down to 0 秒, the action at the tick that shows 0 秒
  rig.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  rig.view.RunFor(10 * kSecond + 60 * kSecond);
  ASSERT_EQ(rig.view.label2History.size(), 60u);
  EXPECT_EQ(rig.view.label2History.front(), "59 秒");
  EXPECT_EQ(rig.view.label2History.back(), "0 秒");
  EXPECT_EQ(rig.power.calls.size(), 1u);
  EXPECT_TRUE(rig.view.on[1]);
  EXPECT_FALSE(rig.view.on[2]);
}

TEST(Scheduler, ExecuteNowRunsTheVerbAtOnceAndStopsTheSound) {
  Rig rig;
  rig.sound.journal = &rig.view.log;
  rig.Start({{"每天8时0分", "关闭计算机", ""}}, 60, "C:\\w.wav");
  rig.view.RunFor(13 * kSecond);
  rig.view.log.clear();
  rig.unit.BitBtn1Click();
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  EXPECT_EQ(rig.view.log, (std::vector<std::string>{"stop", "hide", "on 1", "off 2"}));
  EXPECT_EQ(rig.view.progress, 0);
  rig.unit.BitBtn1Click();  // a click queued behind the first one
  rig.view.RunFor(3 * kMinute);
  EXPECT_EQ(rig.power.calls.size(), 1u);
}

TEST(Scheduler, CancelRunsNothingAndLeavesMonitoringOff) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时5分", "提醒", "later"}}, 60, "C:\\w.wav");
  rig.view.RunFor(13 * kSecond);
  rig.unit.BitBtn2Click();
  EXPECT_FALSE(rig.view.shown);
  EXPECT_EQ(rig.sound.calls, (std::vector<std::string>{"play C:\\w.wav 131083", "stop"}));
  EXPECT_TRUE(rig.ShowsMonitoringOff());
  rig.view.RunFor(10 * kMinute);
  EXPECT_TRUE(rig.power.calls.empty());
  EXPECT_TRUE(rig.reminders.shown.empty());

  Rig off;  // monitoring switched off while the window showed: cancel does not switch it back on
  off.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  off.view.RunFor(13 * kSecond);
  off.unit.N1Click();
  off.unit.BitBtn2Click();
  EXPECT_TRUE(off.ShowsMonitoringOff());
  EXPECT_TRUE(off.sound.calls.empty()) << "no sound configured: no sound call at all";
}

TEST(Scheduler, NothingSwitchesTheEvaluationOnWhileMonitoringIsOff) {
  {
    Rig rig;  // the end of the pause
    rig.Start({{"每天8时0分", "提醒", "now"}, {"每天8时3分", "提醒", "later"}});
    rig.view.RunFor(30 * kSecond);
    rig.unit.N1Click();
    rig.view.RunFor(10 * kMinute);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"now"});
    EXPECT_TRUE(rig.ShowsMonitoringOff());
  }
  {
    Rig rig;  // the natural end of a countdown and execute now
    rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时1分", "重启计算机", ""}}, 5);
    rig.view.RunFor(12 * kSecond);
    rig.unit.N1Click();
    rig.view.RunFor(5 * kMinute);
    EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
    EXPECT_TRUE(rig.ShowsMonitoringOff());
  }
  {
    Rig rig;  // the settings dialog closing
    rig.Start({});
    rig.unit.N1Click();
    rig.unit.StopEvaluation();
    rig.unit.ResumeEvaluation();
    EXPECT_TRUE(rig.ShowsMonitoringOff());
  }
}

TEST(Scheduler, TheSwitchShowsMonitoringTruthfully) {
  Rig rig;
  rig.Start({});
  EXPECT_EQ(rig.unit.NotifyData().hIcon, AppIcon::MAINICON);
  EXPECT_EQ(rig.Tip(), kTipEnabled);
  rig.unit.N1Click();
  EXPECT_TRUE(rig.ShowsMonitoringOff());
  rig.unit.N1Click();
  const FakeShell::Notify& last = rig.shell.notifications.back();
  EXPECT_EQ(last.op, NotifyOp::Modify);
  EXPECT_EQ(last.data.hIcon, AppIcon::ENASHUT);
  EXPECT_EQ(rig.Tip(), kTipEnabled);
  EXPECT_TRUE(rig.view.n1Checked);
  EXPECT_TRUE(rig.view.on[1]);
}

TEST(Scheduler, ABrokenSlotIsSkippedAndShownOnceTheTickIsThrough) {
  Rig rig;
  rig.Arrange({{"每天8时0分", "提醒", "one"}, {"", "提醒", "empty"}, {"每天x时0分", "提醒", "bad"},
               {"每天8时0分", "提醒", "four"}});
  rig.stored.PutDword("A5", 1);
  rig.stored.PutTaskNum(6);
  rig.Put(6, {"每天8时0分", "提醒", "six"});
  rig.Launch();
  std::vector<std::string> shownBeforeTheBox;
  rig.shell.whileBoxShows = [&] { shownBeforeTheBox = rig.reminders.shown; };
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"one", "four", "six"}));
  EXPECT_EQ(shownBeforeTheBox, rig.reminders.shown);
  ASSERT_EQ(rig.shell.boxes.size(), 1u);
  EXPECT_EQ(rig.shell.boxes[0].text, "任务 3：'x' is not a valid integer value.");
  EXPECT_EQ(rig.shell.boxes[0].caption, "Velmaro");
  EXPECT_EQ(rig.shell.boxes[0].flags, kMbOk | kMbIconError);
  EXPECT_EQ(rig.registry.openKeys, 0) << "the store key is closed before the box shows";
}

TEST(Scheduler, ABrokenSlotIsShownOnceUntilItsTextChanges) {
  Rig rig;
  rig.Start({{"每天x时0分", "提醒", "bad"}, {"每天8时0分", "提醒", "good"}});
  int nested = 0;
  rig.shell.whileBoxShows = [&] {
    if (nested++ == 0) rig.view.RunFor(30 * kSecond);  // the box's modal loop runs more ticks
  };
  rig.view.RunFor(kHour);
  EXPECT_EQ(rig.shell.boxes.size(), 1u) << "not one box per tick";
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"good"}) << "the other tasks still run";

  rig.Put(1, {"每天y时0分", "提醒", "bad"});  // edited, and still broken
  rig.view.RunFor(kHour);
  ASSERT_EQ(rig.shell.boxes.size(), 2u);
  EXPECT_EQ(rig.shell.boxes[1].text, "任务 1：'y' is not a valid integer value.");

  rig.Put(1, {"每天9时0分", "提醒", "fixed"});  // repaired, then broken again as before
  rig.view.RunFor(kMinute);
  rig.Put(1, {"每天y时0分", "提醒", "bad"});
  rig.view.RunFor(kMinute);
  EXPECT_EQ(rig.shell.boxes.size(), 3u);
}

// A TaskNum of 2^31-1 walked two billion slot numbers on the window's
// thread at every tick. The call limit ends such a walk as a failed test.
TEST(Scheduler, ATaskNumFarAboveTheSlotsCostsOnlyTheSlotsStored) {
  Rig rig;
  rig.Arrange({{"每天8时0分", "提醒", "one"}, {"", "提醒", "empty"}, {"每天9时0分", "提醒", "three"}});
  rig.stored.PutTaskNum(0x7FFFFFFFu);
  rig.Launch();
  rig.registry.queryCalls = rig.registry.setCalls = 0;
  rig.registry.callLimit = 100;
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"one"});
  EXPECT_LE(rig.registry.queryCalls, 3 + 2) << "each trigger once, the due task's action and argument";

  rig.registry.queryCalls = 0;
  SettingsDialog& dialog = rig.OpenSettings();
  ASSERT_EQ(dialog.rows.size(), 2u);
  EXPECT_EQ(*dialog.rows[1].slot, 3);
  EXPECT_TRUE(rig.shell.boxes.empty());
}

// A file the shell would not open (a program stored with its options) failed
// without a word.
TEST(Scheduler, AFileThatDoesNotOpenIsShownWithItsSlotAndThePauseFollows) {
  Rig rig;
  rig.Start({{"每天8时0分", "提醒", "first"}, {"每天8时0分", "打开文件", "\"C:\\a b\\x.exe\" /s"}});
  rig.shell.executeResult = 2;  // SE_ERR_FNF
  rig.view.RunFor(10 * kSecond);
  ASSERT_EQ(rig.shell.executed.size(), 1u);
  ASSERT_EQ(rig.shell.boxes.size(), 1u);
  EXPECT_EQ(rig.shell.boxes[0].text, "任务 2：无法打开'\"C:\\a b\\x.exe\" /s'：找不到文件.");
  EXPECT_EQ(rig.shell.boxes[0].flags, kMbOk | kMbIconError);
  EXPECT_TRUE(rig.view.on[3]) << "the pause after an immediate action";
  EXPECT_FALSE(rig.view.on[1]);
  rig.view.RunFor(kHour);
  EXPECT_EQ(rig.shell.executed.size(), 1u) << "an occurrence runs once, failed or not";
  EXPECT_EQ(rig.shell.boxes.size(), 1u);

  Rig opened;
  opened.Start({{"每天8时0分", "打开文件", "C:\\x.txt"}});
  opened.view.RunFor(10 * kSecond);
  EXPECT_EQ(opened.shell.executed.size(), 1u);
  EXPECT_TRUE(opened.shell.boxes.empty());
}

// A 100 000-digit field gave a box 7 248 pixels wide with its button off the
// screen, and a 100 000-character reminder a label 32 767 pixels wide.
TEST(Scheduler, LongTextsAreCutToFitTheirWindows) {
  const std::string digits(100000, '7');
  Rig rig;
  rig.Arrange({{"每天8时0分", "提醒", ""}, {"每天8时0分", "提醒", "short"}});
  rig.Put(1, {"每天8时0分", "提醒", std::string(100000, 'x').c_str()});
  rig.Put(3, {("每天" + digits + "时0分").c_str(), "提醒", ""});
  rig.stored.PutTaskNum(3);
  rig.Launch();
  rig.view.RunFor(10 * kSecond);
  ASSERT_EQ(rig.reminders.shown.size(), 2u);
  EXPECT_EQ(rig.reminders.shown[0], std::string(kReminderColumns - 2, 'x') + "…");
  EXPECT_EQ(rig.reminders.shown[1], "short");
  ASSERT_EQ(rig.shell.boxes.size(), 1u);
  EXPECT_EQ(rig.shell.boxes[0].text,
            "任务 3：'" + std::string(kQuotedColumns - 2, '7') + "…' is not a valid integer value.");
}

TEST(Scheduler, MinutesTheProgramLetPassAreCaughtUp) {
  {
    Rig rig;  // a reminder every minute: each pause of 70 s used to lose one minute in seven
    std::vector<Task> tasks;
    std::vector<std::string> triggers, texts;
    for (int minute = 0; minute < 30; ++minute) {
      triggers.push_back("每天8时" + std::to_string(minute) + "分");
      texts.push_back("minute " + std::to_string(minute));
    }
    for (int i = 0; i < 30; ++i) tasks.push_back({triggers[i].c_str(), "提醒", texts[i].c_str()});
    rig.Start(tasks);
    rig.view.RunFor(40 * kMinute);
    EXPECT_EQ(rig.reminders.shown, texts);
  }
  {
    Rig rig;  // a countdown of 110 s ends at 08:01:55; the task of 08:01 runs at once after it
    rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时1分", "提醒", "after"}}, 110);
    rig.view.RunFor(3 * kMinute);
    EXPECT_EQ(rig.power.calls.size(), 1u);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"after"});
  }
  {
    Rig rig;  // a settings dialog open across a task's minute
    rig.Start({{"每天8时3分", "提醒", "three"}, {"每天8时5分", "提醒", "five"}});
    rig.view.RunFor(30 * kSecond);
    SettingsDialog& dialog = rig.OpenSettings();
    rig.view.RunFor(10 * kMinute);
    EXPECT_TRUE(rig.reminders.shown.empty()) << "no tick while the dialog is open";
    dialog.Close();
    rig.view.RunFor(10 * kSecond);
    EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"three", "five"}));
  }
  {
    Rig rig;  // only the ten most recent minutes are caught up
    rig.Start({{"每天8时5分", "提醒", "too old"}, {"每天8时15分", "提醒", "recent"}});
    rig.view.RunFor(10 * kSecond);
    SettingsDialog& dialog = rig.OpenSettings();
    rig.view.RunFor(20 * kMinute);  // closed at 08:20:05; the next tick at 08:20:15
    dialog.Close();
    rig.view.RunFor(10 * kSecond);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"recent"});
  }
  {
    Rig rig;  // an identical task added in the minute its twin ran is a task of its own
    rig.Start({{"每天8时0分", "提醒", "x"}});
    rig.view.RunFor(30 * kSecond);
    rig.Put(2, {"每天8时0分", "提醒", "x"});
    rig.stored.PutTaskNum(2);
    rig.unit.settings.LastTaskNum = 2;
    rig.view.RunFor(kMinute);  // the pause ends in 08:01: 08:00 is caught up
    EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"x", "x"}));
  }
}

TEST(Scheduler, NoTickWhileASettingsDialogIsOpen) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时0分", "提醒", "pause"}, {"每天8时2分", "提醒", "later"}}, 20);
  rig.view.RunFor(10 * kSecond);  // the countdown shows, and the reminder's pause runs
  SettingsDialog& first = rig.OpenSettings();
  SettingsDialog& second = rig.OpenSettings();
  rig.view.RunFor(5 * kMinute);  // the count and the pause both end meanwhile
  EXPECT_EQ(rig.power.calls.size(), 1u);
  EXPECT_FALSE(rig.view.on[1]);
  second.Close();
  second.Close();  // its window may report the close twice
  rig.view.RunFor(kMinute);
  EXPECT_FALSE(rig.view.on[1]) << "one dialog is still open";
  EXPECT_EQ(rig.reminders.shown.back(), "pause");
  first.Close();
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.reminders.shown.back(), "later");
}

TEST(Scheduler, StartUpIsThroughBeforeAnythingTicks) {
  {
    Rig rig;  // the settings dialog opened and closed beneath the start-up box
    rig.registry.failSetAt = 1;
    bool onBeneathTheBox = true;
    rig.shell.whileBoxShows = [&] {
      if (rig.shell.boxes.size() > 1) return;  // the dialog's own box, on the store that failed
      rig.OpenSettings().Close();
      onBeneathTheBox = rig.view.on[1];
    };
    rig.unit.FormCreate();
    ASSERT_GE(rig.shell.boxes.size(), 1u);
    EXPECT_FALSE(onBeneathTheBox);
    EXPECT_TRUE(rig.view.on[1]);
  }
  {
    Rig rig;  // monitoring switched off beneath it
    rig.registry.failSetAt = 1;
    rig.shell.whileBoxShows = [&] { rig.unit.N1Click(); };
    rig.unit.FormCreate();
    EXPECT_TRUE(rig.ShowsMonitoringOff());
  }
}

TEST(Scheduler, ARepeatedLocalMinuteDoesNotRunATaskAgain) {
  {
    Rig rig;  // daylight saving ends: 03:00 becomes 02:00 again
    rig.Start({{"每天2时30分", "提醒", "daily"}});
    rig.clock.SetLocalTime(2026, 10, 25, 2, 0, 0);
    rig.unit.TimeChanged();
    rig.view.RunFor(kHour);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"daily"});
    rig.clock.SetLocalTime(2026, 10, 25, 2, 0, 0);
    rig.unit.TimeChanged();
    rig.view.RunFor(kHour);
    EXPECT_EQ(rig.reminders.shown.size(), 1u) << "the repeated 02:30 does not run again";
    rig.view.RunFor(24 * kHour);
    EXPECT_EQ(rig.reminders.shown.size(), 2u) << "the next day's is a new occurrence";
  }
  {
    Rig rig;  // a boot task is known by its minute since start, whatever the clock says
    rig.Start({{"开机0时1分", "清理系统垃圾", ""}});  // no pause follows the cleanup
    rig.view.RunFor(70 * kSecond);                  // ran at 1 min 10 s since start
    ASSERT_EQ(rig.processes.runs.size(), 1u);
    rig.clock.SetLocalTime(2026, 12, 7, 7, 30, 0);
    rig.unit.TimeChanged();
    rig.view.RunFor(30 * kSecond);
    EXPECT_EQ(rig.processes.runs.size(), 1u);
  }
  {
    Rig rig;  // the clock set back over a once task
    rig.Start({{"一次2026-12-7日8时1分", "提醒", "once"}});
    rig.view.RunFor(3 * kMinute);
    rig.clock.SetLocalTime(2026, 12, 7, 7, 50, 0);
    rig.unit.TimeChanged();
    rig.view.RunFor(20 * kMinute);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"once"});
  }
  {
    Rig rig;  // daylight saving starts: the hour that never comes is not made up
    rig.Start({{"每天2时30分", "提醒", "skipped"}, {"每天3时0分", "提醒", "three"}});
    rig.clock.SetLocalTime(2026, 3, 29, 1, 59, 50);
    rig.unit.TimeChanged();
    rig.view.RunFor(10 * kSecond);
    rig.clock.SetLocalTime(2026, 3, 29, 3, 0, 0);
    rig.unit.TimeChanged();
    rig.view.RunFor(10 * kMinute);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"three"});
  }
  {
    Rig rig;  // a week of daily runs: the memory of what ran forgets what is a day old
    rig.Start({{"每天8时0分", "提醒", "a"}, {"每天12时0分", "提醒", "b"}, {"每天20时0分", "提醒", "c"}});
    for (int day = 0; day < 7; ++day) {
      rig.view.RunFor(24 * kHour);
      EXPECT_LE(rig.unit.RememberedRuns(), 9u) << "day " << day;
    }
    EXPECT_EQ(rig.reminders.shown.size(), 21u);
  }
}

TEST(Scheduler, AnIdleZeroTaskRunsAgainAfterEachNewInput) {
  Rig rig;  // due while the user is active: each input starts a new occurrence
  rig.Start({{"空闲0分钟", "提醒", "busy"}});
  for (int i = 0; i < 30; ++i) {
    rig.clock.Input();
    rig.view.RunFor(10 * kSecond);
  }
  EXPECT_GE(rig.reminders.shown.size(), 4u);
  EXPECT_LE(rig.reminders.shown.size(), 5u) << "once per pause of 70 s in five minutes";
}

TEST(Scheduler, ACountdownInterruptedBySleepEndsWithoutItsActionOnWaking) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天15时55分", "提醒", "slept through"},
             {"每天16时0分", "提醒", "on waking"}},
            60, "C:\\w.wav");
  rig.view.RunFor(20 * kSecond);
  ASSERT_TRUE(rig.view.shown);
  rig.unit.Suspending();
  EXPECT_FALSE(rig.view.shown);
  EXPECT_EQ(rig.sound.calls.back(), "stop");
  rig.clock.Advance(8 * kHour);  // asleep: no timer runs
  rig.unit.Resumed();
  rig.view.RunFor(5 * kMinute);
  EXPECT_TRUE(rig.power.calls.empty());
  EXPECT_EQ(rig.shell.balloons, std::vector<std::string>{"电脑睡眠时关机倒计时已取消"});
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"on waking"}) << "evaluated at once, nothing slept through";
  EXPECT_TRUE(rig.view.n1Checked) << "monitoring stays on";
  EXPECT_EQ(rig.Tip(), kTipEnabled);
}

TEST(Scheduler, NestedLoopsInsideAnActionNeitherRepeatTheTickNorReachAClosedStore) {
  {
    Rig rig;  // a tick delivered while an action pumps messages
    rig.reminders.whileShowing = [&] { rig.unit.Timer1Timer(); };
    rig.Start({{"每天8时0分", "提醒", "one"}, {"每天8时0分", "提醒", "two"}});
    rig.view.RunFor(10 * kSecond);
    EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"one", "two"}));
  }
  {
    Rig rig;  // a settings dialog opened while an action pumps messages reads the Run key
    rig.reminders.whileShowing = [&] {
      if (rig.reminders.shown.size() == 1) rig.OpenSettings();
    };
    rig.Start({{"每天8时0分", "提醒", "one"}, {"每天8时0分", "提醒", "two"}});
    rig.view.RunFor(10 * kSecond);
    EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"one", "two"}));
  }
  {
    Rig rig;  // closed by a task after a broken one: no box once the program is gone
    rig.reminders.whileShowing = [&] { rig.unit.n17Click(); };
    rig.Start({{"每天x时0分", "提醒", "bad"}, {"每天8时0分", "提醒", "one"}});
    rig.view.RunFor(10 * kSecond);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"one"});
    EXPECT_TRUE(rig.shell.boxes.empty());
  }
  {
    Rig rig;  // the program closed while an action pumped messages
    rig.reminders.whileShowing = [&] { rig.unit.n17Click(); };
    rig.Start({{"每天8时0分", "提醒", "one"}, {"每天8时0分", "提醒", "two"}, {"每天x时0分", "提醒", "bad"}});
    rig.view.RunFor(5 * kSecond);
    const int queries = rig.registry.queryCalls;
    rig.view.RunFor(5 * kSecond);
    EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"one"});
    EXPECT_EQ(rig.registry.queryCalls, queries + 3) << "slot 1 read, then nothing more";
    EXPECT_TRUE(rig.shell.boxes.empty());
    EXPECT_FALSE(rig.view.on[3]);
    rig.unit.Timer1Timer();
    rig.unit.Timer2Timer();
    rig.unit.Timer3Timer();
    rig.unit.MenuCommand(MenuItem::n1);
    EXPECT_EQ(rig.registry.queryCalls, queries + 3);
    EXPECT_EQ(rig.shell.notifications.back().op, NotifyOp::Delete);
  }
}

}  // namespace
}  // namespace velmaro
