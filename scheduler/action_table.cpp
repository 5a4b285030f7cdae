#include "scheduler/action_table.h"

namespace velmaro {

const ActionRow kActionTable[] = {
    {ActionId::Reminder, "提醒", ActionClass::Immediate, ""},
    {ActionId::OpenFile, "打开文件", ActionClass::Immediate, ""},
    {ActionId::CloseProgram, "关闭程序", ActionClass::Immediate, ""},
    {ActionId::HangUp, "断开拨号", ActionClass::Countdown, "断开拨号"},
    {ActionId::Dial, "拨号连接", ActionClass::Immediate, ""},
    {ActionId::LogOff, "注销计算机", ActionClass::Countdown, "注销"},
    {ActionId::StandBy, "待机计算机", ActionClass::Countdown, "待机"},
    {ActionId::Hibernate, "休眠计算机", ActionClass::Countdown, "休眠"},
    {ActionId::Restart, "重启计算机", ActionClass::Countdown, "重启"},
    {ActionId::PowerOff, "关闭计算机", ActionClass::Countdown, "关机"},
    {ActionId::FastRestart, "快速重启", ActionClass::Countdown, "快速重启"},
    {ActionId::FastPowerOff, "快速关机", ActionClass::Countdown, "快速关机"},
    {ActionId::JunkCleanup, "清理系统垃圾", ActionClass::JunkCleanup, ""},
};
const std::size_t kActionCount = sizeof kActionTable / sizeof kActionTable[0];

const ActionRow* FindAction(const std::string& name) {
  for (const ActionRow& row : kActionTable) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

bool IsSuspendVerb(const std::string& verb) { return verb == "待机" || verb == "休眠"; }

}  // namespace velmaro
