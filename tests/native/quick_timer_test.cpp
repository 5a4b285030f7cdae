// The quick timer on simulated time: set from its dialog or a command, it
// runs its action once, through the countdown for the power actions, and
// is dropped, never run late, when the computer was off or asleep at its
// time or something held it back too long.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"

namespace velmaro {
namespace {

const char kStorePath[] = "Software\\Drennik\\Velmaro";

QuickTimerRequest In(std::int32_t minutes, const char* action = "关闭计算机", const char* text = "") {
  QuickTimerRequest request;
  request.action = action;
  request.text = text;
  request.minutes = minutes;
  return request;
}

QuickTimerRequest At(std::int32_t hour, std::int32_t minute, const char* action = "关闭计算机") {
  QuickTimerRequest request;
  request.action = action;
  request.when = QuickTimerRequest::When::At;
  request.hour = hour;
  request.minute = minute;
  return request;
}

struct TimerRig : Rig {
  bool Kept() { return registry.Key(RegRoot::LocalMachine, kStorePath).count(kQuickTimerValue) != 0; }
  // The program started anew on this store, at a local time and a counter.
  std::unique_ptr<TimerRig> Restarted(int h, int mi, int s, std::uint32_t tickCount) const {
    auto restarted = std::make_unique<TimerRig>();
    restarted->registry = registry;
    restarted->clock.SetLocalTime(2026, 12, 7, h, mi, s);
    restarted->clock.tickCount = tickCount;
    restarted->unit.FormCreate();
    return restarted;
  }
};

TEST(QuickTimer, InMinutesCountsDownOnceAtItsMinuteAndTheTipAndMenuShowIt) {
  TimerRig rig;
  rig.Start({});
  // A menu item is enabled until told otherwise.
  EXPECT_TRUE(rig.view.menuEnabled.count(MenuItem::N23) && !rig.view.menuEnabled[MenuItem::N23])
      << "nothing to cancel yet";
  EXPECT_EQ(rig.unit.SetQuickTimer(In(30)), "08:29 关机");  // set at 07:59:55
  EXPECT_EQ(rig.Tip(), "Velmaro-启用：定时 08:29 关机");
  EXPECT_TRUE(rig.view.menuEnabled[MenuItem::N23]);
  EXPECT_EQ(rig.view.menuCaptions[MenuItem::N23], "取消定时(&N)（08:29 关机）");
  EXPECT_TRUE(rig.Kept());

  rig.view.RunFor(29 * kMinute + 50 * kSecond);
  EXPECT_FALSE(rig.view.shown);
  rig.view.RunFor(10 * kSecond);  // 08:29:55, thirty minutes on the counter
  ASSERT_TRUE(rig.view.shown);
  EXPECT_EQ(rig.view.texts[CountdownText::BitBtn1], "立即关机");
  EXPECT_EQ(rig.Tip(), kTipEnabled);
  EXPECT_FALSE(rig.view.menuEnabled[MenuItem::N23]);
  EXPECT_FALSE(rig.Kept());
  rig.view.RunFor(61 * kSecond);
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  rig.view.RunFor(2 * kHour);
  EXPECT_EQ(rig.power.calls.size(), 1u);
  ASSERT_EQ(rig.RecordedLines().size(), 1u);
  EXPECT_EQ(rig.RecordedLines()[0], "2026-12-07 08:30:55\t定时\t关机\t已执行");
}

TEST(QuickTimer, ANewOneReplacesTheOldAndCancellingLeavesNothingToRun) {
  TimerRig rig;
  rig.Start({});
  rig.unit.SetQuickTimer(In(30));
  EXPECT_EQ(rig.unit.SetQuickTimer(At(9, 0, "提醒")), "09:00 提醒");
  rig.view.RunFor(61 * kMinute);
  EXPECT_TRUE(rig.power.calls.empty()) << "the replaced timer never runs";
  EXPECT_EQ(rig.reminders.shown.size(), 1u);

  TimerRig cancelled;
  cancelled.Start({});
  cancelled.unit.SetQuickTimer(In(5));
  cancelled.unit.MenuCommand(MenuItem::N23);
  EXPECT_FALSE(cancelled.Kept());
  EXPECT_EQ(cancelled.Tip(), kTipEnabled);
  EXPECT_FALSE(cancelled.unit.CancelQuickTimer()) << "nothing left to cancel";
  cancelled.view.RunFor(kHour);
  EXPECT_TRUE(cancelled.power.calls.empty());
  EXPECT_FALSE(cancelled.view.shown);
  ASSERT_EQ(cancelled.RecordedLines().size(), 1u);
  EXPECT_NE(cancelled.RecordedLines()[0].find("\t定时\t关机\t已取消"), std::string::npos);
}

TEST(QuickTimer, ItsCountdownIsCancelledOrPostponedAsATasksIsAndMonitoringStaysAsItWas) {
  TimerRig rig;
  rig.Start({{"每天8时5分", "提醒", "after"}});
  rig.unit.SetQuickTimer(In(1));
  rig.view.RunFor(70 * kSecond);
  ASSERT_TRUE(rig.view.shown);
  EXPECT_TRUE(rig.unit.CancelQuickTimer()) << "a countdown that shows is cancelled";
  EXPECT_FALSE(rig.view.shown);
  EXPECT_TRUE(rig.view.n1Checked) << "the one-off's cancel does not switch monitoring off";
  EXPECT_FALSE(rig.unit.CancelQuickTimer());
  rig.view.RunFor(5 * kMinute);
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"after"}) << "and the tick goes on";

