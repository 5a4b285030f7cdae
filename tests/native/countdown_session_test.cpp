// One countdown on its own: the task it shows runs once, when the count runs
// out or the user runs it at once, and every other end (a later countdown
// taking the window over, cancel, postpone, sleep) runs nothing and says so.
#include "app/countdown_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/due_task.h"
#include "tests/fakes/session_rig.h"

namespace velmaro {
namespace {

const DueTask kShutdown = Due(1, "每天8时0分", "关闭计算机");
const DueTask kRestart = Due(2, "每天8时0分", "重启计算机");

TEST(CountdownSession, ItsTaskRunsOnceWhenTheCountRunsOutOrTheUserRunsItAtOnce) {
  SessionRig rig;
  rig.countdown.Start(kShutdown, *FindAction(kShutdown.action));
  EXPECT_TRUE(rig.view.shown);
  EXPECT_EQ(rig.view.texts[CountdownText::Caption], "Windows 正在准备关机...");
  EXPECT_FALSE(rig.evaluation.Runs()) << "the countdown holds the evaluation";
  rig.Seconds(2);
  EXPECT_TRUE(rig.power.calls.empty());
  rig.Seconds(1);
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  EXPECT_FALSE(rig.view.shown);
  EXPECT_TRUE(rig.evaluation.Runs());
  rig.countdown.ExecuteNow();  // a click queued behind the end of the count
  rig.Seconds(5);
  EXPECT_EQ(rig.power.calls.size(), 1u);
  EXPECT_EQ(rig.Lines(), std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t已执行"});

  SessionRig now;  // execute-now; a later countdown task took the window over first
  now.countdown.Start(kShutdown, *FindAction(kShutdown.action));
  now.Seconds(1);
  now.countdown.Start(kRestart, *FindAction(kRestart.action));
  EXPECT_EQ(now.view.texts[CountdownText::Caption], "Windows 正在准备重启...");
  now.countdown.ExecuteNow();
  EXPECT_EQ(now.power.calls, std::vector<std::string>{"ExitWindowsEx(6, 0)"});
  EXPECT_EQ(now.Lines(), (std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t未执行：倒计时被任务 2 取代",
                                                   "任务 2\t每天8时0分\t重启计算机\t已执行"}));
}

TEST(CountdownSession, CancelPostponeAndSleepRunNothingAndSaySo) {
  SessionRig cancel;
  cancel.countdown.Start(kShutdown, *FindAction(kShutdown.action));
  EXPECT_TRUE(cancel.countdown.Cancel());
  EXPECT_FALSE(cancel.countdown.Cancel()) << "nothing shows any more";
  cancel.Seconds(5);
  EXPECT_TRUE(cancel.power.calls.empty());
  EXPECT_EQ(cancel.Lines(), std::vector<std::string>{"任务 1\t每天8时0分\t关闭计算机\t已取消"});

  SessionRig later;  // postponed, then the task comes due anew: the postponement gives way
  later.countdown.Start(kShutdown, *FindAction(kShutdown.action));
  EXPECT_TRUE(later.countdown.Postpone(10));
  EXPECT_TRUE(later.evaluation.Runs());
  ASSERT_EQ(later.postponements.Size(), 1u);
  EXPECT_EQ(later.postponements.Next(later.clock.tickCount)->delayMs, 10u * 60000);
  DueTask twin = kShutdown;  // an identical task of its own
  twin.duplicate = 1;
  later.countdown.Start(twin, *FindAction(twin.action));
  EXPECT_EQ(later.postponements.Size(), 1u) << "another task's postponement stays";
  later.countdown.Start(kShutdown, *FindAction(kShutdown.action));
  EXPECT_TRUE(later.postponements.Empty());
  ASSERT_EQ(later.Lines().size(), 3u);
  EXPECT_EQ(later.Lines()[1], "任务 1\t每天8时0分\t关闭计算机\t未执行：同一任务又到时间，推迟的一次作废");
  EXPECT_EQ(later.Lines()[2], "任务 1\t每天8时0分\t关闭计算机\t未执行：倒计时被任务 1 取代");

  SessionRig asleep;  // a sleep ends the countdown, and slept through a postponement
  asleep.countdown.PostponeAhead(kRestart, "重启", 0, 5);
  asleep.countdown.Start(kShutdown, *FindAction(kShutdown.action));
  asleep.countdown.EndOnSuspend();
  EXPECT_FALSE(asleep.view.shown);
  asleep.clock.Advance(60 * 60000);
  EXPECT_EQ(asleep.countdown.Woke(asleep.clock.tickCount), "重启");
  EXPECT_EQ(asleep.countdown.Woke(asleep.clock.tickCount), std::nullopt) << "reported once";
  asleep.Seconds(5);
  EXPECT_TRUE(asleep.power.calls.empty());
  EXPECT_EQ(asleep.Lines(), (std::vector<std::string>{"任务 2\t每天8时0分\t重启计算机\t推迟 5 分钟",
                                                      "任务 1\t每天8时0分\t关闭计算机\t电脑睡眠，未执行",
                                                      "任务 2\t每天8时0分\t重启计算机\t电脑睡眠，未执行"}));
}

}  // namespace
}  // namespace velmaro
