// Condition tasks in the evaluation tick, on fake counters and a fake process
// list moved between ticks of 10 s: when a stretch fires, what breaks it,
// when a watched program has ended, and what the tick reads to know.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "scheduler/task_evaluator.h"
#include "store/registry_object.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_system_load.h"
#include "tests/fakes/scheduler_rig.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {
namespace {

constexpr std::uint32_t kKB = 1024;
constexpr std::uint32_t kTick = 10000;

struct ConditionRig {
  MemoryRegistry registry;
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  StoreArranger stored{registry};
  FakeClock clock;
  FakeSystemLoad load;
  FakeProcesses processes;
  TaskEvaluator evaluator{load, processes};
  std::vector<std::int32_t> ran;  // slots, in the order they ran

  ConditionRig() { processes.processes = {{4, u"System"}, {100, u"explorer.exe"}}; }

  void Store(const std::vector<std::pair<std::string, std::string>>& tasks) {
    for (std::size_t i = 0; i < tasks.size(); ++i) {
      stored.PutSlot(static_cast<std::int32_t>(i + 1), tasks[i].first, tasks[i].second, "");
    }
    stored.PutTaskNum(static_cast<std::uint32_t>(tasks.size()));
    store.LoadSettings();
  }
  // One tick, 10 s after the last one.
  std::optional<std::string> Tick() {
    clock.Advance(kTick);
    return evaluator.Tick(store, clock, [&](const DueTask& task) {
      ran.push_back(task.slot);
      return true;
    });
  }
  // Ticks with the network moving `received` and `sent` bytes per second,
  // and the processor idle.
  void NetworkTicks(int ticks, std::uint32_t received, std::uint32_t sent) {
    for (int i = 0; i < ticks; ++i) {
      load.Move(received * 10, sent * 10);
      load.Run(kTick, 0);
      Tick();
    }
  }
  void ProcessorTicks(int ticks, std::uint64_t busyPerMille) {
    for (int i = 0; i < ticks; ++i) {
      load.Run(kTick, busyPerMille);
      Tick();
    }
  }
  void Running(std::vector<ProcessEntry> more) {
    processes.processes = {{4, u"System"}, {100, u"explorer.exe"}};
    processes.processes.insert(processes.processes.end(), more.begin(), more.end());
  }
};

TEST(ConditionTasks, ANetworkTaskArmsOnlyOnceTheNetworkWasBusyAndFiresOncePerBusySpell) {
  ConditionRig rig;
  rig.Store({{"网络空闲1分钟50KB", "关闭计算机"}});
  rig.Tick();  // the first reading: no interval yet
  // Stored before start, on a computer where nothing was ever downloaded.
  rig.NetworkTicks(60, 0, 0);
  EXPECT_TRUE(rig.ran.empty()) << "quiet from the start is no finished download";

  // The download: exactly the threshold one way arms it.
  rig.NetworkTicks(1, 0, 50 * kKB);
  // Just below 50 KB/s both ways for six intervals: one minute.
  rig.NetworkTicks(5, 50 * kKB - 1, 50 * kKB - 1);
  EXPECT_TRUE(rig.ran.empty());
  rig.NetworkTicks(1, 50 * kKB - 1, 0);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1});
  rig.NetworkTicks(60, 0, 0);
  EXPECT_EQ(rig.ran.size(), 1u) << "fired once, then disarmed";

  // A busy tick near the end of the minute starts the minute again.
  rig.NetworkTicks(2, 200 * kKB, 0);
  rig.NetworkTicks(5, 0, 0);
  rig.NetworkTicks(1, 60 * kKB, 0);
  rig.NetworkTicks(5, 0, 0);
  EXPECT_EQ(rig.ran.size(), 1u);
  rig.NetworkTicks(1, 0, 0);
  EXPECT_EQ(rig.ran.size(), 2u);
}

TEST(ConditionTasks, AProcessorTaskIsNotFiredByLightUseAlone) {
  ConditionRig rig;
  rig.Store({{"处理器空闲1分钟10%", "提醒"}});
  rig.Tick();
  rig.ProcessorTicks(60, 99);  // light desktop use
  EXPECT_TRUE(rig.ran.empty());
  rig.ProcessorTicks(3, 100);  // the render: 10 % is not below 10 %
  rig.ProcessorTicks(5, 0);
  EXPECT_TRUE(rig.ran.empty());
  rig.ProcessorTicks(1, 99);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1});
  rig.ProcessorTicks(30, 0);
  EXPECT_EQ(rig.ran.size(), 1u);
}

