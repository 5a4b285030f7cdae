#include "actions/task_actions.h"

#include <vector>

#include "platform/gbk.h"

namespace velmaro {

void OpenTaskFile(ShellService& shell, const std::string& path) {
  shell.Execute(0, "open", path, nullptr, nullptr, kSwShowNormal);
}

std::string FoldAsciiUpper(const std::string& text) {
  std::string folded = text;
  for (std::size_t pos = 0; pos < folded.size(); pos += GbkCharLength(folded, pos)) {
    if (folded[pos] >= 'a' && folded[pos] <= 'z') folded[pos] = static_cast<char>(folded[pos] - 'a' + 'A');
  }
  return folded;
}

bool ProcessNameMatches(const std::string& exeFile, const std::string& name) {
  const std::string foldedEntry = FoldAsciiUpper(exeFile);
  const std::string foldedName = FoldAsciiUpper(name);
  return FileNamePart(foldedEntry) == foldedName || foldedEntry == foldedName;
}

void KillProcessByName(ProcessService& processes, const std::string& name) {
  for (const ProcessEntry& entry : processes.Processes()) {
    if (ProcessNameMatches(entry.exeFile, name)) processes.Terminate(entry.id);
  }
}

void DialDefaultConnection(DialUpService& dialUp, WindowHandle mainWindow) {
  dialUp.Autodial(kInternetAutodialForceUnattended, mainWindow);
}

void HangUpDialUp(DialUpService& dialUp, ReminderService& reminders) {
  std::vector<ConnectionHandle> connections;
  if (dialUp.EnumConnections(&connections) != 0) return;
  if (connections.empty()) {
    reminders.ShowReminder("没有可用的拨号连接");
    return;
  }
  reminders.ShowReminder(dialUp.HangUp(connections.front()) == 0 ? "断开成功" : "断开失败");
}

}  // namespace velmaro
