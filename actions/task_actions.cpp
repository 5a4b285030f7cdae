#include "actions/task_actions.h"

#include <vector>

namespace velmaro {

namespace {

// "a" to "z" become "A" to "Z"; every other character stays as it is.
std::u16string FoldAsciiUpper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

}  // namespace

void OpenTaskFile(ShellService& shell, const std::string& path) {
  shell.Execute(0, "open", path, nullptr, nullptr, kSwShowNormal);
}

bool ProcessNameMatches(const std::u16string& exeFile, const std::u16string& name) {
  const std::u16string foldedEntry = FoldAsciiUpper(exeFile);
  const std::u16string foldedName = FoldAsciiUpper(name);
  const std::size_t lastDelimiter = foldedEntry.find_last_of(u"\\:");
  const std::u16string fileName =
      lastDelimiter == std::u16string::npos ? foldedEntry : foldedEntry.substr(lastDelimiter + 1);
  return fileName == foldedName || foldedEntry == foldedName;
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
