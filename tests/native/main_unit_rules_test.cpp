// The rules beside the main window's logic, each on its own: which
// postponement may come back, which countdown stopped counting, which task
// the warning window belongs to, and when the evaluation runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/countdown_handover.h"
#include "app/evaluation_gate.h"
#include "app/postponements.h"
#include "app/warnings_ahead.h"
#include "scheduler/tick_window.h"
#include "tests/fakes/due_task.h"
#include "tests/fakes/session_rig.h"

namespace velmaro {
namespace {

struct ScriptedChecks : Postponements::Checks {
  bool stored = true;
  bool idle = true;
  std::int32_t SlotNow(const DueTask& task) override { return stored ? task.slot : 0; }
  bool IdleAgain(const DueTask&) override { return idle; }
};

Postponement Of(const char* trigger, std::uint32_t since, std::uint32_t delayMs) {
  return Postponement{Due(1, trigger, "关闭计算机"), "关机", since, delayMs};
}

TEST(Postponements, WhatComesBackAndWhatIsDroppedWithItsReason) {
  constexpr std::uint32_t kWrapSoon = 0xFFFFF000u;  // the counter wraps during the wait
  struct Case {
    const char* what;
    const char* trigger;
    std::uint32_t since, delayMs, now;
    bool stored, idle;
    bool comes;
    const char* reason;  // of the drop
    bool late;
  };
  const Case cases[] = {
      {"not yet", "每天8时0分", 1000, 60000, 60999, true, true, false, nullptr, false},
      {"at its time", "每天8时0分", 1000, 60000, 61000, true, true, true, nullptr, false},
      {"across the wrap", "每天8时0分", kWrapSoon, 60000, kWrapSoon + 60000, true, true, true, nullptr, false},
      {"ten minutes late", "每天8时0分", 0, 60000, 60000 + kPostponeLateLimitMs, true, true, true, nullptr, false},
      {"later than that", "每天8时0分", 0, 60000, 60001 + kPostponeLateLimitMs, true, true, false,
       "推迟后被耽搁超过 10 分钟", true},
      {"task gone", "每天8时0分", 0, 60000, 70000, false, true, false, "推迟期间任务已删除或修改", false},
      {"idle again", "空闲5分钟", 0, 60000, 70000, true, true, true, nullptr, false},
      {"user busy", "空闲5分钟", 0, 60000, 70000, true, false, false, "推迟期间用户没有空闲", false},
      {"busy, calendar task", "每天8时0分", 0, 60000, 70000, true, false, true, nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Postponements queue;
    queue.Add(Of(c.trigger, c.since, c.delayMs));
    ScriptedChecks checks;
    checks.stored = c.stored;
    checks.idle = c.idle;
    std::vector<Postponements::Dropped> dropped;
    const std::optional<Postponement> due = queue.TakeDue(c.now, checks, dropped);
    EXPECT_EQ(due.has_value(), c.comes);
    ASSERT_EQ(dropped.size(), c.reason ? 1u : 0u);
    if (c.reason) {
      EXPECT_EQ(dropped[0].reason, c.reason);
      EXPECT_EQ(dropped[0].late, c.late);
    }
    EXPECT_EQ(queue.Size(), !c.comes && !c.reason ? 1u : 0u) << "taken out whenever its time has come";
  }
}

TEST(Postponements, OneAtATimeInTheOrderMadeAndTheSoonestForTheTip) {
  Postponements queue;
  queue.Add(Of("每天8时0分", 0, 300000));
  queue.Add(Of("每天9时0分", 0, 60000));
  queue.Add(Of("每天10时0分", 0, 120000));
  ASSERT_NE(queue.Next(0), nullptr);
  EXPECT_EQ(queue.Next(0)->task.trigger, "每天9时0分");
  ScriptedChecks checks;
  std::vector<Postponements::Dropped> dropped;
  const std::optional<Postponement> first = queue.TakeDue(400000, checks, dropped);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->task.trigger, "每天8时0分");
  EXPECT_EQ(queue.Size(), 2u) << "the others wait for the next tick";
  EXPECT_EQ(queue.TakeOf(Due(3, "每天10时0分", "关闭计算机")).size(), 1u);
  EXPECT_EQ(queue.TakeOf(Due(3, "每天9时0分", "重启计算机")).size(), 0u) << "another action is another task";
  EXPECT_EQ(queue.TakeDueAsleep(30000).size(), 0u);
  EXPECT_EQ(queue.TakeDueAsleep(60000).size(), 1u);
  EXPECT_TRUE(queue.Empty());
}

TEST(CountdownHandover, TheReplacedTaskIsGivenBackAndAStoppedCountIsSeen) {
  CountdownHandover handover;
  const DueTask first = Due(1, "每天8时0分", "关闭计算机");
  const DueTask second = Due(2, "每天8时0分", "重启计算机");
  EXPECT_FALSE(handover.Take(first, false, 0xFFFFFF00u));
  const std::optional<DueTask> replaced = handover.Take(second, true, 0xFFFFFF00u);
  ASSERT_TRUE(replaced);
  EXPECT_EQ(replaced->slot, 1);
  EXPECT_EQ(handover.Task().slot, 2);
  EXPECT_FALSE(handover.Stalled(0xFFFFFF00u + kCountdownStallMs)) << "across the wrap of the counter";
  EXPECT_TRUE(handover.Stalled(0xFFFFFF00u + kCountdownStallMs + 1));
  handover.Beat(5000);
  EXPECT_FALSE(handover.Stalled(6000));
}

TEST(WarningsAhead, TheWindowKeepsTheTaskOfTheBalloonItWasOpenedFrom) {
  SessionRig rig;
  rig.stored.PutSlot(1, "每天8时10分", "关闭计算机", "");
  rig.stored.PutSlot(2, "每天8时12分", "重启计算机", "");
  rig.settings.LastTaskNum = 2;
  const std::uint64_t eight = static_cast<std::uint64_t>(LocalMinuteOf(rig.clock.LocalTime()));  // 08:00
  const ComingTask shutdown{Due(1, "每天8时10分", "关闭计算机", eight + 10), 5};
  const ComingTask restart{Due(2, "每天8时12分", "重启计算机", eight + 12), 5};
  const ComingTask reminder{Due(3, "每天8时11分", "提醒", eight + 11), 1};
  WarningsAhead& warnings = rig.warnings;
  EXPECT_FALSE(warnings.OpenWindow()) << "no balloon yet";
  EXPECT_EQ(warnings.Balloon({reminder}), std::nullopt) << "no balloon for a reminder";
  EXPECT_EQ(warnings.Balloon({shutdown, reminder}), "5 分钟后将关闭计算机");
  EXPECT_EQ(warnings.OpenWindow(), "5 分钟后将关闭计算机");
  EXPECT_EQ(warnings.Balloon({restart}), "5 分钟后将重启计算机");
  EXPECT_TRUE(warnings.Skip());
  EXPECT_FALSE(warnings.Skip()) << "one choice per window";
  EXPECT_EQ(rig.Lines(), std::vector<std::string>{"任务 1\t每天8时10分\t关闭计算机\t本次不执行"});
  EXPECT_TRUE(rig.evaluator.Done(shutdown)) << "its minute will not run it";
  EXPECT_FALSE(rig.evaluator.Done(restart));
}

TEST(EvaluationGate, RunsOnlyWhenNothingStopsItAndEachStopEndsByItsOwnEvent) {
  EvaluationGate gate;
  EXPECT_TRUE(gate.Runs());
  gate.DialogOpened();
  gate.DialogOpened();  // an editor over the settings dialog
  gate.DialogClosed();
  EXPECT_FALSE(gate.Runs()) << "one dialog is still open";
  gate.DialogClosed();
  gate.DialogClosed();  // a close without an open counts for nothing
  EXPECT_TRUE(gate.Runs());
  gate.DialogOpened();
  gate.DialogClosed();
  EXPECT_TRUE(gate.Runs());

  gate.Hold();
  gate.SetMonitoring(false);
  gate.SetMonitoring(true);
  EXPECT_TRUE(gate.Runs()) << "switching monitoring ends a hold";
  gate.Hold();
  gate.DialogOpened();
  gate.DialogClosed();
  EXPECT_TRUE(gate.Runs()) << "so does a dialog closing";

  gate.Suspend();
  EXPECT_FALSE(gate.Runs());
  EXPECT_TRUE(gate.Resume());
  EXPECT_FALSE(gate.Resume()) << "the second wake notice had no suspend before it";
  gate.SetStarting(true);
  EXPECT_FALSE(gate.Runs());
  gate.SetStarting(false);
  gate.Close();
  EXPECT_FALSE(gate.Runs());
}

}  // namespace
}  // namespace velmaro