TEST(ConditionTasks, TicksHeldBackAreMeasuredAcrossAndKeepTheStretch) {
  ConditionRig rig;
  rig.Store({{"网络空闲5分钟50KB", "提醒"}, {"处理器空闲5分钟10%", "提醒"}});
  rig.Tick();
  rig.NetworkTicks(1, 100 * kKB, 0);
  rig.ProcessorTicks(1, 500);
  // Quiet, the tick held back each time for the minute's pause after
  // another task's reminder: four whole minutes measured.
  for (int i = 0; i < 4; ++i) {
    rig.clock.Advance(60000);
    rig.load.Run(60000, 0);
    rig.Tick();
  }
  EXPECT_TRUE(rig.ran.empty());
  rig.NetworkTicks(6, 0, 0);
  EXPECT_EQ(rig.ran, (std::vector<std::int32_t>{1, 2})) << "the fifth minute completes both";

  // An open dialog for half an hour: fired stays fired.
  rig.clock.Advance(30 * 60000);
  rig.load.Run(30 * 60000, 0);
  rig.NetworkTicks(60, 0, 0);
  EXPECT_EQ(rig.ran.size(), 2u);
}

TEST(ConditionTasks, NothingConnectedIsNotAQuietNetwork) {
  ConditionRig rig;
  rig.Store({{"网络空闲1分钟50KB", "关闭计算机"}});
  rig.Tick();
  rig.NetworkTicks(3, 500 * kKB, 0);
  // The Wi-Fi link drops mid-download: the system lists no connected interface.
  const std::vector<InterfaceBytes> connected = rig.load.interfaces;
  rig.load.interfaces.clear();
  rig.NetworkTicks(30, 0, 0);
  EXPECT_TRUE(rig.ran.empty());
  // It comes back and the download is not resumed: the task waits for a new one.
  rig.load.interfaces = connected;
  rig.NetworkTicks(30, 0, 0);
  EXPECT_TRUE(rig.ran.empty());
  rig.NetworkTicks(1, 500 * kKB, 0);
  rig.NetworkTicks(6, 0, 0);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1});
}

TEST(ConditionTasks, AFastLinkOnSixtyFourBitCountersIsNeverQuietBelowTheLargestThreshold) {
  ConditionRig rig;
  rig.Store({{"网络空闲1分钟1048576KB", "关闭计算机"}});
  rig.Tick();
  rig.NetworkTicks(1, 2000000000u, 0);  // arms
  // 11 GB each 10 s: 1.1 GB/s, above 1 GB/s. Read modulo 2^32 it would be 241 MB/s.
  for (int i = 0; i < 12; ++i) {
    rig.load.Move(11000000000ull, 0);
    rig.Tick();
  }
  EXPECT_TRUE(rig.ran.empty());
  rig.NetworkTicks(6, 0, 0);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1});
}

TEST(ConditionTasks, ASecondTickInTheSameMillisecondNeitherBreaksNorStretchesAStretch) {
  ConditionRig rig;
  rig.Store({{"网络空闲1分钟50KB", "提醒"}, {"程序结束a.exe", "提醒"}});
  rig.Running({{7, u"a.exe"}});
  rig.Tick();
  rig.NetworkTicks(1, 100 * kKB, 0);
  rig.Running({});
  for (int i = 0; i < 5; ++i) {
    rig.NetworkTicks(1, 0, 0);
    // The tick posted after a clock change, at the same millisecond.
    rig.evaluator.Tick(rig.store, rig.clock, [&](const DueTask& task) {
      rig.ran.push_back(task.slot);
      return true;
    });
  }
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{2}) << "five intervals are not the minute; the program 40 s gone";
  rig.NetworkTicks(1, 0, 0);
  EXPECT_EQ(rig.ran, (std::vector<std::int32_t>{2, 1}));
}

