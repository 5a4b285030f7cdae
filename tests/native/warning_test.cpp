// Warnings ahead of countdown tasks: a balloon the chosen minutes and one
// minute before the task's minute, once each, and the choices its window
// offers: run now, postpone, or skip this occurrence only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"

namespace velmaro {
namespace {

const std::vector<std::string> kFiveThenOne = {"5 分钟后将关闭计算机", "1 分钟后将关闭计算机"};

TEST(Warning, FiveMinutesAndOneMinuteBeforeACountdownTaskOnceEach) {
  Rig rig;
  rig.Start({{"每天8时10分", "关闭计算机", ""}, {"每天8时10分", "提醒", "no balloon for me"}}, 60);
  rig.view.RunFor(4 * kMinute + 30 * kSecond);  // 08:04:25
  EXPECT_TRUE(rig.shell.balloons.empty());
  rig.view.RunFor(kMinute);
  EXPECT_EQ(rig.shell.balloons, std::vector<std::string>{kFiveThenOne[0]});
  rig.view.RunFor(4 * kMinute);  // 08:09:25
  EXPECT_EQ(rig.shell.balloons, kFiveThenOne);
  rig.view.RunFor(kMinute);
  EXPECT_TRUE(rig.view.shown) << "the task runs as before";
  EXPECT_EQ(rig.shell.balloons, kFiveThenOne);

  Rig boot;  // minutes after start count as the clock's do
  boot.Start({{"开机0时10分", "重启计算机", ""}}, 60);
  boot.view.RunFor(6 * kMinute);
  EXPECT_EQ(boot.shell.balloons, std::vector<std::string>{"5 分钟后将重启计算机"});
}

TEST(Warning, NoneForIdleOrConditionTasksWithMonitoringOffOrForATaskDeletedMeanwhile) {
  Rig idle;  // nor for the condition kinds, whose minute is not known ahead either
  idle.Start({{"空闲10分钟", "关闭计算机", ""}, {"处理器空闲10分钟10%", "关闭计算机", ""}}, 60);
  idle.view.RunFor(9 * kMinute);
  EXPECT_TRUE(idle.shell.balloons.empty());

  Rig off;
  off.Start({{"每天8时10分", "关闭计算机", ""}}, 60);
  off.unit.N1Click();
  off.view.RunFor(15 * kMinute);
  EXPECT_TRUE(off.shell.balloons.empty());

  Rig deleted;
  deleted.Start({{"每天8时10分", "关闭计算机", ""}}, 60);
  deleted.view.RunFor(6 * kMinute);
  ASSERT_EQ(deleted.shell.balloons.size(), 1u);
  SettingsDialog& settings = deleted.OpenSettings();
  settings.selected = 0;
  settings.Button6Click();
  settings.Close();
  deleted.view.RunFor(6 * kMinute);
  EXPECT_EQ(deleted.shell.balloons.size(), 1u);
  EXPECT_FALSE(deleted.view.shown);
}

TEST(Warning, TheStoredLeadChoosesTheFirstBalloon) {
  struct Case {
    std::int64_t stored;  // -1: no value
    std::vector<std::string> balloons;
  };
  const Case cases[] = {
      {-1, kFiveThenOne},
      {0, {}},
      {1, {"1 分钟后将关闭计算机"}},
      {15, {"15 分钟后将关闭计算机", "1 分钟后将关闭计算机"}},
      {999, kFiveThenOne},  // out of range: as if there were none
  };
  for (const Case& c : cases) {
    Rig rig;
    rig.Arrange({{"每天8时20分", "关闭计算机", ""}}, 60);
    if (c.stored >= 0) rig.stored.PutDword(kTiqianValue, static_cast<std::uint32_t>(c.stored));
    rig.Launch();
    rig.view.RunFor(20 * kMinute);
    EXPECT_EQ(rig.shell.balloons, c.balloons) << c.stored;
    if (c.stored < 0) {
      EXPECT_THROW(rig.stored.Dword(kTiqianValue), std::exception) << "no value is written";
    }
  }

  Rig dialog;  // the settings dialog shows and saves it
  dialog.Start({}, 60);
  SettingsDialog& settings = dialog.OpenSettings();
  EXPECT_EQ(settings.ComboBox1, 5);
  settings.ComboBox1 = 15;
  settings.Button1Click();
  EXPECT_EQ(dialog.stored.Dword(kTiqianValue), 15u);
  EXPECT_EQ(dialog.unit.settings.Tiqian, 15);
}

// Starts a shut-down task due at 08:10 and clicks its first balloon.
void ClickTheFirstBalloon(Rig& rig) {
  rig.Start({{"每天8时10分", "关闭计算机", ""}}, 60);
  rig.view.RunFor(5 * kMinute + 30 * kSecond);  // 08:05:25
  ASSERT_EQ(rig.shell.balloons.size(), 1u);
  rig.unit.BalloonClicked();
  ASSERT_EQ(rig.view.warnings, std::vector<std::string>{"5 分钟后将关闭计算机"});
}

TEST(Warning, ItsWindowRunsNowPostponesOrSkipsThisOccurrenceOnly) {
  Rig now;
  ClickTheFirstBalloon(now);
  now.unit.WarningRunNow();
  EXPECT_EQ(now.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  now.view.RunFor(10 * kMinute);
  EXPECT_FALSE(now.view.shown);
  EXPECT_EQ(now.power.calls.size(), 1u) << "not again at its minute";
  EXPECT_EQ(now.shell.balloons.size(), 1u) << "nor warned of again";

  Rig later;
  ClickTheFirstBalloon(later);
  later.unit.WarningPostpone(10);
  EXPECT_EQ(later.Tip(), "Velmaro-启用：08:20 关机") << "ten minutes after its minute";
  later.view.RunFor(14 * kMinute + 30 * kSecond);  // 08:19:55: from its minute, not from the click
  EXPECT_FALSE(later.view.shown);
  later.view.RunFor(15 * kSecond);
  EXPECT_TRUE(later.view.shown);

  Rig skip;
  ClickTheFirstBalloon(skip);
  skip.unit.WarningSkip();
  skip.view.RunFor(10 * kMinute);
  EXPECT_FALSE(skip.view.shown);
  skip.view.RunFor(24 * kHour);
  EXPECT_EQ(skip.power.calls.size(), 1u) << "the next day's occurrence runs";
  const std::vector<std::string> lines = skip.RecordedLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].substr(20), "任务 1\t每天8时10分\t关闭计算机\t本次不执行");

