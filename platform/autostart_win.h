#pragma once

#include <windows.h>

#include "base/text_win.h"
#include "platform/autostart.h"

namespace velmaro {

// The Task Scheduler 2.0's class id.
extern const CLSID kTaskSchedulerClass;

// Through the Task Scheduler's COM interface, which is created by its class
// id at run time: on Windows XP the class does not exist and the program
// still starts.
class Win32AutoStart : public AutoStartService {
 public:
  // Tests pass a class id that no system has, to stand for Windows XP.
  explicit Win32AutoStart(const CLSID& schedulerClass = kTaskSchedulerClass) : schedulerClass_(schedulerClass) {}

  std::u16string ExecutablePath() override;
  bool HasLogonTasks() override;
  void RegisterLogonTask(const std::u16string& exePath) override;
  void DeleteLogonTask() override;

 private:
  CLSID schedulerClass_;
};

// The task as registered, from the template resources/logon-task.xml that the
// installer registers too: at any user's logon, with the highest privileges,
// no time limit, also on battery, one instance at a time.
WideString LogonTaskXml(const WideString& exePath);

}  // namespace velmaro
