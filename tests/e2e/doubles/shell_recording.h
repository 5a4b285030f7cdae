// A shell that passes every call on and also appends each tray icon call to
// a log file, one line such as "Modify DISSHUT Velmaro-禁用" or
// "Balloon 电脑睡眠时关机倒计时已取消" (code page 936),
// so the end-to-end tests can see what the tray shows.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/shell.h"

namespace velmaro {

class RecordingTrayShell : public ShellService {
 public:
  RecordingTrayShell(std::unique_ptr<ShellService> inner, std::string logPath)
      : inner_(std::move(inner)), logPath_(std::move(logPath)) {}

  bool NotifyIcon(NotifyOp op, const NotifyIconData& data) override;
  bool ShowBalloon(const NotifyIconData& icon, const std::string& text) override;
  std::uint32_t RegisterMessage(const std::string& name) override { return inner_->RegisterMessage(name); }
  std::intptr_t Execute(WindowHandle owner, const char* verb, const std::string& file, const char* parameters,
                        const char* directory, std::int32_t showCommand) override {
    return inner_->Execute(owner, verb, file, parameters, directory, showCommand);
  }
  std::intptr_t ExecuteAsUser(WindowHandle owner, const char* verb, const std::string& file, const char* parameters,
                              const char* directory, std::int32_t showCommand) override {
    return inner_->ExecuteAsUser(owner, verb, file, parameters, directory, showCommand);
  }
  void AcceptFromShell(WindowHandle window, std::uint32_t message) override { inner_->AcceptFromShell(window, message); }
  void ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override {
    inner_->ShowMessageBox(text, caption, flags);
  }

 private:
  void Append(const std::string& line);

  std::unique_ptr<ShellService> inner_;
  std::string logPath_;
};

}  // namespace velmaro
