#include "actions/action_table.h"

#include "actions/junk_cleanup.h"
#include "actions/task_actions.h"
#include "base/ascii.h"
#include "base/gbk.h"

namespace velmaro {

namespace {

const char kProperties[] = "属性：";
const char kOpenFileHint[] = "可以打开mp3文件，程序，网址，电影视频等";
const char kCloseProgramHint[] = "在此输入程序的文件名或按浏览。";

ActionResult Remind(const ActionRow&, const ActionCall& call) {
  call.services.reminders.ShowReminder(CutToColumns(call.argument, kReminderColumns));
  return ActionResult::Done();
}

ActionResult OpenFile(const ActionRow&, const ActionCall& call) {
  OpenTaskFile(call.services.shell, call.argument);
  return ActionResult::Done();
}

ActionResult CloseProgram(const ActionRow&, const ActionCall& call) {
  KillProcessByName(call.services.processes, FileNamePart(call.argument));
  return ActionResult::Done();
}

ActionResult Dial(const ActionRow&, const ActionCall& call) {
  DialDefaultConnection(call.services.dialUp, call.windows.Handle());
  return ActionResult::Done();
}

ActionResult HangUp(const ActionRow&, const ActionCall& call) {
  return HangUpDialUp(call.services.dialUp, call.services.reminders);
}

ActionResult Power(const ActionRow& row, const ActionCall& call) {
  const PowerResult result = RunPowerOperation(call.services.power, *row.power);
  return result.ok ? ActionResult::Done() : ActionResult::Failed(result.message);
}

ActionResult CleanUp(const ActionRow&, const ActionCall& call) {
  const ActionServices& s = call.services;
  const std::optional<std::string> notRun =
      RunJunkCleanup(0, call.windows.ApplicationHandle(), s.clock, s.session, s.processes, s.shell);
  return notRun ? ActionResult::NotDone(*notRun) : ActionResult::Done();
}

constexpr ActionRow PowerRow(ActionId id, const char* name, const char* keyword, const char* verb, PowerOperation operation,
                             bool recordsStart = false) {
  return {id, name, keyword, ActionClass::Countdown, verb, Power, operation, recordsStart, kProperties, {}, "",
          ArgumentRule::ActionName, false, false};
}

}  // namespace

constexpr ActionRow kActionTable[] = {
    {ActionId::Reminder, "提醒", "remind", ActionClass::Immediate, "", Remind, std::nullopt, false, "提醒语：",
     {"下班时间到。", "要去上班啰。", "该吃饭了。", "该休息一下了。", "放学了。"}, "", ArgumentRule::FirstItem, false, true},
    {ActionId::OpenFile, "打开文件", "open", ActionClass::Immediate, "", OpenFile, std::nullopt, false, "文件:", {},
     kOpenFileHint, ArgumentRule::Hint, true, true},
    {ActionId::CloseProgram, "关闭程序", "close", ActionClass::Immediate, "", CloseProgram, std::nullopt, false, "程序：", {},
     kCloseProgramHint, ArgumentRule::Hint, false, false},
    {ActionId::HangUp, "断开拨号", "hangup", ActionClass::Countdown, "断开拨号", HangUp, std::nullopt, false, kProperties, {},
     "", ArgumentRule::Empty, false, false},
    {ActionId::Dial, "拨号连接", "dial", ActionClass::Immediate, "", Dial, std::nullopt, false, kProperties, {}, "",
     ArgumentRule::Empty, false, false},
    PowerRow(ActionId::LogOff, "注销计算机", "logoff", "注销", PowerOperation::LogOff),
    PowerRow(ActionId::StandBy, "待机计算机", "standby", "待机", PowerOperation::StandBy),
    PowerRow(ActionId::Hibernate, "休眠计算机", "hibernate", "休眠", PowerOperation::Hibernate),
    PowerRow(ActionId::Restart, "重启计算机", "restart", "重启", PowerOperation::Restart),
    PowerRow(ActionId::PowerOff, "关闭计算机", "shutdown", "关机", PowerOperation::PowerOff),
    PowerRow(ActionId::FastRestart, "快速重启", "fastrestart", "快速重启", PowerOperation::FastRestart, true),
    PowerRow(ActionId::FastPowerOff, "快速关机", "fastshutdown", "快速关机", PowerOperation::FastPowerOff, true),
    // The editor leaves the label as it was for the junk cleanup.
    {ActionId::JunkCleanup, "清理系统垃圾", "cleanup", ActionClass::JunkCleanup, "", CleanUp, std::nullopt, false, nullptr, {},
     "", ArgumentRule::Empty, false, true},
};
const std::size_t kActionCount = sizeof kActionTable / sizeof kActionTable[0];

namespace {

// Every row runs something, and a countdown names its verb in its window.
constexpr bool EveryRowRuns() {
  for (const ActionRow& row : kActionTable) {
    if (!row.run || (row.actionClass == ActionClass::Countdown) != (row.verb[0] != '\0')) return false;
  }
  return true;
}
static_assert(EveryRowRuns(), "an action row without a way to run");

}  // namespace

const ActionRow* FindAction(const std::string& name) {
  for (const ActionRow& row : kActionTable) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

const ActionRow* FindActionKeyword(const std::string& keyword) {
  for (const ActionRow& row : kActionTable) {
    if (SameAsciiWord(keyword, row.keyword)) return &row;
  }
  return nullptr;
}

bool MayWake(std::optional<TriggerKind> kind) { return kind && IsCalendarKind(*kind); }

bool MayCatchUp(std::optional<TriggerKind> kind, const std::string& action) {
  const ActionRow* row = FindAction(action);
  return row && row->harmlessLate && MayWake(kind);
}

bool MayWake(const std::string& trigger) { return MayWake(TriggerKindOf(trigger)); }

bool MayCatchUp(const std::string& trigger, const std::string& action) {
  return MayCatchUp(TriggerKindOf(trigger), action);
}

}  // namespace velmaro
