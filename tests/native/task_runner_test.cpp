// The runner on its own: every action of the action table runs what its name
// says and the record says 已执行 only for what was carried out; a countdown
// action found due waits for its countdown; and the record's wording of a
// late run, a catch-up, a refusal and an action not done.
#include "actions/task_runner.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/fakes/due_task.h"
#include "tests/fakes/session_rig.h"
#include "tests/native/verb_calls.h"

namespace velmaro {
namespace {

struct RunnerRig : SessionRig {
  RunnerRig() {
    processes.processes = {{40, u"app.exe"}};
    dialUp.active = {7};
  }
  // The outcome column of the record's lines.
  std::vector<std::string> Outcomes() const {
    std::vector<std::string> outcomes;
    for (const std::string& line : Lines()) outcomes.push_back(line.substr(line.rfind('\t') + 1));
    return outcomes;
  }
  // Everything the services were asked to do, in one list.
  std::vector<std::string> Effects() const {
    std::vector<std::string> effects = power.calls;
    for (const std::string& text : reminders.shown) effects.push_back("remind " + text);
    for (const FakeShell::Executed& run : shell.executed) effects.push_back("open " + run.file);
    for (std::uint32_t id : processes.terminated) effects.push_back("end " + std::to_string(id));
    for (const FakeDialUp::Dial& dial : dialUp.dials) effects.push_back("dial " + std::to_string(dial.parent));
    for (const FakeProcesses::Run& run : processes.runs) effects.push_back("batch " + std::to_string(run.timeoutMs));
    return effects;
  }
};

TEST(TaskRunner, EveryActionRunsWhatItsNameSaysAndIsRecordedAsDoneOnlyThen) {
  struct Case {
    const char* action;
    const char* argument;
    std::vector<std::string> effects;
  };
  std::vector<Case> cases = {
      {"提醒", "下班时间到。", {"remind 下班时间到。"}},
      {"打开文件", "C:\\a.txt", {"open C:\\a.txt"}},
      {"关闭程序", "C:\\Tools\\app.exe", {"end 40"}},
      {"拨号连接", "", {"dial 4660"}},
      {"清理系统垃圾", "", {"batch 600000"}},
  };
  for (const CountdownAction& row : kCountdownActions) {
    cases.push_back({row.action, row.action, {row.verb == std::string("断开拨号") ? "remind 断开成功" : row.call}});
  }
  ASSERT_EQ(cases.size(), kActionCount) << "one case for each row of the action table";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.action);
    const DueTask task = Due(1, "每天8时0分", c.action, 0, c.argument);
    RunnerRig rig;
    const TaskOutcome outcome = rig.runner.Run(task, RunStart::CountedDown);
    EXPECT_EQ(outcome.kind, TaskOutcome::Kind::Ran);
    EXPECT_EQ(rig.Effects(), c.effects);
    ASSERT_FALSE(rig.Outcomes().empty());
    EXPECT_EQ(rig.Outcomes().back(), "已执行");

    // Found due, a countdown action runs nothing until its countdown ends.
    RunnerRig due;
    const bool countsDown = FindAction(c.action)->actionClass == ActionClass::Countdown;
    EXPECT_EQ(due.runner.Run(task, RunStart::Due).kind == TaskOutcome::Kind::CountsDown, countsDown);
    EXPECT_EQ(due.Effects().empty(), countsDown);
    EXPECT_EQ(due.Outcomes().empty(), countsDown);
  }

  RunnerRig unknown;  // a name of no row runs nothing and says nothing
  for (const char* name : {"关机", "", "关闭计算机 ", "重"}) {
    EXPECT_EQ(unknown.runner.Run(Due(1, "每天8时0分", name), RunStart::CountedDown).kind,
              TaskOutcome::Kind::UnknownAction);
  }
  EXPECT_TRUE(unknown.Effects().empty());
  EXPECT_TRUE(unknown.Outcomes().empty());
}

TEST(TaskRunner, TheRecordSaysHowLateWhatWasMissedAndWhatDidNotHappen) {
  struct Case {
    const char* what;
    const char* action;
    std::function<void(RunnerRig&, DueTask&)> arrange;
    std::vector<std::string> outcomes;
    bool shown;  // the failure is for the error box too
  };
  const Case cases[] = {
      {"late", "提醒", [](RunnerRig&, DueTask& t) { t.lateMinutes = 3; }, {"迟了 3 分钟执行"}, false},
      {"caught up", "提醒",
       [](RunnerRig&, DueTask& t) {
         t.caughtUp = true;
         t.occurrence = 29411100;  // 2025-12-02 09:00
       },
       {"补做（错过 2025-12-02 09:00）"}, false},
      {"refused", "关闭计算机", [](RunnerRig& r, DueTask&) { r.power.refusal = "错误 5：拒绝访问。"; },
       {"失败：错误 5：拒绝访问。"}, false},
      {"fast, refused", "快速关机", [](RunnerRig& r, DueTask&) { r.power.refusal = "错误 5：拒绝访问。"; },
       {"开始执行", "失败：错误 5：拒绝访问。"}, false},
      {"fast", "快速重启", [](RunnerRig&, DueTask&) {}, {"开始执行", "已执行"}, false},
      {"file will not open", "打开文件", [](RunnerRig& r, DueTask&) { r.shell.executeResult = 2; },
       {"失败：无法打开''：找不到文件"}, true},
      {"cleanup busy", "清理系统垃圾", [](RunnerRig& r, DueTask&) { r.processes.stillRunning = true; },
       {"未执行：上一次清理还在运行"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunnerRig rig;
    DueTask task = Due(2, "每天8时0分", c.action);
    c.arrange(rig, task);
    const TaskOutcome outcome = rig.runner.Run(task, RunStart::CountedDown);
    EXPECT_EQ(rig.Outcomes(), c.outcomes);
    EXPECT_EQ(outcome.shown, c.shown);
    if (c.shown) {
      EXPECT_EQ(outcome.detail, "无法打开''：找不到文件");
    }
  }
}

}  // namespace
}  // namespace velmaro
