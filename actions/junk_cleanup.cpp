#include "actions/junk_cleanup.h"

#include "base/gbk.h"
#include "platform/error_box.h"
#include "scheduler/folder_rights.h"

namespace velmaro {

namespace {

// The folder as the security calls name it: "C:\Velmaro" for "C:\Velmaro\",
// but a drive's root keeps its separator. The last byte of a directory part
// is always a real separator, never half of a double-byte character.
std::string WithoutTrailingSeparator(const std::string& directory) {
  const std::size_t size = directory.size();
  if (size > 1 && directory[size - 1] == '\\' && directory[size - 2] != ':') return directory.substr(0, size - 1);
  return directory;
}

}  // namespace

const char kJunkCleanupRefused[] =
    "系统垃圾清理没有运行：Velmaro 所在的文件夹不只有管理员能改动，其中的 QLLJ.bat 可能已被换过。"
    "请把 Velmaro 安装到 Program Files 下再清理。文件夹：";

std::string JunkCleanupLogName(const ClockSnapshot& now) {
  return "清理系统垃圾列表" + std::to_string(now.wYear) + std::to_string(now.wMonth) +
         std::to_string(now.wDay) + "_" + std::to_string(now.wHour) + std::to_string(now.wMinute) +
         std::to_string(now.wSecond) + ".txt";
}

std::string JunkCleanupCommandLine(const std::string& interpreterPath, const std::string& programDirectory,
                                   const std::string& logPath) {
  // With more than two quotation marks after /c, the command interpreter
  // drops the first and the last one; the outer pair is there to be dropped.
  // /d keeps the registry's AutoRun commands from running first (their output
  // would land in the log), /v:off keeps a "!" in either path from being
  // taken for a variable where the registry switches delayed expansion on,
  // and /u makes the interpreter write UTF-16, which holds every file name;
  // it appends to the log that RunJunkCleanup started with a byte-order mark.
  return "\"" + interpreterPath + "\" /d /u /v:off /c \"\"" + programDirectory + "QLLJ.bat\" >> \"" +
         logPath + "\"\"";
}

std::optional<std::string> RunJunkCleanup(std::int32_t showLog, WindowHandle owner, ClockService& clock,
                                          SessionService& session, ProcessService& processes, ShellService& shell) {
  // Two batches side by side would clean the same folders at once, each
  // logging the other's removals as failures.
  if (processes.HiddenRunStillRunning()) return std::string("上一次清理还在运行");
  const std::string directory = DirectoryPart(session.ExecutablePath());
  // Run with administrator rights, a batch that a standard user could have
  // replaced would do whatever they wrote into it.
  // A batch that is not there runs nothing; the folder decides whether one
  // could be put there.
  const FileSecurity batch = session.SecurityOf(directory + "QLLJ.bat");
  if (OpenToStandardUsers(session.SecurityOf(WithoutTrailingSeparator(directory))) ||
      (batch.known && OpenToStandardUsers(batch))) {
    ShowErrorBox(shell, std::string(kJunkCleanupRefused) + directory);
    return std::string("文件夹不只有管理员能改动：") + directory;
  }
  const std::string logPath = directory + JunkCleanupLogName(clock.LocalTime());
  const std::string commandLine = JunkCleanupCommandLine(processes.CommandInterpreterPath(), directory, logPath);
  // Where the log cannot be written, the batch's redirection fails as well.
  processes.StartUnicodeText(logPath);
  // A batch that outlasted the wait is still writing its log.
  switch (processes.RunHidden(commandLine, kJunkCleanupWaitMs)) {
    case RunOutcome::NotStarted: return std::string("QLLJ.bat 无法启动");
    case RunOutcome::StillRunning: return std::nullopt;
    case RunOutcome::Finished: break;
  }
  if (showLog != 0) shell.ExecuteAsUser(owner, "open", logPath, "", "", kSwShowNormal);
  return std::nullopt;
}

}  // namespace velmaro
