// Waking the computer for a task and catching up what it missed: the next
// wake time of each calendar kind, the options that follow their tasks, and
// the main window's logic on a store with such tasks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "scheduler/occurrences.h"
#include "scheduler/tick_window.h"
#include "store/task_options.h"
#include "tests/fakes/fake_wake.h"
#include "tests/fakes/scheduler_rig.h"

namespace velmaro {
namespace {

ClockSnapshot Local(int y, int mo, int d, int h, int mi) { return LocalMinuteAt(LocalMinuteOf({static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(mo), 0, static_cast<std::uint16_t>(d), static_cast<std::uint16_t>(h), static_cast<std::uint16_t>(mi), 0, 0})); }

// Central European time: an hour ahead of universal time in winter, two in
// summer; in 2026 summer time runs from 29 March to 25 October.
TEST(WakeTime, NextOccurrenceOfEachCalendarKindAsUniversalTime) {
  struct Case {
    const char* trigger;
    ClockSnapshot now;
    std::optional<UniversalTime> expected;  // the occurrence, not the wake a minute before it
    const char* why;
  };
  const Case cases[] = {
      {"每天8时0分", Local(2026, 12, 7, 7, 59), FakeWake::Utc(2026, 12, 7, 7, 0), "later today"},
      {"每天8时0分", Local(2026, 12, 7, 8, 0), FakeWake::Utc(2026, 12, 8, 7, 0), "its minute now: tomorrow"},
      {"每周7日9时30分", Local(2026, 12, 7, 12, 0), FakeWake::Utc(2026, 12, 13, 8, 30), "7 is Sunday"},
      {"每周8日9时30分", Local(2026, 12, 7, 12, 0), std::nullopt, "no eighth weekday"},
      {"每月31日6时0分", Local(2027, 1, 31, 10, 0), FakeWake::Utc(2027, 3, 31, 4, 0), "February and its 31st skipped; summer time"},
      {"每月29日6时0分", Local(2027, 1, 30, 10, 0), FakeWake::Utc(2027, 3, 29, 4, 0), "no 29 February in 2027"},
      {"每年2月29日6时0分", Local(2026, 3, 1, 0, 0), FakeWake::Utc(2028, 2, 29, 5, 0), "the next leap year"},
      {"每年2月29日6时0分", Local(2096, 3, 1, 0, 0), FakeWake::Utc(2104, 2, 29, 5, 0), "2100 is no leap year"},
      {"每年2月30日6时0分", Local(2026, 3, 1, 0, 0), std::nullopt, "never: the search ends"},
      {"一次2026-12-24日18时0分", Local(2026, 12, 7, 8, 0), FakeWake::Utc(2026, 12, 24, 17, 0), "once, ahead"},
      {"一次2026-12-1日18时0分", Local(2026, 12, 7, 8, 0), std::nullopt, "once, past"},
      {"每天25时0分", Local(2026, 12, 7, 8, 0), std::nullopt, "no hour 25"},
      {"每天2时30分", Local(2026, 3, 28, 12, 0), FakeWake::Utc(2026, 3, 30, 0, 30), "02:30 never shows on 29 March"},
      {"每天2时30分", Local(2026, 10, 25, 0, 0), FakeWake::Utc(2026, 10, 25, 0, 30), "shown twice: the first"},
      {"每天8时0分", Local(2026, 10, 24, 9, 0), FakeWake::Utc(2026, 10, 25, 7, 0), "summer time ends overnight"},
  };
  FakeClock clock;
  FakeWake wake(clock);
  const DateFormat format = ParseDateFormat("yyyy-M-d", "-");
  for (const Case& c : cases) {
    const std::vector<CalendarSchedule> schedules{*CalendarSchedule::Of(*ParseTrigger(c.trigger), format, c.now.wYear)};
    const std::optional<NextOccurrence> next =
        FindNextOccurrence(schedules, LocalMinuteOf(c.now), *wake.UniversalFromLocal(c.now), wake);
    ASSERT_EQ(next.has_value(), c.expected.has_value()) << c.why;
    if (next) {
      EXPECT_EQ(next->at, *c.expected) << c.why;
    }
  }
  // In the second showing of 02:00-03:00, after the first 02:30 went by:
  // the next is tomorrow's, not the one that already passed.
  const std::vector<CalendarSchedule> nightly{*CalendarSchedule::Of(*ParseTrigger("每天2时30分"), format, 2026)};
  const std::optional<NextOccurrence> again = FindNextOccurrence(
      nightly, LocalMinuteOf(Local(2026, 10, 25, 2, 15)), FakeWake::Utc(2026, 10, 25, 1, 15), wake);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->at, FakeWake::Utc(2026, 10, 26, 1, 30));
}

TEST(TaskOptions, StayWithTheirTasksWhenSlotsMove) {
  MemoryRegistry registry;
  StoreArranger stored(registry);
  const TaskSlot x{"每天8时0分", "提醒", "x"}, y{"每天9时0分", "打开文件", "y"}, z{"每月1日9时0分", "提醒", "z"};
  const auto arrange = [&](const std::vector<TaskSlot>& slots) {
    for (std::size_t i = 0; i < 6; ++i) {
      for (char letter : {'A', 'B', 'C'}) stored.Values().erase(SlotValueName(letter, static_cast<std::int32_t>(i + 1)));
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
      stored.PutSlot(static_cast<std::int32_t>(i + 1), slots[i].trigger, slots[i].action, slots[i].argument);
    }
    stored.PutTaskNum(static_cast<std::uint32_t>(slots.size()));
  };
  Settings settings;
  RegistryObject reg(registry);
  TaskStore store(reg, settings);
  arrange({x, y, x, z});
  settings.LastTaskNum = 4;
  TaskOptions options(registry);
  options.Load(store);
  options.Set(KeyOfSlot(store, 3), TaskOptionSet{true, true, 100});  // the second x
  options.Set(KeyOfSlot(store, 2), TaskOptionSet{false, true, 200});
  options.Set(KeyOfSlot(store, 4), TaskOptionSet{true, false, std::nullopt});
  EXPECT_EQ(KeyOfSlot(store, 3), (TaskKey{x.trigger, x.action, x.argument, 1}));

  // An older install deletes y, moving the slots above it down by their
  // three values; started again, the options are where their tasks went.
  arrange({x, x, z});
  settings.LastTaskNum = 3;
  TaskOptions reloaded(registry);
  reloaded.Load(store);
  EXPECT_TRUE(reloaded.Of(KeyOfSlot(store, 2)).wake);
  EXPECT_EQ(reloaded.Of(KeyOfSlot(store, 2)).lastRun, 100);
  EXPECT_FALSE(reloaded.Of(KeyOfSlot(store, 1)).catchUp);
  EXPECT_TRUE(reloaded.Of(KeyOfSlot(store, 3)).wake);
  // y's entry went with y, so a y stored again starts without options.
  EXPECT_EQ(registry.Key(RegRoot::LocalMachine, "Software\\Drennik\\Velmaro\\WakeAndCatchUp").size(), 2u);

  // This program deletes the first x: the second becomes the first of its
  // kind and takes its options to its new place.
  const TaskKey first = KeyOfSlot(store, 1);
  store.DeleteSlot(1);
  reloaded.Removed(first);
  EXPECT_TRUE(reloaded.Of(KeyOfSlot(store, 1)).wake);
  EXPECT_EQ(reloaded.Of(KeyOfSlot(store, 1)).lastRun, 100);
  // An x added below nothing, above it: the options stay on the older one.
  reloaded.Inserted(KeyOfNewTask(store, x), TaskOptionSet());
  EXPECT_EQ(reloaded.Of(TaskKey{x.trigger, x.action, x.argument, 1}).Empty(), true);
}

TEST(TaskOptions, NamesAndTextsReadBackAndNoTwoTasksShareAName) {
  // "\x81\x7C" is one character whose second byte is "|": it stays whole,
  // or the name would not survive the registry's UTF-16.
  const TaskKey keys[] = {{"a|b", "c", "", 0},   {"a", "b|c", "", 0},         {"a", "b", "|c", 0},
                          {"a%7Cb", "c", "", 0}, {"每天8时0分", "提醒", "", 12}, {"\x81\x7C", "c", "\x81\x7C", 0}};
  EXPECT_EQ(OptionsValueName(keys[5]), "\x81\x7C|c|\x81\x7C|0");
  for (const TaskKey& key : keys) {
    EXPECT_EQ(TaskKeyOf(OptionsValueName(key)), key) << OptionsValueName(key);
    for (const TaskKey& other : keys) {
      if (!(other == key)) {
        EXPECT_NE(OptionsValueName(other), OptionsValueName(key));
      }
    }
  }
  const std::int64_t minute = LocalMinuteOf(Local(2026, 12, 1, 9, 0));
  EXPECT_EQ(OptionsText(TaskOptionSet{true, true, minute}), "WC 2026-12-01 09:00");
  EXPECT_EQ(ReadOptionsText("WC 2026-12-01 09:00")->lastRun, minute);
  for (const char* junk : {"", "X", "W 2026-12-01 09:00", "C 2026-02-30 09:00", "C 2026-12-01 9:00", "CW"}) {
    EXPECT_FALSE(ReadOptionsText(junk)) << junk;
  }
}

// ---------------------------------------------------------------------------
// The main window's logic. Start() starts the program at 07:59:55 on Monday
// 7 December 2026, Central European winter time.

const char kOptionsPath[] = "Software\\Drennik\\Velmaro\\WakeAndCatchUp";

struct WakeRig : Rig {
  void PutOptions(const TaskKey& key, const std::string& text) {
    registry.PutString(RegRoot::LocalMachine, kOptionsPath, OptionsValueName(key), text);
  }
  std::string OptionsOf(const TaskKey& key) {
    auto& values = registry.Key(RegRoot::LocalMachine, kOptionsPath);
    auto found = values.find(OptionsValueName(key));
    return found == values.end() ? "(none)" : found->second.data;
  }
  // The reminders a program started anew on this store at a local time
  // shows in its first `ms`.
  std::vector<std::string> RemindersAfterRestartAt(int y, int mo, int d, int h, int mi, int s, std::uint64_t ms) const {
    auto restarted = std::make_unique<WakeRig>();
    restarted->registry = registry;
    restarted->clock.SetLocalTime(y, mo, d, h, mi, s);
    restarted->unit.FormCreate();
    restarted->view.RunFor(ms);
    return restarted->reminders.shown;
  }
  int LinesWith(const std::string& text) const {
    int count = 0;
    for (const std::string& line : RecordedLines()) count += line.find(text) != std::string::npos;
    return count;
  }
};

const Task kMorningReminder{"每天9时0分", "提醒", "早会"};
const TaskKey kMorningKey{"每天9时0分", "提醒", "早会", 0};
const Task kNightlyTask{"每天3时0分", "打开文件", "a.cmd"};
const TaskKey kNightlyTaskKey{"每天3时0分", "打开文件", "a.cmd", 0};

// Two 09:00 reminders, only 早会 with wake and catch-up: an older install
// deleted 早会, and at the next start 喝水 was caught up and woken for, since
// the options named a task without its argument.
TEST(TaskOptions, AnotherTasksOptionsAreNotHandedOnAndTheOlderNamesMoveOnce) {
  WakeRig rig;
  const char* const kOlder = "Software\\Drennik\\Velmaro\\TaskOptions";
  rig.Arrange({{"每天9时0分", "提醒", "喝水"}});  // 早会 was slot 1, deleted by an older install
  rig.PutOptions(TaskKey{"每天9时0分", "提醒", "早会", 0}, "WC 2026-12-05 09:00");
  rig.Launch();
  rig.view.RunFor(2 * kMinute);
  EXPECT_TRUE(rig.reminders.shown.empty());
  EXPECT_FALSE(rig.wake.timer);
  EXPECT_TRUE(rig.registry.Key(RegRoot::LocalMachine, kOptionsPath).empty());

  // The first versions' names, without the argument, move once to the task
  // they named: the second 09:00 reminder is 喝水 here.
  WakeRig older;
  older.Arrange({kMorningReminder, {"每天9时0分", "提醒", "喝水"}, {"每天9时0分", "提醒", "喝水"}});
  older.registry.PutString(RegRoot::LocalMachine, kOlder, "每天9时0分|提醒|1", "C 2026-12-05 09:00");
  older.registry.PutString(RegRoot::LocalMachine, kOlder, "每天9时0分|提醒|2", "W");
  older.registry.PutString(RegRoot::LocalMachine, kOlder, "每天9时0分|提醒|3", "W");  // no fourth: dropped
  older.Launch();
  EXPECT_EQ(older.OptionsOf(TaskKey{"每天9时0分", "提醒", "喝水", 0}), "C 2026-12-06 09:00") << "and caught up";
  EXPECT_EQ(older.OptionsOf(TaskKey{"每天9时0分", "提醒", "喝水", 1}), "W");
  EXPECT_EQ(older.registry.Key(RegRoot::LocalMachine, kOptionsPath).size(), 2u);
  EXPECT_TRUE(older.registry.Key(RegRoot::LocalMachine, kOlder).empty());
  EXPECT_EQ(older.reminders.shown, std::vector<std::string>{"喝水"});
  EXPECT_EQ(older.wake.timer, FakeWake::Utc(2026, 12, 7, 7, 59));
}

// Tens of thousands of entries of tasks no longer stored stalled the start:
// each was dropped by searching the list and opening the key again.
TEST(TaskOptions, ManyEntriesOfGoneTasksAreDroppedInOnePass) {
  WakeRig rig;
  rig.Arrange({kMorningReminder});
  auto& values = rig.registry.Key(RegRoot::LocalMachine, kOptionsPath);
  for (int i = 0; i < 20000; ++i) {
    values[OptionsValueName(TaskKey{"每天9时0分", "提醒", "gone " + std::to_string(i), 0})] = RegValue(kRegSz, "W");
  }
  values[OptionsValueName(kMorningKey)] = RegValue(kRegSz, "W");
  const int opensBefore = rig.registry.opens;
  rig.Launch();
  EXPECT_EQ(rig.registry.Key(RegRoot::LocalMachine, kOptionsPath).size(), 1u);
  EXPECT_LE(rig.registry.opens - opensBefore, 20) << "the key opened a few times, not once per entry";
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 7, 7, 59));
}