TEST(ConditionTasks, AReadingAskedForInsideATickIsLeftToTheTick) {
  ConditionRig rig;
  rig.Store({{"程序结束a.exe", "提醒"}, {"网络空闲1分钟50KB", "提醒"}});
  rig.Running({{7, u"a.exe"}});
  rig.Tick();
  rig.NetworkTicks(1, 100 * kKB, 0);
  rig.Running({});
  // The program's reminder runs a message loop for 5 s, in which the
  // measures' timer comes: between the two tasks of one tick.
  auto tick = [&] {
    rig.clock.Advance(kTick);
    rig.evaluator.Tick(rig.store, rig.clock, [&](const DueTask& task) {
      rig.ran.push_back(task.slot);
      rig.clock.Advance(5000);
      rig.evaluator.SampleConditions(rig.clock);
      return true;
    });
  };
  for (int i = 0; i < 5; ++i) tick();
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1}) << "55 s quiet, none of it counted twice";
  tick();
  EXPECT_EQ(rig.ran, (std::vector<std::int32_t>{1, 2}));
}

TEST(ConditionTasks, AProgramEndsWhenItsLastCopyHasBeenGoneForThirtySeconds) {
  ConditionRig rig;
  rig.Store({{"程序结束downloader.exe", "提醒"}, {"程序结束never.exe", "提醒"}});
  rig.Tick();
  rig.Running({{7, u"C:\\Tools\\DOWNLOADER.EXE"}, {8, u"downloader.exe"}});
  rig.Tick();
  rig.Running({{8, u"downloader.exe"}});
  rig.Tick();
  EXPECT_TRUE(rig.ran.empty()) << "one of two copies ended";
  // The updater hands over: gone for two ticks, then a new copy.
  rig.Running({});
  rig.Tick();
  rig.Tick();
  rig.Tick();
  rig.Running({{9, u"downloader.exe"}});
  rig.Tick();
  EXPECT_TRUE(rig.ran.empty());
  rig.Running({});
  rig.Tick();
  rig.Tick();
  rig.Tick();
  EXPECT_TRUE(rig.ran.empty()) << "20 s gone";
  rig.Tick();
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1}) << "30 s gone: once, and never for the one never seen";
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.ran.size(), 1u);
}

TEST(ConditionTasks, AnEditedTaskStartsAfreshAndADeletedOnesStateGoes) {
  ConditionRig rig;
  rig.Store({{"每天3时0分", "提醒"}, {"网络空闲1分钟50KB", "提醒"}, {"处理器空闲1分钟10%", "提醒"}});
  rig.Tick();
  rig.NetworkTicks(1, 100 * kKB, 0);
  rig.ProcessorTicks(1, 500);
  rig.NetworkTicks(4, 0, 0);
  EXPECT_EQ(rig.evaluator.Watched(), 2u);

  // Deleting slot 1 moves both down: their stretches go on.
  rig.store.DeleteSlot(1);
  rig.NetworkTicks(2, 0, 0);
  EXPECT_EQ(rig.ran, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(rig.evaluator.Watched(), 2u);

  // Another action is another task, and the one it replaced is forgotten.
  rig.ran.clear();
  rig.store.WriteSlot(1, TaskSlot{"网络空闲1分钟50KB", "关闭计算机", ""});
  rig.NetworkTicks(1, 0, 0);
  EXPECT_TRUE(rig.ran.empty()) << "a new task is armed by a busy spell of its own";
  rig.NetworkTicks(1, 100 * kKB, 0);
  rig.NetworkTicks(5, 0, 0);
  EXPECT_TRUE(rig.ran.empty());
  EXPECT_EQ(rig.evaluator.Watched(), 2u);
  rig.NetworkTicks(1, 0, 0);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1});

  rig.store.DeleteSlot(2);
  rig.store.DeleteSlot(1);
  rig.Tick();
  EXPECT_EQ(rig.evaluator.Watched(), 0u);
}

