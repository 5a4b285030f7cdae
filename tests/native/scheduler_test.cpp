// The scheduler end to end on simulated time: the evaluation tick, its pause,
// the countdown and the monitoring switch, driven by the three timers as the
// message loop would drive them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/fakes/fake_app.h"

namespace velmaro {
namespace {

const char kStoreKey[] = "Software\\Drennik\\Velmaro";
constexpr std::uint64_t kSecond = 1000;
constexpr std::uint64_t kMinute = 60 * kSecond;

struct Task {
  const char* trigger;
  const char* action;
  const char* argument;
};

// Everything the main window's logic works with, faked, on a store as an
// older install would have left it.
struct Rig : FakeApp {
  void Put(std::int32_t slot, const Task& task) {
    registry.PutString(RegRoot::LocalMachine, kStoreKey, SlotValueName('A', slot), task.trigger);
    registry.PutString(RegRoot::LocalMachine, kStoreKey, SlotValueName('B', slot), task.action);
    registry.PutString(RegRoot::LocalMachine, kStoreKey, SlotValueName('C', slot), task.argument);
  }

  // Starts the program at 07:59:55 on Monday 7 December 2026: the first tick
  // comes at 08:00:05.
  void Start(const std::vector<Task>& tasks, std::int32_t tishi = 60, const char* soundPath = "",
             std::uint32_t shutApp = 0) {
    registry.PutDword(RegRoot::LocalMachine, kStoreKey, "tishi", static_cast<std::uint32_t>(tishi));
    registry.PutDword(RegRoot::LocalMachine, kStoreKey, "shutapp", shutApp);
    registry.PutString(RegRoot::LocalMachine, kStoreKey, "soundpath", soundPath);
    registry.PutDword(RegRoot::LocalMachine, kStoreKey, "TaskNum", static_cast<std::uint32_t>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) Put(static_cast<std::int32_t>(i + 1), tasks[i]);
    clock.SetLocalTime(2026, 12, 7, 7, 59, 55);
    unit.FormCreate();
  }

  std::string Tip() const { return std::string(unit.NotifyData.szTip, strnlen(unit.NotifyData.szTip, 64)); }
  // Monitoring off as the user sees it: unchecked, no evaluation, the
  // disabled icon and tip shown.
  bool ShowsMonitoringOff() const {
    const FakeShell::Notify& last = shell.notifications.back();
    return !view.n1Checked && !view.on[1] && last.op == NotifyOp::Modify && last.data.hIcon == AppIcon::DISSHUT &&
           Tip() == kTipDisabled;
  }
};

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
  rig.unit.Store->DeleteSlot(1);  // the hang-up moves down to slot 1
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
                                                    "play C:\\w.wav 131081"}));
  EXPECT_EQ(rig.processes.closed, std::vector<WindowHandle>{0x500});
  EXPECT_EQ(rig.view.texts[CountdownText::BitBtn1], "立即待机");
  EXPECT_EQ(rig.view.texts[CountdownText::BitBtn2], "取消待机");
  EXPECT_EQ(rig.view.texts[CountdownText::Label1], "要想取消待机，请按下<取消待机>按钮:剩余");
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

TEST(Scheduler, EveryVerbShowsItsTextsAndRunsItsCall) {
  struct Case {
    const char* action;
    const char* verb;
    const char* call;  // power call, or the hang-up's message
  } const cases[] = {
      {"注销计算机", "注销", "ExitWindowsEx(4, 0)"},       {"待机计算机", "待机", "SetSystemPowerState(-1, -1)"},
      {"休眠计算机", "休眠", "SetSystemPowerState(0, -1)"}, {"重启计算机", "重启", "ExitWindowsEx(6, 0)"},
      {"关闭计算机", "关机", "ExitWindowsEx(12, 0)"},       {"快速重启", "快速重启", "NtShutdownSystem(1)"},
      {"快速关机", "快速关机", "NtShutdownSystem(2)"},      {"断开拨号", "断开拨号", "没有可用的拨号连接"},
  };
  for (const Case& c : cases) {
    Rig rig;
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
  } const cases[] = {{0, {"0 秒"}}, {1, {"0 秒"}}, {-5, {"-5 秒"}}, {3, {"2 秒", "1 秒", "0 秒"}}};
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
  EXPECT_EQ(rig.sound.calls, (std::vector<std::string>{"play C:\\w.wav 131081", "stop"}));
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
  EXPECT_EQ(rig.unit.NotifyData.hIcon, AppIcon::MAINICON);
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
  rig.Start({{"每天8时0分", "提醒", "one"}, {"", "提醒", "empty"}, {"每天x时0分", "提醒", "bad"},
             {"每天8时0分", "提醒", "four"}});
  rig.registry.PutDword(RegRoot::LocalMachine, kStoreKey, "A5", 1);
  rig.registry.PutDword(RegRoot::LocalMachine, kStoreKey, "TaskNum", 6);
  rig.Put(6, {"每天8时0分", "提醒", "six"});
  rig.unit.settings.LastTaskNum = 6;
  std::vector<std::string> shownBeforeTheBox;
  rig.shell.whileBoxShows = [&] { shownBeforeTheBox = rig.reminders.shown; };
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"one", "four", "six"}));
  EXPECT_EQ(shownBeforeTheBox, rig.reminders.shown);
  ASSERT_EQ(rig.shell.boxes.size(), 1u);
  EXPECT_EQ(rig.shell.boxes[0].text, "'x' is not a valid integer value.");
  EXPECT_EQ(rig.shell.boxes[0].caption, "Velmaro");
  EXPECT_EQ(rig.shell.boxes[0].flags, kMbOk | kMbIconError);
  EXPECT_EQ(rig.registry.openKeys, 0) << "the store key is closed before the box shows";
}

TEST(Scheduler, TicksBeneathAnOpenErrorBoxOpenNoOther) {
  Rig rig;
  rig.Start({{"每天x时0分", "提醒", "bad"}});
  int nested = 0;
  rig.shell.whileBoxShows = [&] {
    if (nested++ == 0) rig.view.RunFor(30 * kSecond);  // the box's modal loop runs three more ticks
  };
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.shell.boxes.size(), 1u);
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.shell.boxes.size(), 2u) << "once the box is closed, the next failing tick shows again";
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

TEST(PendingAction, OnlyTheEightVerbsRunAnything) {
  struct Case {
    const char* verb;
    const char* call;
  } const cases[] = {
      {"注销", "ExitWindowsEx(4, 0)"},   {"待机", "SetSystemPowerState(-1, -1)"}, {"休眠", "SetSystemPowerState(0, -1)"},
      {"重启", "ExitWindowsEx(6, 0)"},   {"关机", "ExitWindowsEx(12, 0)"},        {"快速重启", "NtShutdownSystem(1)"},
      {"快速关机", "NtShutdownSystem(2)"}, {"断开拨号", "断开成功"},            {"", nullptr},
      {"关闭计算机", nullptr},            {"关机 ", nullptr},                     {"清理系统垃圾", nullptr},
  };
  for (const Case& c : cases) {
    RecordingPower power;
    FakeDialUp dialUp;
    dialUp.active = {3};
    FakeReminders reminders;
    RunPendingAction(c.verb, power, dialUp, reminders);
    std::vector<std::string> calls = power.calls;
    calls.insert(calls.end(), reminders.shown.begin(), reminders.shown.end());
    EXPECT_EQ(calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{}) << c.verb;
  }
}

}  // namespace
}  // namespace velmaro