TEST(CatchUp, AMissedOccurrenceRunsOnceAtStartHoweverManyWereMissed) {
  struct Case {
    const char* lastRun;
    int runs;
  } const cases[] = {{"C 2026-12-06 09:00", 0}, {"C 2026-12-05 09:00", 1}, {"C 2026-11-01 09:00", 1}};
  for (const Case& c : cases) {
    WakeRig rig;
    rig.Arrange({kMorningReminder});
    rig.PutOptions(kMorningKey, c.lastRun);
    rig.Launch();
    rig.view.RunFor(2 * kMinute);
    ASSERT_EQ(rig.reminders.shown.size(), static_cast<std::size_t>(c.runs)) << c.lastRun;
    EXPECT_EQ(rig.LinesWith("补做（错过 2026-12-06 09:00）"), c.runs) << c.lastRun;
    EXPECT_EQ(rig.OptionsOf(kMorningKey), "C 2026-12-06 09:00") << "the occurrence is recorded, not the time it ran";
    if (c.runs) {
      EXPECT_EQ(rig.shell.balloons.back(), "错过的任务已补做：提醒（2026-12-06 09:00）");
    }
  }
}

// At logon the taskbar is not there yet: "错过的任务已补做：…" and "无法唤醒
// 计算机…" went to an icon that was never added, and TaskbarCreated only put
// the icon back.
TEST(CatchUp, BalloonsWithNoTaskbarYetAreShownOnceTheIconIsThere) {
  WakeRig rig;
  rig.shell.taskbar = false;
  rig.wake.refuse = "不支持该请求。";
  rig.Arrange({kMorningReminder, kNightlyTask});
  rig.PutOptions(kMorningKey, "C 2026-12-05 09:00");
  rig.PutOptions(kNightlyTaskKey, "W");
  rig.Launch();
  ASSERT_EQ(rig.reminders.shown, std::vector<std::string>{"早会"});
  EXPECT_TRUE(rig.shell.balloons.empty());
  rig.shell.RestartTaskbar();
  rig.unit.TaskbarCreated();
  EXPECT_EQ(rig.shell.balloons, (std::vector<std::string>{"错过的任务已补做：提醒（2026-12-06 09:00）",
                                                          "无法唤醒计算机运行任务：不支持该请求。"}));
  EXPECT_EQ(rig.shell.notifications.back().op, NotifyOp::Add);

  // A taskbar that came without saying so gets the icon at the next tick;
  // of a stream of balloons meanwhile, the most recent few are shown.
  WakeRig quiet;
  quiet.shell.taskbar = false;
  quiet.Arrange({{"每天8时0分", "关闭计算机", ""}, {"每天8时1分", "关闭计算机", ""}, {"每天8时2分", "关闭计算机", ""},
                 {"每天8时3分", "关闭计算机", ""}});
  quiet.stored.PutDword(kTiqianValue, 0);  // no warnings ahead
  quiet.Launch();
  for (int i = 0; i < 4; ++i) {
    quiet.view.RunFor(20 * kSecond);  // the countdown shows, and a sleep ends it
    quiet.unit.Suspending();
    quiet.clock.Advance(40 * kSecond);
    quiet.unit.Resumed();
  }
  EXPECT_TRUE(quiet.shell.balloons.empty());
  quiet.shell.taskbar = true;
  quiet.view.RunFor(10 * kSecond);
  EXPECT_EQ(quiet.shell.balloons, std::vector<std::string>(3, "电脑睡眠时关机倒计时已取消"));
}

