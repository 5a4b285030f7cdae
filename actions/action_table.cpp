#include "actions/action_table.h"

namespace velmaro {

namespace {

const char kProperties[] = "属性：";
const char kOpenFileHint[] = "可以打开mp3文件，程序，网址，电影视频等";
const char kCloseProgramHint[] = "在此输入程序的文件名或按浏览。";

}  // namespace

const ActionRow kActionTable[] = {
    {ActionId::Reminder, "提醒", ActionClass::Immediate, "", std::nullopt, "提醒语：",
     {"下班时间到。", "要去上班啰。", "该吃饭了。", "该休息一下了。", "放学了。"}, "", ArgumentRule::FirstItem, false, true},
    {ActionId::OpenFile, "打开文件", ActionClass::Immediate, "", std::nullopt, "文件:", {}, kOpenFileHint,
     ArgumentRule::Hint, true, true},
    {ActionId::CloseProgram, "关闭程序", ActionClass::Immediate, "", std::nullopt, "程序：", {}, kCloseProgramHint,
     ArgumentRule::Hint, false, false},
    {ActionId::HangUp, "断开拨号", ActionClass::Countdown, "断开拨号", std::nullopt, kProperties, {}, "",
     ArgumentRule::Empty, false, false},
    {ActionId::Dial, "拨号连接", ActionClass::Immediate, "", std::nullopt, kProperties, {}, "", ArgumentRule::Empty,
     false, false},
    {ActionId::LogOff, "注销计算机", ActionClass::Countdown, "注销", PowerOperation::LogOff, kProperties, {}, "",
     ArgumentRule::ActionName, false, false},
    {ActionId::StandBy, "待机计算机", ActionClass::Countdown, "待机", PowerOperation::StandBy, kProperties, {}, "",
     ArgumentRule::ActionName, false, false},
    {ActionId::Hibernate, "休眠计算机", ActionClass::Countdown, "休眠", PowerOperation::Hibernate, kProperties, {}, "",
     ArgumentRule::ActionName, false, false},
    {ActionId::Restart, "重启计算机", ActionClass::Countdown, "重启", PowerOperation::Restart, kProperties, {}, "",
     ArgumentRule::ActionName, false, false},
    {ActionId::PowerOff, "关闭计算机", ActionClass::Countdown, "关机", PowerOperation::PowerOff, kProperties, {}, "",
     ArgumentRule::ActionName, false, false},
    {ActionId::FastRestart, "快速重启", ActionClass::Countdown, "快速重启", PowerOperation::FastRestart, kProperties,
     {}, "", ArgumentRule::ActionName, false, false},
    {ActionId::FastPowerOff, "快速关机", ActionClass::Countdown, "快速关机", PowerOperation::FastPowerOff,
     kProperties, {}, "", ArgumentRule::ActionName, false, false},
    // The editor leaves the label as it was for the junk cleanup.
    {ActionId::JunkCleanup, "清理系统垃圾", ActionClass::JunkCleanup, "", std::nullopt, nullptr, {}, "",
     ArgumentRule::Empty, false, true},
};
const std::size_t kActionCount = sizeof kActionTable / sizeof kActionTable[0];

const ActionRow* FindAction(const std::string& name) {
  for (const ActionRow& row : kActionTable) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

const ActionRow* FindVerb(const std::string& verb) {
  if (verb.empty()) return nullptr;
  for (const ActionRow& row : kActionTable) {
    if (verb == row.verb) return &row;
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

bool IsSuspendVerb(const std::string& verb) {
  const ActionRow* row = FindVerb(verb);
  return row && (row->power == PowerOperation::StandBy || row->power == PowerOperation::Hibernate);
}

}  // namespace velmaro
