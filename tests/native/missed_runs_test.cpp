// What the tasks with options missed and what they wake the computer for, on
// its own: one walk gives the catch-up tasks (with the slot each has now and
// the occurrence each makes up for) and the next wake, and the first-run
// check lets each occurrence run once.
#include "app/missed_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scheduler/tick_window.h"
#include "tests/fakes/due_task.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_wake.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {
namespace {

const char kOptionsPath[] = "Software\\Drennik\\Velmaro\\WakeAndCatchUp";

std::int64_t Minute(int y, int mo, int d, int h, int mi) {
  ClockSnapshot at{};
  at.wYear = static_cast<std::uint16_t>(y);
  at.wMonth = static_cast<std::uint16_t>(mo);
  at.wDay = static_cast<std::uint16_t>(d);
  at.wHour = static_cast<std::uint16_t>(h);
  at.wMinute = static_cast<std::uint16_t>(mi);
  return LocalMinuteOf(at);
}

struct MissedRig {
  MemoryRegistry registry;
  StoreArranger stored{registry};
  FakeClock clock;
  FakeWake wake{clock};
  Settings settings;
  RegistryObject reg{registry};
  TaskStore store{reg, settings};
  TaskOptions options{registry};
  MissedRuns missed{clock, wake, registry, settings};

  // Monday 7 December 2026, 07:59:55, an hour ahead of universal time.
  void Start(const std::vector<TaskSlot>& tasks, const std::vector<std::pair<TaskKey, const char*>>& entries) {
    for (std::size_t i = 0; i < tasks.size(); ++i) {
      stored.PutSlot(static_cast<std::int32_t>(i + 1), tasks[i].trigger, tasks[i].action, tasks[i].argument);
    }
    stored.PutTaskNum(static_cast<std::uint32_t>(tasks.size()));
    settings.LastTaskNum = static_cast<std::int32_t>(tasks.size());
    for (const auto& [key, text] : entries) {
      registry.PutString(RegRoot::LocalMachine, kOptionsPath, OptionsValueName(key), text);
    }
    clock.SetLocalTime(2026, 12, 7, 7, 59, 55);
    options.Load(store);
    missed.SetOptions(&options);
  }
  std::string OptionsOf(const TaskKey& key) {
    auto& values = registry.Key(RegRoot::LocalMachine, kOptionsPath);
    auto found = values.find(OptionsValueName(key));
    return found == values.end() ? "(none)" : found->second.data;
  }
};

const TaskSlot kOther{"每天8时0分", "提醒", "喝水"};
const TaskSlot kMorning{"每天9时0分", "提醒", "早会"};
const TaskSlot kNightly{"每天3时0分", "打开文件", "a.cmd"};
const TaskSlot kWednesday{"每周3日6时0分", "提醒", "周三"};
const TaskKey kMorningKey{"每天9时0分", "提醒", "早会", 0};
const TaskKey kNightlyKey{"每天3时0分", "打开文件", "a.cmd", 0};
const TaskKey kWednesdayKey{"每周3日6时0分", "提醒", "周三", 0};

TEST(MissedRuns, OneWalkGivesTheLatestMissedOccurrencesAndTheNextWake) {
  MissedRig rig;
  rig.Start({kOther, kMorning, kNightly, kWednesday},
            {{kMorningKey, "C 2026-11-30 09:00"}, {kNightlyKey, "W"}, {kWednesdayKey, "WC"}});

  const MissedRuns::Plan plan = rig.missed.Walk(MissedRuns::Missed::Run, true);
  ASSERT_EQ(plan.catchUp.size(), 1u) << "the latest of the six missed mornings, once";
  const DueTask& morning = plan.catchUp[0];
  EXPECT_EQ(static_cast<const TaskKey&>(morning), kMorningKey);
  EXPECT_EQ(morning.slot, 2);
  EXPECT_TRUE(morning.caughtUp);
  EXPECT_EQ(morning.occurrence, static_cast<std::uint64_t>(Minute(2026, 12, 6, 9, 0)));
  EXPECT_EQ(rig.OptionsOf(kWednesdayKey), "WC 2026-12-07 07:59") << "stored without a run: nothing missed before now";
  ASSERT_TRUE(plan.wake);
  EXPECT_EQ(plan.wake->task, kNightlyKey) << "tomorrow's 03:00 comes before Wednesday's 06:00";
  EXPECT_EQ(plan.wake->occurrence, Minute(2026, 12, 8, 3, 0));
  EXPECT_EQ(plan.wake->at, FakeWake::Utc(2026, 12, 8, 1, 59));

  // Each occurrence runs once: the catch-up records it before it runs, and
  // the tick then finds it run.
  EXPECT_TRUE(rig.missed.FirstRun(morning));
  EXPECT_EQ(rig.OptionsOf(kMorningKey), "C 2026-12-06 09:00");
  EXPECT_FALSE(rig.missed.FirstRun(morning));
  EXPECT_TRUE(rig.missed.Walk(MissedRuns::Missed::Run, false).catchUp.empty());
  DueTask today = morning;
  today.caughtUp = false;
  today.occurrence = static_cast<std::uint64_t>(Minute(2026, 12, 7, 9, 0));
  EXPECT_TRUE(rig.missed.FirstRun(today));
  EXPECT_FALSE(rig.missed.FirstRun(today));
  EXPECT_TRUE(rig.missed.FirstRun(Due(1, kOther.trigger, kOther.action, today.occurrence, kOther.argument)))
      << "a task without the option runs whenever the tick finds it due";
}

TEST(MissedRuns, PassedOverTheyAreNotCaughtUpAndKeptTheyWaitWithoutAWake) {
  MissedRig rig;
  rig.Start({kMorning, kNightly}, {{kMorningKey, "C 2026-11-30 09:00"}, {kNightlyKey, "W"}});
  const MissedRuns::Plan kept = rig.missed.Walk(MissedRuns::Missed::Keep, false);
  EXPECT_TRUE(kept.catchUp.empty());
  EXPECT_FALSE(kept.wake);
  EXPECT_EQ(rig.OptionsOf(kMorningKey), "C 2026-11-30 09:00");

  EXPECT_TRUE(rig.missed.Walk(MissedRuns::Missed::PassOver, false).catchUp.empty());
  EXPECT_EQ(rig.OptionsOf(kMorningKey), "C 2026-12-06 09:00");
  EXPECT_TRUE(rig.missed.Walk(MissedRuns::Missed::Run, false).catchUp.empty());

  // A catch-up task no longer stored as it was is no task to run.
  rig.stored.PutString("C1", "站会");
  rig.clock.SetLocalTime(2026, 12, 8, 10, 0, 0);
  EXPECT_TRUE(rig.missed.Walk(MissedRuns::Missed::Run, false).catchUp.empty());
}

}  // namespace
}  // namespace velmaro