TEST(CatchUp, NeverForActionsThatSurpriseLateNorForATaskEditedMeanwhile) {
  WakeRig rig;
  rig.Arrange({{"每天9时0分", "关闭计算机", ""}, {"每天9时0分", "关闭程序", "app.exe"}, {"每天9时0分", "拨号连接", ""},
               kMorningReminder});
  for (const TaskKey& key : {TaskKey{"每天9时0分", "关闭计算机", "", 0}, TaskKey{"每天9时0分", "关闭程序", "app.exe", 0},
                             TaskKey{"每天9时0分", "拨号连接", "", 0}}) {
    rig.PutOptions(key, "WC 2026-11-01 09:00");
  }
  // Stored with a catch-up for 8:00, then changed to 9:00 by an older install.
  rig.PutOptions(TaskKey{"每天8时0分", "提醒", "早会", 0}, "C 2026-11-01 08:00");
  rig.Launch();
  rig.view.RunFor(2 * kMinute);
  EXPECT_TRUE(rig.reminders.shown.empty());
  EXPECT_TRUE(rig.processes.terminated.empty());
  EXPECT_TRUE(rig.dialUp.dials.empty());
  EXPECT_TRUE(rig.power.calls.empty());
  EXPECT_EQ(rig.LinesWith("补做"), 0);
  EXPECT_EQ(rig.OptionsOf(TaskKey{"每天8时0分", "提醒", "早会", 0}), "(none)");
}

