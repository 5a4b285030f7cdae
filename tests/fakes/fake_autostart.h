// The Task Scheduler as one optional logon task, on a system that has it or
// not, with a failure switch.
#pragma once

#include <optional>
#include <string>

#include "base/error.h"
#include "platform/autostart.h"

namespace velmaro {

class FakeAutoStart : public AutoStartService {
 public:
  std::u16string ExecutablePath() override { return path; }
  bool HasLogonTasks() override { return hasLogonTasks; }
  void RegisterLogonTask(const std::u16string& exePath) override {
    if (failTasks) throw AppError("Failed to register the logon task 'Velmaro'");
    logonTask = exePath;
  }
  void DeleteLogonTask() override {
    if (failTasks) throw AppError("Failed to delete the logon task 'Velmaro'");
    logonTask.reset();
  }

  std::u16string path = u"C:\\Program Files\\Velmaro\\Velmaro.exe";
  bool hasLogonTasks = true;
  bool failTasks = false;
  std::optional<std::u16string> logonTask;  // the program the task starts
};

}  // namespace velmaro