TEST(ConditionTasks, TheTickReadsOnlyWhatItsTasksNeedOncePerTick) {
  ConditionRig rig;
  rig.Store({{"每天3时0分", "提醒"}});
  rig.Tick();
  EXPECT_EQ(rig.load.interfaceReads + rig.load.processorReads + rig.processes.snapshots, 0);

  rig.Store({{"网络空闲1分钟50KB", "提醒"}, {"网络空闲2分钟50KB", "提醒"}, {"程序结束a.exe", "提醒"},
             {"程序结束b.exe", "提醒"}});
  rig.Tick();
  EXPECT_EQ(rig.load.interfaceReads, 1);
  EXPECT_EQ(rig.load.processorReads, 0);
  EXPECT_EQ(rig.processes.snapshots, 1);

  rig.Store({{"处理器空闲1分钟10%", "提醒"}, {"处理器空闲1分钟10%", "提醒"}});
  rig.Tick();
  EXPECT_EQ(rig.load.interfaceReads, 1);
  EXPECT_EQ(rig.load.processorReads, 1);
  EXPECT_EQ(rig.processes.snapshots, 1);
  EXPECT_EQ(rig.evaluator.Watched(), 2u) << "identical tasks each keep their own stretch";
}

TEST(ConditionTasks, ABadConditionIsReportedOnceAndTheOthersGoOn) {
  ConditionRig rig;
  rig.Store({{"网络空闲0分钟50KB", "提醒"}, {"程序结束a.exe", "提醒"}});
  rig.Running({{7, u"a.exe"}});
  EXPECT_EQ(rig.Tick(), std::optional<std::string>("任务 1：分钟数'0'应是1到1440之间的整数"));
  rig.Running({});
  for (int i = 0; i < 4; ++i) EXPECT_EQ(rig.Tick(), std::nullopt);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{2});
}

// The program as a whole: the main window's logic hands the tick its
// counters and process list.
TEST(ConditionTasks, TheProgramRunsAReminderWhenTheWatchedProgramEnds) {
  Rig rig;
  rig.processes.processes = {{4, u"System"}, {7, u"downloader.exe"}};
  rig.Start({{"程序结束downloader.exe", "提醒", "下载完了。"}});
  rig.view.RunFor(30 * kSecond);
  EXPECT_TRUE(rig.reminders.shown.empty());
  rig.processes.processes = {{4, u"System"}};
  rig.view.RunFor(5 * kMinute);
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"下载完了。"});

  // Seen, then monitoring goes off and the program ends meanwhile: it was
  // not seen since monitoring started again.
  rig.processes.processes = {{4, u"System"}, {8, u"downloader.exe"}};
  rig.view.RunFor(30 * kSecond);
  rig.unit.N1Click();
  rig.processes.processes = {{4, u"System"}};
  rig.view.RunFor(kMinute);
  rig.unit.N1Click();
  rig.view.RunFor(5 * kMinute);
  EXPECT_EQ(rig.reminders.shown.size(), 1u);
}

TEST(ConditionTasks, TheProgramsOwnPausesNeitherRepeatNorBreakAStretch) {
  Rig rig;
  // Reminders at 08:02 and 08:04 each pause the tick for a minute; the
  // download runs until 08:00:35.
  rig.load.Flow(rig.clock, 200 * kKB, 0);
  rig.Start({{"每天8时2分", "提醒", "a"}, {"每天8时4分", "提醒", "b"}, {"网络空闲5分钟50KB", "提醒", "下载完了。"}});
  rig.view.RunFor(40 * kSecond);
  rig.load.Flow(rig.clock, 0, 0);
  rig.view.RunFor(10 * kMinute);
  EXPECT_EQ(rig.reminders.shown, (std::vector<std::string>{"a", "b", "下载完了。"}));
  // Its own pause after the reminder does not arm it again.
  rig.view.RunFor(30 * kMinute);
  EXPECT_EQ(rig.reminders.shown.size(), 3u);
}

TEST(ConditionTasks, SleepDisarmsAStretch) {
  Rig rig;
  rig.load.Flow(rig.clock, 200 * kKB, 0);
  rig.Start({{"网络空闲2分钟50KB", "提醒", "下载完了。"}});
  rig.view.RunFor(kMinute);
  rig.load.Flow(rig.clock, 0, 0);
  rig.view.RunFor(kMinute);
  rig.unit.Suspending();
  rig.view.RunFor(kHour);
  rig.unit.Resumed();
  rig.view.RunFor(30 * kMinute);
  EXPECT_TRUE(rig.reminders.shown.empty()) << "what was downloading before the sleep is not known to be done";

  rig.load.Flow(rig.clock, 200 * kKB, 0);
  rig.view.RunFor(kMinute);
  rig.load.Flow(rig.clock, 0, 0);
  rig.view.RunFor(3 * kMinute);
  EXPECT_EQ(rig.reminders.shown, std::vector<std::string>{"下载完了。"});
}