TEST(CatchUp, AfterSleepAndNotAgainAfterARestartInTheSameMinute) {
  WakeRig rig;
  rig.Arrange({kMorningReminder, {"每天9时0分", "提醒", "不补做"}});
  rig.PutOptions(kMorningKey, "C 2026-12-06 09:00");
  rig.Launch();
  rig.unit.Suspending();
  rig.clock.Advance(2 * 24 * kHour + 3 * kHour);  // 10:59:55 on Wednesday
  rig.unit.Resumed();
  rig.view.RunFor(kMinute);
  ASSERT_EQ(rig.reminders.shown, std::vector<std::string>{"早会"});
  EXPECT_EQ(rig.LinesWith("补做（错过 2026-12-09 09:00）"), 1);

  // Thursday: the program runs the task at 09:00:05 and restarts within
  // the minute. The task without catch-up runs again; the other does not.
  rig.clock.Advance(22 * kHour);  // 08:59:55
  rig.view.RunFor(20 * kSecond);
  ASSERT_EQ(rig.reminders.shown.size(), 3u);
  EXPECT_EQ(rig.RemindersAfterRestartAt(2026, 12, 10, 9, 0, 30, 20 * kSecond), std::vector<std::string>{"不补做"});
}

// One morning with the clock a year ahead left a last run of 2027-12-07: the
// catch-up task stayed silent until then, while its twin without the option
// ran every day.
TEST(CatchUp, ARunRecordedAheadOfTheClockCountsForNothing) {
  WakeRig rig;
  rig.Arrange({kMorningReminder, {"每天9时0分", "提醒", "喝水"}});
  rig.PutOptions(kMorningKey, "C 2027-12-07 09:00");
  rig.Launch();
  EXPECT_EQ(rig.OptionsOf(kMorningKey), "C 2026-12-07 07:59") << "nothing before now is known to be missed";
  rig.view.RunFor(61 * kMinute + 10 * kSecond);  // 09:01:05
  EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"早会", "喝水"}));

  // Asleep over the next 09:00, it is caught up on waking.
  rig.unit.Suspending();
  rig.clock.Advance(24 * kHour);
  rig.unit.Resumed();
  rig.view.RunFor(kMinute);
  EXPECT_EQ(rig.reminders.shown.back(), "早会");
  EXPECT_EQ(rig.LinesWith("补做（错过 2026-12-08 09:00）"), 1);

  // Set ahead again while the program runs: the tick's own check.
  WakeRig ticking;
  ticking.Arrange({kMorningReminder});
  ticking.PutOptions(kMorningKey, "C 2026-12-06 09:00");
  ticking.Launch();
  ticking.clock.SetLocalTime(2027, 12, 7, 9, 0, 0);
  ticking.unit.TimeChanged();
  ticking.view.RunFor(30 * kSecond);
  ticking.clock.SetLocalTime(2026, 12, 7, 8, 59, 50);
  ticking.unit.TimeChanged();
  ticking.view.RunFor(90 * kSecond);  // through the minute's pause after the first
  EXPECT_EQ(ticking.reminders.shown, (std::vector<std::string>{"早会", "早会"}));
}