  TimerRig postponed;
  postponed.Start({});
  postponed.unit.SetQuickTimer(In(1));
  postponed.view.RunFor(70 * kSecond);
  ASSERT_TRUE(postponed.view.shown);
  postponed.view.postponeChoice = 10;
  postponed.unit.BitBtn3Click();
  postponed.view.RunFor(9 * kMinute);
  EXPECT_FALSE(postponed.view.shown);
  postponed.view.RunFor(70 * kSecond);
  ASSERT_TRUE(postponed.view.shown) << "its postponement is no stored task, and still comes";
  postponed.view.RunFor(61 * kSecond);
  postponed.view.RunFor(kHour);
  EXPECT_EQ(postponed.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
}

TEST(QuickTimer, ItRunsWithMonitoringOffWhileNoTaskDoes) {
  TimerRig rig;
  rig.Start({{"每天8时2分", "提醒", "task"}});
  rig.unit.N1Click();
  rig.unit.SetQuickTimer(In(4, "提醒", "timer"));
  EXPECT_EQ(rig.Tip(), "Velmaro-禁用：定时 08:03 提醒");
  rig.view.RunFor(10 * kMinute);
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"timer"});
}

TEST(QuickTimer, AClockChangeMovesInMinutesNotAtAll) {
  TimerRig rig;
  rig.Start({});
  rig.unit.SetQuickTimer(In(30));
  rig.view.RunFor(10 * kMinute);
  rig.clock.SetLocalTime(2026, 12, 7, 13, 10, 0);  // set five hours ahead
  rig.unit.TimeChanged();
  EXPECT_EQ(rig.Tip(), "Velmaro-启用：定时 13:30 关机") << "the tip reads the clock afresh";
  rig.view.RunFor(19 * kMinute + 50 * kSecond);
  EXPECT_FALSE(rig.view.shown);
  rig.view.RunFor(10 * kSecond);
  EXPECT_TRUE(rig.view.shown) << "thirty minutes on the counter";

  TimerRig at;
  at.Start({});
  at.unit.SetQuickTimer(At(9, 0));
  at.clock.SetLocalTime(2026, 12, 7, 8, 59, 50);
  at.unit.TimeChanged();
  at.view.RunFor(15 * kSecond);
  EXPECT_TRUE(at.view.shown) << "at a clock time follows the clock";
}

TEST(QuickTimer, HeldBackItRunsLateWithinTheCatchUpMinutesAndIsDroppedAndToldBeyond) {
  struct Case {
    std::uint64_t heldFor;
    bool runs;
  };
  for (const Case& c : {Case{5 * kMinute, true}, Case{15 * kMinute, false}}) {
    TimerRig rig;
    rig.Start({});
    rig.unit.SetQuickTimer(In(1, "提醒", "late"));
    SettingsDialog& settings = rig.OpenSettings();
    rig.view.RunFor(c.heldFor);
    settings.Close();
    rig.view.RunFor(20 * kSecond);
    EXPECT_EQ(rig.reminders.shown.size(), c.runs ? 1u : 0u) << c.heldFor;
    ASSERT_EQ(rig.RecordedLines().size(), 1u);
    const std::string line = rig.RecordedLines()[0];
    if (c.runs) {
      EXPECT_NE(line.find("定时\t提醒\t迟了 4 分钟执行"), std::string::npos) << line;
    } else {
      EXPECT_NE(line.find("未执行：定时被耽搁超过 10 分钟"), std::string::npos) << line;
      EXPECT_EQ(rig.shell.balloons.back(), "定时提醒耽搁太久，已放弃");
    }
    EXPECT_FALSE(rig.Kept());
  }
}

