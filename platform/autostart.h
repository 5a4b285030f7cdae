// Starting the program with Windows beyond the Run value: on Windows Vista
// and later, User Account Control skips every Run entry of a program that
// asks for administrator rights, so a logon task of the Task Scheduler starts
// it there instead.
#pragma once

#include <memory>
#include <string>

namespace velmaro {

// The task's name and path in the Task Scheduler; the installer creates and
// removes a task of the same name.
extern const char16_t kLogonTaskName[];  // u"Velmaro", path \Velmaro

class AutoStartService {
 public:
  virtual ~AutoStartService() = default;
  // Full path of the running executable, exactly as the system reports it.
  virtual std::u16string ExecutablePath() = 0;
  // False where the system has no Task Scheduler 2.0 (Windows XP): the Run
  // value alone starts the program there.
  virtual bool HasLogonTasks() = 0;
  // Creates or replaces the task that starts `exePath` with the highest
  // privileges at any user's logon. Throws AppError when it cannot.
  virtual void RegisterLogonTask(const std::u16string& exePath) = 0;
  // Removes the task; a task that does not exist is no failure. Throws
  // AppError when it cannot.
  virtual void DeleteLogonTask() = 0;
};

// The running system's autostart (Windows builds only).
std::unique_ptr<AutoStartService> MakeSystemAutoStart();

}  // namespace velmaro
