// Postponing a countdown from its window: the same task counted down again
// once, at the minute chosen, whatever holds the tick meanwhile, and dropped
// by what says the user wants nothing to run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"

namespace velmaro {
namespace {

// The outcome column of the record's lines.
std::vector<std::string> Outcomes(const Rig& rig) {
  std::vector<std::string> outcomes;
  for (const std::string& line : rig.RecordedLines()) outcomes.push_back(line.substr(line.rfind('\t') + 1));
  return outcomes;
}

// Shows the countdown of "每天8时0分" at 08:00:05 and postpones it at 08:00:25.
void PostponeAtEight(Rig& rig, std::int32_t minutes) {
  rig.view.RunFor(30 * kSecond);
  ASSERT_TRUE(rig.view.shown);
  rig.view.postponeChoice = minutes;
  rig.unit.BitBtn3Click();
  ASSERT_FALSE(rig.view.shown);
}

TEST(Postpone, TheSameTaskIsCountedDownOnceMoreAtTheChosenMinute) {
  Rig rig;
  rig.clock.tickCount = 0xFFFF0000u;  // the counter wraps 65 s after start
  rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时5分", "提醒", "meanwhile"}}, 60);
  PostponeAtEight(rig, 10);
  EXPECT_TRUE(rig.power.calls.empty());
  EXPECT_EQ(rig.Tip(), "Velmaro-启用：08:10 关机");
  EXPECT_TRUE(rig.view.menuEnabled[MenuItem::N21]);
  EXPECT_TRUE(rig.view.n1Checked) << "monitoring stays on";

  rig.view.RunFor(9 * kMinute + 50 * kSecond);  // 08:10:15
  EXPECT_FALSE(rig.view.shown);
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"meanwhile"}) << "the other tasks run as before";
  rig.view.RunFor(20 * kSecond);
  ASSERT_TRUE(rig.view.shown);
  EXPECT_EQ(rig.view.texts[CountdownText::BitBtn1], "立即关机");
  EXPECT_EQ(rig.Tip(), kTipEnabled);
  EXPECT_FALSE(rig.view.menuEnabled[MenuItem::N21]);
  rig.view.RunFor(61 * kSecond);
  EXPECT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  rig.view.RunFor(2 * kHour);
  EXPECT_EQ(rig.power.calls.size(), 1u) << "postponed once, run once";
  EXPECT_EQ(Outcomes(rig), (std::vector<std::string>{"推迟 10 分钟", "已执行", "已执行"}));
}

TEST(Postpone, ItWaitsOutADialogAndAPauseAndComesWhenTheyEnd) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时5分", "提醒", "pause"}}, 60);
  PostponeAtEight(rig, 5);  // due 08:05:25, in the pause after the reminder of 08:05:05
  rig.view.RunFor(5 * kMinute + 30 * kSecond);
  EXPECT_FALSE(rig.view.shown);
  rig.view.RunFor(45 * kSecond);  // the pause ends at 08:06:05
  EXPECT_TRUE(rig.view.shown);
  rig.unit.BitBtn1Click();
  EXPECT_EQ(rig.power.calls.size(), 1u);

  Rig dialog;
  dialog.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(dialog, 5);  // due 08:05:25
  SettingsDialog& settings = dialog.OpenSettings();
  dialog.view.RunFor(14 * kMinute);  // 08:14:25, nine minutes past its time
  EXPECT_FALSE(dialog.view.shown);
  EXPECT_EQ(dialog.unit.Postponed(), 1u);
  settings.Close();
  dialog.view.RunFor(10 * kSecond);
  EXPECT_TRUE(dialog.view.shown);
}

TEST(Postpone, HeldBackLongerThanATickCatchesUpItIsDroppedAndSaysSo) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(rig, 5);  // due 08:05:25
  SettingsDialog& settings = rig.OpenSettings();
  rig.view.RunFor(3 * kHour);  // a dialog left open until 11:00
  settings.Close();
  rig.view.RunFor(kHour);
  EXPECT_FALSE(rig.view.shown);
  EXPECT_TRUE(rig.power.calls.empty());
  EXPECT_EQ(rig.unit.Postponed(), 0u);
  EXPECT_EQ(rig.Tip(), kTipEnabled);
  ASSERT_FALSE(rig.shell.balloons.empty());
  EXPECT_EQ(rig.shell.balloons.back(), "推迟的关机耽搁太久，已放弃");
  EXPECT_EQ(Outcomes(rig), (std::vector<std::string>{"推迟 5 分钟", "未执行：推迟后被耽搁超过 10 分钟"}));
}

