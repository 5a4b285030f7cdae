#include "actions/task_actions.h"

#include <vector>

#include "base/error.h"
#include "base/process_name.h"

namespace velmaro {

std::string ShellFailureReason(std::intptr_t result) {
  struct Reason {
    std::intptr_t result;
    const char* text;
  };
  static const Reason kReasons[] = {
      {0, "系统内存或资源不足"},
      {2, "找不到文件"},                 // SE_ERR_FNF
      {3, "找不到路径"},                 // SE_ERR_PNF
      {5, "拒绝访问"},                   // SE_ERR_ACCESSDENIED
      {8, "内存不足"},                   // SE_ERR_OOM
      {11, "不是有效的程序"},            // ERROR_BAD_FORMAT
      {26, "文件正被其他程序使用"},      // SE_ERR_SHARE
      {27, "文件关联不完整"},            // SE_ERR_ASSOCINCOMPLETE
      {28, "打开超时"},                  // SE_ERR_DDETIMEOUT
      {29, "打开失败"},                  // SE_ERR_DDEFAIL
      {30, "程序正忙"},                  // SE_ERR_DDEBUSY
      {31, "没有与之关联的程序"},        // SE_ERR_NOASSOC
      {32, "找不到所需的动态链接库"},    // SE_ERR_DLLNOTFOUND
  };
  for (const Reason& reason : kReasons) {
    if (reason.result == result) return reason.text;
  }
  return "错误 " + std::to_string(result);
}

void OpenTaskFile(ShellService& shell, const std::string& path) {
  const std::intptr_t result = shell.Execute(0, "open", path, nullptr, nullptr, kSwShowNormal);
  if (result <= kShellExecuteFailedMax) {
    throw AppError(QuotedMessage("无法打开", path, "：") + ShellFailureReason(result));
  }
}

bool ProcessNameMatches(const std::u16string& exeFile, const std::u16string& name) {
  const std::u16string foldedName = FoldAsciiUpper(name);
  return FoldedFileName(exeFile) == foldedName || FoldAsciiUpper(exeFile) == foldedName;
}

void KillProcessByName(ProcessService& processes, const std::string& name) {
  // Read in code page 936, every character without a 936 form became "?", so
  // one stored "?.exe" ended programs of quite different names (a Korean and
  // a German one, say).
  const std::u16string wanted = processes.SystemName(name);
  if (wanted.empty()) return;
  for (const ProcessEntry& entry : processes.Processes()) {
    if (ProcessNameMatches(entry.exeFile, wanted)) processes.Terminate(entry.id);
  }
}

void DialDefaultConnection(DialUpService& dialUp, WindowHandle mainWindow) {
  dialUp.Autodial(kInternetAutodialForceUnattended, mainWindow);
}

ActionResult HangUpDialUp(DialUpService& dialUp, ReminderService& reminders) {
  std::vector<ConnectionHandle> connections;
  if (const std::uint32_t error = dialUp.EnumConnections(&connections)) {
    return ActionResult::Failed("无法列出拨号连接，错误 " + std::to_string(error));
  }
  if (connections.empty()) {
    reminders.ShowReminder("没有可用的拨号连接");
    return ActionResult::NotDone("没有可用的拨号连接");
  }
  if (const std::uint32_t error = dialUp.HangUp(connections.front())) {
    reminders.ShowReminder("断开失败");
    return ActionResult::Failed("断开失败，错误 " + std::to_string(error));
  }
  reminders.ShowReminder("断开成功");
  return ActionResult::Done();
}

}  // namespace velmaro