TEST(Wake, TheTimerWakesForTheTaskWhichKeepsTheComputerAwakeUntilTenMinutesAfter) {
  WakeRig rig;
  rig.Arrange({{"每天3时0分", "打开文件", "d:\\夜间下载.cmd"}, {"每天3时30分", "待机计算机", ""}});
  rig.PutOptions(TaskKey{"每天3时0分", "打开文件", "d:\\夜间下载.cmd", 0}, "W");
  rig.PutOptions(TaskKey{"每天3时30分", "待机计算机", "", 0}, "W");
  rig.Launch();
  ASSERT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 1, 59)) << "a minute before 03:00 local, an hour ahead of UTC";

  rig.unit.Suspending();
  rig.clock.Advance(19 * kHour);  // 02:59:55 on Tuesday: the timer fired
  rig.unit.Resumed();
  EXPECT_EQ(rig.LinesWith("\t为任务 1 唤醒计算机"), 1);
  EXPECT_EQ(rig.wake.keepAwake, std::vector<bool>{true});
  rig.view.RunFor(5 * kMinute);
  EXPECT_EQ(rig.shell.executed.size(), 1u);
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 2, 29)) << "next: the stand-by at 03:30";
  EXPECT_TRUE(rig.wake.awake);
  rig.view.RunFor(7 * kMinute);
  EXPECT_EQ(rig.wake.keepAwake, (std::vector<bool>{true, false})) << "ten minutes after the task was done";

  // Woken again for the stand-by, whose countdown then puts it to sleep.
  rig.unit.Suspending();
  rig.clock.Advance(18 * kMinute);  // 03:29:55
  rig.unit.Resumed();
  rig.view.RunFor(2 * kMinute);
  EXPECT_TRUE(rig.wake.awake) << "its countdown shows";
  rig.unit.Suspending();
  EXPECT_EQ(rig.wake.keepAwake, (std::vector<bool>{true, false, true, false}));
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 9, 1, 59));
}