  Rig deleted;  // a task deleted since its balloon is not run from its window
  ClickTheFirstBalloon(deleted);
  SettingsDialog& settings = deleted.OpenSettings();
  settings.selected = 0;
  settings.Button6Click();
  settings.Close();
  deleted.unit.WarningRunNow();
  EXPECT_TRUE(deleted.power.calls.empty());
  EXPECT_TRUE(deleted.RecordedLines().empty());

  Rig passed;  // a click after the task's minute opens nothing
  passed.Start({{"每天8时10分", "关闭计算机", ""}}, 5);
  passed.view.RunFor(11 * kMinute);
  ASSERT_EQ(passed.power.calls.size(), 1u);
  passed.unit.BalloonClicked();
  EXPECT_TRUE(passed.view.warnings.empty());
  passed.unit.WarningRunNow();
  EXPECT_EQ(passed.power.calls.size(), 1u);
}

// The warning of 08:10 was open, the computer slept from 08:05 to 09:05, and
// 推迟 10 then shut it down at 09:15.
TEST(Warning, AWindowThatOutlivedItsMinuteActsNoMoreAndSaysSo) {
  Rig rig;
  ClickTheFirstBalloon(rig);
  rig.unit.Suspending();
  rig.clock.Advance(kHour);  // 09:05:25
  rig.unit.Resumed();
  rig.view.RunFor(kSecond);
  EXPECT_EQ(rig.view.expiredWarnings, std::vector<std::string>{"关闭计算机的时间已过"});
  rig.unit.WarningPostpone(10);  // a click that came anyway
  rig.unit.WarningRunNow();
  rig.view.RunFor(20 * kMinute);
  EXPECT_TRUE(rig.power.calls.empty());
  EXPECT_FALSE(rig.view.shown);
  EXPECT_EQ(rig.unit.Postponed(), 0u);
  EXPECT_TRUE(rig.RecordedLines().empty());

  Rig ran;  // its minute came with the program running: the tick ran it, and the window goes
  ClickTheFirstBalloon(ran);
  ran.view.RunFor(5 * kMinute);
  EXPECT_EQ(ran.view.expiredWarnings, std::vector<std::string>{"关闭计算机的时间已过"});
}

TEST(Warning, TheWindowActsOnTheTaskItWasOpenedForWhateverBalloonCameLater) {
  // 08:10 shut down and 08:12 restart: the window opened from the first
  // balloon keeps to the shut-down after the restart's balloon at 08:07.
  auto openThenLaterBalloon = [](Rig& rig) {
    rig.Start({{"每天8时10分", "关闭计算机", ""}, {"每天8时12分", "重启计算机", ""}}, 30);
    rig.view.RunFor(5 * kMinute + 30 * kSecond);  // 08:05:25
    rig.unit.BalloonClicked();
    rig.view.RunFor(2 * kMinute);  // 08:07:25
    ASSERT_EQ(rig.shell.balloons,
              (std::vector<std::string>{"5 分钟后将关闭计算机", "5 分钟后将重启计算机"}));
    ASSERT_EQ(rig.view.warnings, std::vector<std::string>{"5 分钟后将关闭计算机"});
  };
  Rig now;
  openThenLaterBalloon(now);
  now.unit.WarningRunNow();
  EXPECT_EQ(now.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  EXPECT_EQ(now.RecordedLines().back().substr(20), "任务 1\t每天8时10分\t关闭计算机\t已执行");

  Rig skip;
  openThenLaterBalloon(skip);
  skip.unit.WarningSkip();
  skip.view.RunFor(3 * kMinute);  // 08:10:25
  EXPECT_FALSE(skip.view.shown) << "the shut-down is skipped";
  skip.view.RunFor(2 * kMinute);  // 08:12:25
  ASSERT_TRUE(skip.view.shown) << "the restart goes on";
  EXPECT_EQ(skip.view.texts[CountdownText::BitBtn1], "立即重启");
  skip.view.RunFor(kMinute);
  EXPECT_EQ(skip.power.calls, std::vector<std::string>{"ExitWindowsEx(6, 0)"});

  Rig later;
  openThenLaterBalloon(later);
  later.unit.WarningPostpone(5);
  EXPECT_EQ(later.Tip(), "Velmaro-启用：08:15 关机");
}

TEST(Warning, APostponementKeepsItsTimeAcrossAClockChangeAndTheTipFollowsTheClock) {
  Rig rig;
  rig.Start({{"每天8时10分", "关闭计算机", ""}}, 30);
  rig.view.RunFor(5 * kMinute + 30 * kSecond);  // 08:05:25
  rig.unit.BalloonClicked();
  rig.unit.WarningPostpone(30);  // 08:40, 34 min 35 s from now
  EXPECT_EQ(rig.Tip(), "Velmaro-启用：08:40 关机");
  rig.clock.SetLocalTime(2026, 12, 7, 7, 5, 25);  // daylight saving ends: an hour back
  rig.unit.TimeChanged();
  EXPECT_EQ(rig.Tip(), "Velmaro-启用：07:40 关机");
  rig.view.RunFor(34 * kMinute + 30 * kSecond);  // 07:39:55
  EXPECT_FALSE(rig.view.shown);
  rig.view.RunFor(15 * kSecond);
  EXPECT_TRUE(rig.view.shown) << "when the tip said";
}

TEST(Warning, RunNowDoesWhatTheCountdownsExecuteNowDoes) {
  WindowFacts editor;
  editor.handle = 0x500;
  editor.visible = true;
  editor.processId = 9;
  editor.titleLength = 5;
  Rig rig;
  rig.processes.windows = {editor};
  rig.Start({{"每天8时10分", "待机计算机", ""}}, 60, "", 1);
  rig.view.RunFor(5 * kMinute + 30 * kSecond);
  rig.unit.BalloonClicked();
  rig.unit.WarningRunNow();
  EXPECT_EQ(rig.processes.closed, std::vector<WindowHandle>{0x500}) << "programs asked to close before stand-by";
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"SetSystemPowerState(-1, -1)"});
}

}  // namespace
}  // namespace velmaro
