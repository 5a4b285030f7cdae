#pragma once

#include "platform/shell.h"

namespace velmaro {

class Win32Shell : public ShellService {
 public:
  bool NotifyIcon(NotifyOp op, const NotifyIconData& data) override;
  bool ShowBalloon(const NotifyIconData& icon, const std::string& text) override;
  std::uint32_t RegisterMessage(const std::string& name) override;
  std::intptr_t Execute(WindowHandle owner, const char* verb, const std::string& file, const char* parameters,
               const char* directory, std::int32_t showCommand) override;
  std::intptr_t ExecuteAsUser(WindowHandle owner, const char* verb, const std::string& file, const char* parameters,
                              const char* directory, std::int32_t showCommand) override;
  void AcceptFromShell(WindowHandle window, std::uint32_t message) override;
  void ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override;
};

}  // namespace velmaro
