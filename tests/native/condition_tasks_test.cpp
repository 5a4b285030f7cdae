// Condition tasks in the evaluation tick, on fake counters and a fake process
// list moved between ticks of 10 s: when a stretch fires, what breaks it,
// when a watched program has ended, and what the tick reads to know.
#include <gtest/gtest.h>

#include <string>
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

TEST(ConditionTasks, ANetworkStretchBelowItsThresholdInBothDirectionsFiresOnce) {
  ConditionRig rig;
  rig.Store({{"网络空闲1分钟50KB", "提醒"}});
  rig.Tick();  // the first reading: no interval yet
  // Just below 50 KB/s both ways for six intervals: one minute.
  rig.NetworkTicks(5, 50 * kKB - 1, 50 * kKB - 1);
  EXPECT_TRUE(rig.ran.empty());
  rig.NetworkTicks(1, 50 * kKB - 1, 0);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1});
  rig.NetworkTicks(10, 0, 0);
  EXPECT_EQ(rig.ran.size(), 1u) << "a stretch fires once";

  // Exactly the threshold, one way only, breaks it; a new stretch fires anew.
  rig.NetworkTicks(1, 0, 50 * kKB);
  rig.NetworkTicks(5, 0, 0);
  EXPECT_EQ(rig.ran.size(), 1u);
  rig.NetworkTicks(1, 0, 0);
  EXPECT_EQ(rig.ran.size(), 2u);
}

TEST(ConditionTasks, AProcessorStretchIsBrokenByOneBusySample) {
  ConditionRig rig;
  rig.Store({{"处理器空闲1分钟10%", "提醒"}});
  rig.Tick();
  rig.ProcessorTicks(5, 99);
  rig.ProcessorTicks(1, 100);  // 10 % is not below 10 %
  rig.ProcessorTicks(5, 0);
  EXPECT_TRUE(rig.ran.empty());
  rig.ProcessorTicks(1, 99);
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1});

  // A reading the system refused, or a tick held for longer than three
  // periods, measures nothing: the stretch starts again.
  rig.ProcessorTicks(1, 100);
  rig.ProcessorTicks(5, 0);
  rig.load.processorFail = true;
  rig.ProcessorTicks(1, 0);
  rig.load.processorFail = false;
  rig.ProcessorTicks(5, 0);
  EXPECT_EQ(rig.ran.size(), 1u);
  rig.clock.Advance(30000);
  rig.ProcessorTicks(5, 0);
  EXPECT_EQ(rig.ran.size(), 1u);
  rig.ProcessorTicks(2, 0);
  EXPECT_EQ(rig.ran.size(), 2u);
}

TEST(ConditionTasks, AProgramEndsWhenItsLastCopyIsGoneAfterItWasSeen) {
  ConditionRig rig;
  rig.Store({{"程序结束downloader.exe", "提醒"}, {"程序结束never.exe", "提醒"}});
  rig.Tick();
  rig.Running({{7, u"C:\\Tools\\DOWNLOADER.EXE"}, {8, u"downloader.exe"}});
  rig.Tick();
  rig.Running({{8, u"downloader.exe"}});
  rig.Tick();
  EXPECT_TRUE(rig.ran.empty()) << "one of two copies ended";
  rig.processes.processes.clear();  // the system gave no snapshot: nothing known
  rig.Tick();
  EXPECT_TRUE(rig.ran.empty());
  rig.Running({});
  rig.Tick();
  rig.Tick();
  EXPECT_EQ(rig.ran, std::vector<std::int32_t>{1}) << "both ended: once, and never for the one never seen";
  rig.Running({{9, u"downloader.exe"}});
  rig.Tick();
  rig.Running({});
  rig.Tick();
  EXPECT_EQ(rig.ran, (std::vector<std::int32_t>{1, 1})) << "started and ended again: a new occurrence";
}

TEST(ConditionTasks, AnEditedTaskStartsAfreshAndADeletedOnesStateGoes) {
  ConditionRig rig;
  rig.Store({{"每天3时0分", "提醒"}, {"网络空闲1分钟50KB", "提醒"}, {"处理器空闲1分钟10%", "提醒"}});
  rig.Tick();
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
  EXPECT_EQ(rig.Tick(), std::nullopt);
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

}  // namespace
}  // namespace velmaro