TEST(Postpone, TheMenuItemCancelAndMonitoringOffDropIt) {
  Rig item;
  item.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(item, 5);
  item.unit.MenuCommand(MenuItem::N21);
  EXPECT_EQ(item.Tip(), kTipEnabled);
  EXPECT_FALSE(item.view.menuEnabled[MenuItem::N21]);
  item.view.RunFor(30 * kMinute);
  EXPECT_FALSE(item.view.shown);
  EXPECT_TRUE(item.view.n1Checked);

  // Cancelling another task's countdown turns monitoring off, and with it what was postponed.
  Rig cancel;
  cancel.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时2分", "重启计算机", ""}}, 60);
  PostponeAtEight(cancel, 5);
  cancel.view.RunFor(2 * kMinute);
  ASSERT_TRUE(cancel.view.shown);
  cancel.unit.BitBtn2Click();
  cancel.unit.N1Click();
  cancel.view.RunFor(30 * kMinute);
  EXPECT_FALSE(cancel.view.shown);
  EXPECT_TRUE(cancel.power.calls.empty());

  Rig off;
  off.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(off, 5);
  off.unit.N1Click();
  EXPECT_TRUE(off.ShowsMonitoringOff());
  off.unit.N1Click();
  off.view.RunFor(30 * kMinute);
  EXPECT_FALSE(off.view.shown);
}