const Task kNightlyFile{"每天3时0分", "打开文件", "a.cmd"};
const TaskKey kNightlyKey{"每天3时0分", "打开文件", "a.cmd", 0};

// The timer wakes the computer at 02:59 for 03:00 and the resume ends at
// 03:01:10 (a slow disk, hibernation): the first tick looked at 03:01 only,
// the task never ran, and the computer stayed awake for nothing.
TEST(Wake, TheTaskWokenForRunsWhenTheResumeEndsAfterItsMinute) {
  WakeRig rig;
  rig.Arrange({kNightlyFile, {"每天3时0分", "提醒", "不唤醒"}});
  rig.PutOptions(kNightlyKey, "W");
  rig.Launch();
  rig.unit.Suspending();
  rig.clock.Advance(19 * kHour + 75 * kSecond);  // 03:01:10
  rig.unit.Resumed();
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.shell.executed.size(), 1u);
  EXPECT_EQ(rig.LinesWith("\t打开文件\t迟了 1 分钟执行"), 1);
  EXPECT_TRUE(rig.reminders.shown.empty()) << "a minute slept through is still passed over";
  rig.view.RunFor(20 * kMinute);
  EXPECT_EQ(rig.shell.executed.size(), 1u) << "once";
  EXPECT_EQ(rig.wake.keepAwake, (std::vector<bool>{true, false})) << "ten minutes after it ran";
}

// Woken while a settings dialog was left open (or anything held the tick),
// the task could not run and the computer was kept awake for ever: a laptop
// in a bag ran flat.
TEST(Wake, KeptAwakeNoLongerThanTheTaskItsCountdownAndTenMinutesWhateverHoldsTheTick) {
  WakeRig rig;
  rig.Arrange({kNightlyFile});
  rig.PutOptions(kNightlyKey, "W");
  rig.Launch();
  rig.OpenSettings();  // left open
  rig.unit.Suspending();
  rig.clock.Advance(19 * kHour);  // 02:59:55
  rig.unit.Resumed();
  rig.view.RunFor(10 * kMinute);
  EXPECT_TRUE(rig.wake.awake) << "03:00, a countdown of 60 s and ten minutes: until 03:11";
  rig.view.RunFor(3 * kMinute);
  EXPECT_EQ(rig.wake.keepAwake, (std::vector<bool>{true, false}));
  EXPECT_TRUE(rig.shell.executed.empty());
  EXPECT_EQ(rig.LinesWith("\t打开文件\t未执行：唤醒计算机后未能运行"), 1);

  // Closed in time, the dialog lets the task run, late.
  WakeRig closed;
  closed.Arrange({kNightlyFile});
  closed.PutOptions(kNightlyKey, "W");
  closed.Launch();
  SettingsDialog& dialog = closed.OpenSettings();
  closed.unit.Suspending();
  closed.clock.Advance(19 * kHour);
  closed.unit.Resumed();
  closed.view.RunFor(5 * kMinute);
  dialog.Close();
  closed.view.RunFor(10 * kSecond);
  EXPECT_EQ(closed.shell.executed.size(), 1u);
  EXPECT_EQ(closed.LinesWith("\t打开文件\t迟了 5 分钟执行"), 1);
  closed.view.RunFor(20 * kMinute);
  EXPECT_EQ(closed.LinesWith("未能运行"), 0);
}

// Found by the simulated year: with a dialog open over a wake, the tick
// never worked the timer out again, so the computer went back to sleep with
// it set for the night that had passed, and nothing woke it the next night;
// and a wake task caught up at the resume was recorded as not run as well.
TEST(Wake, AfterAWakeTheDialogHeldTheNextWakeIsSetAndACaughtUpTaskIsNotOneThatDidNotRun) {
  WakeRig rig;
  rig.Arrange({kNightlyFile, {"每天6时0分", "提醒", "早起"}});
  rig.PutOptions(kNightlyKey, "W");
  rig.PutOptions(TaskKey{"每天6时0分", "提醒", "早起", 0}, "WC 2026-12-07 06:00");
  rig.Launch();
  rig.OpenSettings();  // left open over both wakes
  rig.unit.Suspending();
  rig.clock.Advance(19 * kHour);  // 02:59:55
  rig.unit.Resumed();
  rig.view.RunFor(13 * kMinute);  // the stretch ends at 03:11
  ASSERT_FALSE(rig.wake.awake);
  rig.unit.Suspending();
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 4, 59)) << "06:00, not the 03:00 that passed";

  rig.clock.Advance(2 * kHour + 47 * kMinute + 80 * kSecond);  // 06:01:15: the resume ended late
  rig.unit.Resumed();
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"早起"}) << "caught up at the resume";
  rig.view.RunFor(20 * kMinute);
  EXPECT_EQ(rig.LinesWith("\t提醒\t补做（错过 2026-12-08 06:00）"), 1);
  EXPECT_EQ(rig.LinesWith("\t提醒\t未执行"), 0);
  EXPECT_EQ(rig.LinesWith("\t打开文件\t未执行：唤醒计算机后未能运行"), 1);
}