TEST(QuickTimer, ARestartKeepsItAndTheComputerOffOrAsleepAtItsTimeDropsIt) {
  TimerRig rig;
  rig.Start({});
  rig.clock.tickCount = 3 * kHour;
  rig.unit.SetQuickTimer(In(30));  // 08:29:55
  rig.unit.FormClose();

  // The program alone restarted, ten minutes later: the counter goes on.
  auto again = rig.Restarted(8, 9, 55, static_cast<std::uint32_t>(3 * kHour + 10 * kMinute));
  EXPECT_EQ(again->Tip(), "Velmaro-启用：定时 08:29 关机");
  again->view.RunFor(19 * kMinute + 50 * kSecond);
  EXPECT_FALSE(again->view.shown);
  again->view.RunFor(10 * kSecond);
  EXPECT_TRUE(again->view.shown);

  // The computer started anew before its time: timed by the clock from now.
  auto rebooted = rig.Restarted(8, 20, 0, static_cast<std::uint32_t>(2 * kMinute));
  rebooted->view.RunFor(10 * kMinute);
  EXPECT_TRUE(rebooted->view.shown);

  // Started after its time, the computer having been off: dropped, and said.
  auto late = rig.Restarted(8, 31, 0, static_cast<std::uint32_t>(2 * kMinute));
  late->view.RunFor(kHour);
  EXPECT_FALSE(late->view.shown);
  EXPECT_TRUE(late->power.calls.empty());
  EXPECT_FALSE(late->Kept());
  EXPECT_EQ(late->shell.balloons.back(), "定时关机未执行：定时的时间到时电脑没有开着");
  ASSERT_FALSE(late->RecordedLines().empty());
  EXPECT_NE(late->RecordedLines().back().find("定时\t关机\t未执行：定时的时间到时电脑没有开着"), std::string::npos);

  // Asleep at its time: not run on waking.
  TimerRig asleep;
  asleep.Start({});
  asleep.unit.SetQuickTimer(In(10));
  asleep.unit.Suspending();
  asleep.clock.Advance(kHour);
  asleep.unit.Resumed();
  asleep.view.RunFor(kHour);
  EXPECT_FALSE(asleep.view.shown);
  EXPECT_EQ(asleep.shell.balloons.back(), "电脑睡眠时定时关机的时间已过，未执行");
  EXPECT_FALSE(asleep.Kept());
}

TEST(QuickTimer, AKeptValueThisProgramDidNotWriteIsNoTimer) {
  for (const char* text : {"", "1|In|格式化硬盘|0|0|0|0|", "2|In|关闭计算机|1|1|1|1|", "1|In|关闭计算机|x|0|0|0|",
                           "1|In|关闭计算机|0|99999999999|0|0|", "1|Soon|关闭计算机|0|0|0|0|"}) {
    TimerRig rig;
    rig.registry.PutString(RegRoot::LocalMachine, kStorePath, kQuickTimerValue, text);
    rig.Start({});
    EXPECT_FALSE(rig.unit.QuickTimerSet()) << text;
    EXPECT_FALSE(rig.Kept()) << text;
    rig.view.RunFor(kHour);
    EXPECT_TRUE(rig.power.calls.empty()) << text;
  }
}

TEST(QuickTimer, TheWarningAheadComesForItAndItsWindowActsOnItOnce) {
  TimerRig rig;
  rig.Start({});
  rig.unit.SetQuickTimer(In(10));  // 08:09:55
  rig.view.RunFor(4 * kMinute + 30 * kSecond);  // 08:04:25: five minutes ahead
  ASSERT_FALSE(rig.shell.balloons.empty());
  EXPECT_EQ(rig.shell.balloons.back(), "5 分钟后将关闭计算机");
  rig.unit.BalloonClicked();
  rig.unit.WarningSkip();
  EXPECT_FALSE(rig.unit.QuickTimerSet());
  EXPECT_EQ(rig.Tip(), kTipEnabled);
  rig.view.RunFor(kHour);
  EXPECT_FALSE(rig.view.shown);
  EXPECT_NE(rig.RecordedLines().back().find("定时\t关机\t本次不执行"), std::string::npos);
}

TEST(QuickTimer, TheFirstStartWithNothingSetSaysWhereTheProgramIsOnce) {
  TimerRig rig;
  rig.Start({});
  ASSERT_EQ(rig.shell.balloons.size(), 1u);
  EXPECT_NE(rig.shell.balloons[0].find("定时…"), std::string::npos);
  auto again = rig.Restarted(9, 0, 0, static_cast<std::uint32_t>(kHour));
  EXPECT_TRUE(again->shell.balloons.empty()) << "once";

  TimerRig withTasks;
  withTasks.Start({{"每天9时0分", "提醒", "x"}});
  EXPECT_TRUE(withTasks.shell.balloons.empty()) << "a user with tasks knows the way";
}

}  // namespace
}  // namespace velmaro