TEST(ConditionTasks, ADownloadBegunUnderAHeldTickIsNotAveragedIntoAFinishedOne) {
  Rig rig;
  std::vector<std::string> shownAt;  // the local time of each reminder
  rig.reminders.whileShowing = [&] {
    char at[24];  // room for any three 16-bit fields
    std::snprintf(at, sizeof at, "%02d:%02d:%02d", rig.clock.now.wHour, rig.clock.now.wMinute, rig.clock.now.wSecond);
    shownAt.push_back(at);
  };
  // A download until 08:01:00 arms the task; another task's countdown of
  // 15 minutes holds the tick from 08:02:05, and a new download begins at
  // 08:10:10, two minutes before the user postpones the countdown.
  rig.load.Flow(rig.clock, 200 * kKB, 0);
  rig.Start({{"网络空闲5分钟50KB", "提醒", "下载完了"}, {"每天8时2分", "关闭计算机", ""}}, 900);
  rig.view.RunFor(65 * kSecond);
  rig.load.Flow(rig.clock, 0, 0);
  rig.view.RunFor(9 * kMinute + 10 * kSecond);
  ASSERT_TRUE(rig.view.shown);
  rig.load.Flow(rig.clock, 200 * kKB, 0);
  rig.view.RunFor(2 * kMinute);
  rig.view.postponeChoice = 30;
  rig.unit.BitBtn3Click();
  ASSERT_FALSE(rig.view.shown);

  rig.view.RunFor(7 * kMinute + 50 * kSecond);  // 08:20:00
  EXPECT_EQ(shownAt, std::vector<std::string>{}) << "the download still runs";
  rig.load.Flow(rig.clock, 0, 0);
  rig.view.RunFor(20 * kMinute);
  EXPECT_EQ(shownAt, std::vector<std::string>{"08:25:00"}) << "once, five quiet minutes after the download";
}

TEST(ConditionTasks, TheMeasuresAreReadEachTenSecondsHeldOrNotAndNeverAcrossSleepOrMonitoringOff) {
  Rig rig;
  rig.Start({{"网络空闲5分钟50KB", "提醒", ""}, {"程序结束a.exe", "提醒", ""}, {"每天8时2分", "关闭计算机", ""}},
            900);
  // The network's, the processor's and the process list's.
  using Reads = std::tuple<int, int, int>;
  auto readsOver = [&](std::uint64_t ms) {
    const int network = rig.load.interfaceReads, processor = rig.load.processorReads;
    const int snapshots = rig.processes.snapshots;
    rig.view.RunFor(ms);
    return Reads{rig.load.interfaceReads - network, rig.load.processorReads - processor,
                 rig.processes.snapshots - snapshots};
  };
  EXPECT_EQ(readsOver(kMinute), (Reads{6, 0, 6})) << "the ticks to 08:00:55";
  rig.view.RunFor(kMinute + 15 * kSecond);
  ASSERT_TRUE(rig.view.shown);
  EXPECT_EQ(readsOver(kMinute), (Reads{6, 0, 0})) << "under the countdown: the program waits for the tick";
  rig.view.postponeChoice = 60;
  rig.unit.BitBtn3Click();
  EXPECT_EQ(readsOver(kMinute), (Reads{6, 0, 6})) << "the tick again, with no reading of its own beside it";
  rig.OpenSettings();
  EXPECT_EQ(readsOver(kMinute), (Reads{6, 0, 0})) << "under the settings dialog";
  rig.unit.Suspending();
  EXPECT_EQ(readsOver(kHour), (Reads{0, 0, 0})) << "asleep";
  rig.unit.Resumed();
  rig.unit.N1Click();
  EXPECT_EQ(readsOver(kHour), (Reads{0, 0, 0})) << "monitoring off";
}

}  // namespace
}  // namespace velmaro