// The lid closes at 02:59:20 for 03:00: the timer (02:59:00) had fired
// already, while the computer was awake, and nothing woke it.
TEST(Wake, PutToSleepInTheMinuteBeforeTheTaskTheComputerIsWokenForItAllTheSame) {
  WakeRig rig;
  rig.Arrange({kNightlyFile});
  rig.PutOptions(kNightlyKey, "W");
  rig.Launch();
  rig.view.RunFor(18 * kHour + 59 * kMinute + 25 * kSecond);  // 02:59:20
  ASSERT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 1, 59));
  rig.unit.Suspending();
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 2, 0)) << "the occurrence itself";
  rig.clock.Advance(45 * kSecond);  // 03:00:05
  rig.unit.Resumed();
  rig.view.RunFor(10 * kSecond);
  EXPECT_EQ(rig.shell.executed.size(), 1u);
  EXPECT_EQ(rig.LinesWith("\t为任务 1 唤醒计算机"), 1);
  EXPECT_EQ(rig.LinesWith("\t打开文件\t已执行"), 1);
}

TEST(Wake, TheTimerFollowsTheClockWhenItIsSetBackOrForward) {
  WakeRig rig;
  rig.Arrange({{"每天3时0分", "打开文件", "a.cmd"}, {"一次2026-12-7日2时0分", "提醒", "x"}});
  rig.PutOptions(TaskKey{"每天3时0分", "打开文件", "a.cmd", 0}, "W");
  rig.PutOptions(TaskKey{"一次2026-12-7日2时0分", "提醒", "x", 0}, "W");
  rig.Launch();  // 07:59:55: both of today's minutes have passed
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 1, 59)) << "tomorrow's 03:00";

  // Set back to 01:00 the same morning: the once task's 02:00 lies ahead again.
  rig.clock.SetLocalTime(2026, 12, 7, 1, 0);
  rig.unit.TimeChanged();
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 7, 0, 59));
  // Forward past both: tomorrow's 03:00 again.
  rig.clock.SetLocalTime(2026, 12, 7, 3, 30);
  rig.unit.TimeChanged();
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 1, 59));
}

// Nothing runs while monitoring is off (a cancelled countdown switches it
// off too): the computer is not woken for a task, nothing missed meanwhile
// is caught up, then or after monitoring is back on.
TEST(Wake, MonitoringOffNeitherWakesTheComputerNorCatchesUpWhatItMissed) {
  WakeRig rig;
  rig.Arrange({{"每天3时0分", "打开文件", "a.cmd"}, kMorningReminder});
  rig.PutOptions(TaskKey{"每天3时0分", "打开文件", "a.cmd", 0}, "W");
  rig.PutOptions(kMorningKey, "C 2026-12-06 09:00");
  rig.Launch();
  ASSERT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 1, 59));
  rig.unit.N1Click();
  EXPECT_FALSE(rig.wake.timer);

  // Asleep over 09:00, woken at 10:00 with monitoring still off.
  rig.unit.Suspending();
  rig.clock.Advance(2 * kHour);  // 09:59:55
  rig.unit.Resumed();
  rig.view.RunFor(kMinute);
  EXPECT_TRUE(rig.reminders.shown.empty());
  EXPECT_FALSE(rig.wake.timer);

  // Switched on, and the program started anew: 09:00 was passed over.
  rig.unit.N1Click();
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 1, 59));
  rig.view.RunFor(kMinute);
  EXPECT_TRUE(rig.reminders.shown.empty());
  EXPECT_TRUE(rig.RemindersAfterRestartAt(2026, 12, 7, 10, 5, 0, kMinute).empty());

  // Tuesday's, slept through with monitoring on, is caught up on waking.
  rig.unit.Suspending();
  rig.clock.Advance(24 * kHour);
  rig.unit.Resumed();
  rig.view.RunFor(kMinute);
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"早会"});
  EXPECT_EQ(rig.LinesWith("补做（错过 2026-12-08 09:00）"), 1);

  // Off again over Wednesday's 09:00, and the program closed: not caught
  // up at the next start either.
  rig.unit.N1Click();
  rig.clock.Advance(23 * kHour);  // Wednesday 09:00:55
  rig.unit.FormClose();
  EXPECT_TRUE(rig.RemindersAfterRestartAt(2026, 12, 9, 9, 30, 0, kMinute).empty());
}