TEST(Postpone, ATaskDeletedOrEditedMeanwhileDropsItsPostponement) {
  struct Case {
    const char* what;
    void (*change)(SettingsDialog&, Rig&);
    bool runs;
    const char* last;  // the record's last outcome
  };
  const Case cases[] = {
      {"deleted", [](SettingsDialog& d, Rig&) { d.selected = 0, d.Button6Click(); }, false,
       "未执行：推迟期间任务已删除或修改"},
      {"action edited", [](SettingsDialog&, Rig& r) { r.stored.PutString("B1", "重启计算机"); }, false,
       "未执行：推迟期间任务已删除或修改"},
      {"trigger edited", [](SettingsDialog&, Rig& r) { r.stored.PutString("A1", "每天9时0分"); }, false,
       "未执行：推迟期间任务已删除或修改"},
      {"argument edited", [](SettingsDialog&, Rig& r) { r.stored.PutString("C1", "x"); }, false,
       "未执行：推迟期间任务已删除或修改"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Rig rig;
    rig.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
    PostponeAtEight(rig, 5);
    rig.view.RunFor(2 * kMinute);  // past 08:00, so the edited task, new, is not due
    SettingsDialog& settings = rig.OpenSettings();
    c.change(settings, rig);
    settings.Close();
    rig.view.RunFor(4 * kMinute + 61 * kSecond);
    EXPECT_EQ(rig.power.calls.size(), c.runs ? 1u : 0u);
    EXPECT_EQ(rig.unit.Postponed(), 0u);
    ASSERT_EQ(Outcomes(rig).size(), 2u);
    EXPECT_EQ(Outcomes(rig)[1], c.last);
  }

  Rig moved;  // a deletion below it moves it down: the record names its slot now
  moved.Start({{"每天7时0分", "提醒", "gone"}, {"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(moved, 5);
  SettingsDialog& settings = moved.OpenSettings();
  settings.selected = 0;
  settings.Button6Click();
  settings.Close();
  moved.view.RunFor(6 * kMinute + 61 * kSecond);
  EXPECT_EQ(moved.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  EXPECT_EQ(moved.RecordedLines().back().substr(20), "任务 1\t每天8时0分\t关闭计算机\t已执行");
}

// Of two identical tasks the second was postponed: it comes back as the
// second, in its own slot, and the first's run does not stand in for it.
TEST(Postpone, TheSecondOfTwoIdenticalTasksComesBackAsItself) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}, {"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(rig, 5);  // the second took the window over from the first
  rig.view.RunFor(6 * kMinute + 5 * kSecond);
  ASSERT_EQ(rig.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});
  EXPECT_EQ(rig.RecordedLines().back().substr(20), "任务 2\t每天8时0分\t关闭计算机\t已执行");
}

TEST(Postpone, AnIdleTasksPostponementComesBackOnlyIfTheUserIsIdleAgain) {
  Rig typing;
  typing.Start({{"空闲1分钟", "关闭计算机", ""}}, 60);
  typing.view.RunFor(70 * kSecond);  // idle since the start: due at 08:01:05
  ASSERT_TRUE(typing.view.shown);
  typing.clock.Input();  // the click on 推迟
  typing.view.postponeChoice = 5;
  typing.unit.BitBtn3Click();
  for (int i = 0; i < 20; ++i) {  // typing for five minutes
    typing.view.RunFor(15 * kSecond);
    typing.clock.Input();
  }
  typing.view.RunFor(30 * kSecond);
  EXPECT_FALSE(typing.view.shown) << "no countdown while the user types";
  EXPECT_EQ(Outcomes(typing), (std::vector<std::string>{"推迟 5 分钟", "未执行：推迟期间用户没有空闲"}));
  typing.view.RunFor(50 * kSecond);  // idle for a minute now: the idle rule fires anew
  EXPECT_TRUE(typing.view.shown);
  typing.view.RunFor(70 * kSecond);
  EXPECT_EQ(typing.power.calls, std::vector<std::string>{"ExitWindowsEx(12, 0)"});

  Rig away;  // the user left after the click: it comes back once, at its time
  away.Start({{"空闲1分钟", "关闭计算机", ""}}, 20);
  away.view.RunFor(70 * kSecond);
  ASSERT_TRUE(away.view.shown);
  away.clock.Input();
  away.view.postponeChoice = 5;
  away.unit.BitBtn3Click();
  away.view.RunFor(20 * kMinute);
  EXPECT_EQ(away.power.calls.size(), 1u) << "the idle rule fired anew and took its postponement's place";
}

TEST(Postpone, TheCountWaitsWhileTheMenuIsOpen) {
  Rig left;  // the menu left without a choice: the count goes on from where it stood
  left.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  left.view.RunFor(30 * kSecond);
  left.view.whileChoosing = [&] { left.view.RunFor(5 * kMinute); };
  left.unit.BitBtn3Click();
  EXPECT_TRUE(left.view.shown);
  EXPECT_TRUE(left.power.calls.empty()) << "nothing ran under the open menu";
  EXPECT_EQ(left.view.label2History.back(), "40 秒");
  left.view.RunFor(40 * kSecond);
  EXPECT_EQ(left.power.calls.size(), 1u);

  Rig slept;  // the computer went to sleep under the menu: nothing is left to postpone
  slept.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  slept.view.RunFor(30 * kSecond);
  slept.view.postponeChoice = 5;
  slept.view.whileChoosing = [&] { slept.unit.Suspending(); };
  slept.unit.BitBtn3Click();
  EXPECT_EQ(slept.unit.Postponed(), 0u);
}

TEST(Postpone, ItsTimePassingInSleepIsNotDoneOnWaking) {
  Rig rig;
  rig.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(rig, 5);
  rig.unit.Suspending();
  rig.clock.Advance(kHour);
  rig.unit.Resumed();
  rig.view.RunFor(30 * kMinute);
  EXPECT_FALSE(rig.view.shown);
  EXPECT_EQ(rig.shell.balloons, std::vector<std::string>{"电脑睡眠时关机倒计时已取消"});
  EXPECT_EQ(Outcomes(rig), (std::vector<std::string>{"推迟 5 分钟", "电脑睡眠，未执行"}));
  EXPECT_EQ(rig.Tip(), kTipEnabled);

  Rig nap;  // a sleep shorter than the postponement leaves it as it was
  nap.Start({{"每天8时0分", "关闭计算机", ""}}, 60);
  PostponeAtEight(nap, 30);
  nap.unit.Suspending();
  nap.clock.Advance(10 * kMinute);
  nap.unit.Resumed();
  nap.view.RunFor(19 * kMinute);
  EXPECT_FALSE(nap.view.shown);
  nap.view.RunFor(kMinute);
  EXPECT_TRUE(nap.view.shown);
}

TEST(Postpone, TheRecordMenuItemOpensTheRecordOrSaysThereIsNone) {
  Rig rig;
  rig.Start({}, 60);
  rig.unit.MenuCommand(MenuItem::N22);
  EXPECT_TRUE(rig.shell.executed.empty());
  ASSERT_EQ(rig.shell.boxes.size(), 1u);
  EXPECT_EQ(rig.shell.boxes[0].text, "还没有运行记录。");
  rig.records.files["C:\\ProgramData\\Velmaro\\运行记录.log"] = "x\r\n";
  rig.unit.MenuCommand(MenuItem::N22);
  ASSERT_EQ(rig.shell.executed.size(), 1u);
  EXPECT_EQ(rig.shell.executed[0].file, "C:\\ProgramData\\Velmaro\\运行记录.log");
  EXPECT_TRUE(rig.shell.executed[0].asUser) << "opened as the signed-in user";
}

}  // namespace
}  // namespace velmaro
