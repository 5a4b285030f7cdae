// How a countdown task ends, as the record tells it: a countdown that a
// later one replaced, one that a sleep interrupted (and only that one), and
// an action the system refused. 已执行 only for what the system carried out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"

namespace velmaro {
namespace {

// The record's lines without their time.
std::vector<std::string> Lines(const Rig& rig) {
  std::vector<std::string> lines;
  for (const std::string& line : rig.RecordedLines()) lines.push_back(line.substr(20));
  return lines;
}

TEST(CountdownOutcome, ASecondWakeNoticeLeavesACountdownStartedSinceTheFirstAlone) {
  Rig timed;  // a timed wake, then the user's first input
  timed.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  timed.unit.Suspending();
  timed.clock.Advance(20 * kSecond);
  timed.unit.Resumed();  // PBT_APMRESUMEAUTOMATIC at 08:00:15
  timed.view.RunFor(10 * kSecond);
  ASSERT_TRUE(timed.view.shown);
  timed.unit.Resumed();  // PBT_APMRESUMESUSPEND
  EXPECT_TRUE(timed.view.shown);
  timed.view.RunFor(kMinute);
  EXPECT_EQ(timed.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  EXPECT_TRUE(timed.shell.balloons.empty()) << "nothing slept";
  EXPECT_EQ(Lines(timed), std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t已执行"});

  Rig afterCountdown;  // the notice comes as a long countdown has just ended
  afterCountdown.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时5分", "重启计算机", ""}}, 60);
  afterCountdown.view.RunFor(30 * kSecond);
  afterCountdown.unit.Postpone(5);                   // back at 08:05:25
  afterCountdown.view.RunFor(5 * kMinute + 42 * kSecond);  // the restart ran out at 08:06:05
  ASSERT_EQ(afterCountdown.power.calls, std::vector<std::string>{"ExitWindowsEx(6, 0)"});
  afterCountdown.unit.Resumed();
  afterCountdown.view.RunFor(10 * kSecond);
  EXPECT_TRUE(afterCountdown.view.shown) << "the postponement was not taken for one slept through";

  Rig unnoticed;  // a sleep without a suspend notice stopped the count
  unnoticed.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  unnoticed.view.RunFor(20 * kSecond);
  ASSERT_TRUE(unnoticed.view.shown);
  unnoticed.clock.Advance(2 * kHour);
  unnoticed.unit.Resumed();
  EXPECT_FALSE(unnoticed.view.shown);
  unnoticed.view.RunFor(5 * kMinute);
  EXPECT_TRUE(unnoticed.power.calls.empty());
  EXPECT_EQ(unnoticed.shell.balloons, std::vector<std::string>{"电脑睡眠时关机倒计时已取消"});
  EXPECT_EQ(Lines(unnoticed), std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t电脑睡眠，未执行"});
}

TEST(CountdownOutcome, ACountdownReplacedByALaterOneSaysWhichTaskTookItsPlace) {
  Rig oneTick;  // two countdown tasks in one tick: the later slot takes the window
  oneTick.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时0分", "重启计算机", ""}}, 30);
  oneTick.view.RunFor(kMinute);
  EXPECT_EQ(oneTick.power.calls, std::vector<std::string>{"ExitWindowsEx(6, 0)"});
  EXPECT_EQ(Lines(oneTick), (std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t未执行：倒计时被任务 2 取代",
                                                      "任务 2\t每天8时0分\t重启计算机\t已执行"}));

  Rig afterDialog;  // a dialog closed under a countdown lets a later task take it over
  afterDialog.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时1分", "注销计算机", ""}}, 60);
  afterDialog.view.RunFor(50 * kSecond);  // 08:00:45
  ASSERT_TRUE(afterDialog.view.shown);
  afterDialog.OpenSettings().Close();
  afterDialog.view.RunFor(90 * kSecond);
  EXPECT_EQ(afterDialog.power.calls, std::vector<std::string>{"ExitWindowsEx(4, 0)"});
  EXPECT_EQ(Lines(afterDialog),
            (std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t未执行：倒计时被任务 2 取代",
                                      "任务 2\t每天8时1分\t注销计算机\t已执行"}));
}

TEST(CountdownOutcome, WhatTheSystemRefusedOrDidNotRunIsNotRecordedAsDone) {
  Rig refused;
  refused.power.refusal = "错误 1314：客户端没有所需的特权。";
  refused.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时10分", "重启计算机", ""}}, 30);
  refused.view.RunFor(kMinute);
  EXPECT_EQ(refused.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  refused.view.RunFor(5 * kMinute);  // 08:06:00, after the restart's first balloon
  refused.unit.BalloonClicked();
  refused.unit.WarningRunNow();
  EXPECT_EQ(Lines(refused),
            (std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t失败：错误 1314：客户端没有所需的特权。",
                                      "任务 2\t每天8时10分\t重启计算机\t失败：错误 1314：客户端没有所需的特权。"}));

  // A fast shutdown ends the system inside its call when it succeeds: the
  // record says it began before the call, and what came of it after.
  Rig fast;
  fast.Start({{"每天8时0分", "快速关机", ""}, {"每天8时1分", "快速重启", ""}}, 5);
  fast.view.RunFor(kMinute);
  fast.power.refusal = "错误 5：拒绝访问。";
  fast.view.RunFor(kMinute);
  EXPECT_EQ(fast.power.calls, (std::vector<std::string>{"NtShutdownSystem(2)", "NtShutdownSystem(1)"}));
  EXPECT_EQ(Lines(fast), (std::vector<std::string>{"任务 1\t每天8时0分\t快速关机\t开始执行",
                                                   "任务 1\t每天8时0分\t快速关机\t已执行",
                                                   "任务 2\t每天8时1分\t快速重启\t开始执行",
                                                   "任务 2\t每天8时1分\t快速重启\t失败：错误 5：拒绝访问。"}));

  // A hang-up that found no connection, or that the system refused, said
  // so in its window and was recorded as done.
  Rig noLine;
  noLine.Start({{"每天8时0分", "断开拨号", ""}}, 5);
  noLine.view.RunFor(20 * kSecond);
  EXPECT_EQ(noLine.reminders.shown, std::vector<std::string>{"没有可用的拨号连接"});
  EXPECT_EQ(Lines(noLine), std::vector<std::string>{"任务 1\t每天8时0分\t断开拨号\t未执行：没有可用的拨号连接"});
  Rig refusedHangUp;
  refusedHangUp.dialUp.active = {7};
  refusedHangUp.dialUp.hangUpError = 668;
  refusedHangUp.Start({{"每天8时0分", "断开拨号", ""}}, 5);
  refusedHangUp.view.RunFor(20 * kSecond);
  EXPECT_EQ(Lines(refusedHangUp), std::vector<std::string>{"任务 1\t每天8时0分\t断开拨号\t失败：断开失败，错误 668"});

  Rig busy;  // a cleanup that cannot start beside the one still running
  busy.processes.stillRunning = true;
  busy.Start({{"每天8时0分", "清理系统垃圾", ""}}, 30);
  busy.view.RunFor(10 * kSecond);
  ASSERT_FALSE(Lines(busy).empty());
  EXPECT_EQ(Lines(busy)[0], "任务 1\t每天8时0分\t清理系统垃圾\t未执行：上一次清理还在运行");

  Rig open;  // a file that will not open
  open.shell.executeResult = 2;
  open.Start({{"每天8时0分", "打开文件", "C:\\gone.txt"}}, 30);
  open.view.RunFor(10 * kSecond);
  ASSERT_EQ(Lines(open).size(), 1u);
  EXPECT_EQ(Lines(open)[0].rfind("任务 1\t每天8时0分\t打开文件\t失败：", 0), 0u) << Lines(open)[0];
}

}  // namespace
}  // namespace velmaro