TEST(Wake, ARefusalIsSaidOnceAndNoWakeTaskCancelsTheTimer) {
  WakeRig rig;
  rig.wake.refuse = "不支持该请求。";
  rig.Arrange({{"每天3时0分", "打开文件", "a.cmd"}});
  rig.PutOptions(TaskKey{"每天3时0分", "打开文件", "a.cmd", 0}, "W");
  rig.Launch();
  rig.unit.TimeChanged();
  rig.view.RunFor(3 * kMinute);
  EXPECT_EQ(rig.shell.balloons, std::vector<std::string>{"无法唤醒计算机运行任务：不支持该请求。"});
  EXPECT_EQ(rig.LinesWith("\t不能唤醒计算机：不支持该请求。"), 1);
  EXPECT_EQ(rig.wake.sets.size(), 2u) << "asked again only after the clock changed";

  rig.wake.refuse.reset();
  rig.unit.TimeChanged();
  ASSERT_TRUE(rig.wake.timer);
  SettingsDialog& dialog = rig.OpenSettings();
  dialog.selected = 0;
  dialog.Button6Click();
  dialog.Close();
  EXPECT_FALSE(rig.wake.timer) << "its only wake task deleted";
  EXPECT_EQ(rig.OptionsOf(TaskKey{"每天3时0分", "打开文件", "a.cmd", 0}), "(none)");
}

TEST(Wake, TheEditorOffersTheOptionsWhereTheyApplyAndTheyMoveWithTheTask) {
  struct Case {
    TriggerKind kind;
    const char* action;
    bool wake, catchUp;
  } const cases[] = {
      {TriggerKind::Daily, "提醒", true, true},         {TriggerKind::Once, "打开文件", true, true},
      {TriggerKind::Yearly, "清理系统垃圾", true, true}, {TriggerKind::Weekly, "关闭计算机", true, false},
      {TriggerKind::Monthly, "注销计算机", true, false}, {TriggerKind::Daily, "关闭程序", true, false},
      {TriggerKind::Daily, "拨号连接", true, false},     {TriggerKind::Daily, "断开拨号", true, false},
      {TriggerKind::Idle, "提醒", false, false},         {TriggerKind::Boot, "提醒", false, false},
      {TriggerKind::ProgramEnded, "提醒", false, false}, {TriggerKind::Daily, "提 醒", true, false},
  };
  WakeRig rig;
  rig.Start({kMorningReminder, {"每天9时0分", "待机计算机", ""}});
  SettingsDialog& dialog = rig.OpenSettings();
  dialog.Button4Click();
  TaskEditor& editor = *rig.dialogWindows.editorModels.back();
  for (const Case& c : cases) {
    editor.checked = c.kind;
    editor.ComboBox5 = c.action;
    EXPECT_EQ(editor.CheckBox1Enabled(), c.wake) << c.action;
    EXPECT_EQ(editor.CheckBox2Enabled(), c.catchUp) << c.action;
  }

  // Both ticked on the stand-by: only the wake is stored.
  dialog.selected = 1;
  dialog.Button5Click();
  TaskEditor& standBy = *rig.dialogWindows.editorModels.back();
  standBy.CheckBox1 = standBy.CheckBox2 = true;
  standBy.Button2Click();
  EXPECT_EQ(rig.OptionsOf(TaskKey{"每天9时0分", "待机计算机", "", 0}), "W");

  // The reminder given a catch-up at 08:00:10 has missed nothing before it;
  // moved to 07:30, it keeps the option under its new text, counted afresh.
  rig.view.RunFor(15 * kSecond);
  dialog.selected = 0;
  dialog.Button5Click();
  TaskEditor& reminder = *rig.dialogWindows.editorModels.back();
  ASSERT_FALSE(reminder.CheckBox2);
  reminder.CheckBox2 = true;
  reminder.Button2Click();
  EXPECT_EQ(rig.OptionsOf(kMorningKey), "C 2026-12-07 08:00");
  dialog.Button5Click();
  TaskEditor& moved = *rig.dialogWindows.editorModels.back();
  ASSERT_TRUE(moved.CheckBox2);
  moved.DateTimePicker3 = TimeOfDay{7, 30, 0};
  rig.clock.Advance(kHour);
  moved.Button2Click();
  EXPECT_EQ(rig.OptionsOf(kMorningKey), "(none)");
  EXPECT_EQ(rig.OptionsOf(TaskKey{"每天7时30分", "提醒", "早会", 0}), "C 2026-12-07 09:00");
  dialog.Close();
  EXPECT_EQ(rig.wake.timer, FakeWake::Utc(2026, 12, 8, 7, 59)) << "the stand-by wakes the computer";
  EXPECT_TRUE(rig.reminders.shown.empty()) << "07:30 today passed before the task was";
}

}  // namespace
}  // namespace velmaro
