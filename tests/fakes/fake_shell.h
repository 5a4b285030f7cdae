// A shell that records what the program asked of it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/shell.h"

namespace velmaro {

class FakeShell : public ShellService {
 public:
  struct Notify {
    NotifyOp op;
    NotifyIconData data;
  };
  struct Executed {
    WindowHandle owner;
    bool verbNull;
    std::string verb;
    std::string file;
    bool parametersNull;
    std::string parameters;
    bool directoryNull;
    std::string directory;
    std::int32_t showCommand;
    bool asUser = false;
  };
  struct Box {
    std::string text;
    std::string caption;
    std::uint32_t flags;
  };

  // The notification area as the taskbar keeps it: while there is no
  // taskbar (at logon, before the shell starts) no icon can be added, and
  // an icon that is not there can be neither changed nor given a balloon.
  bool NotifyIcon(NotifyOp op, const NotifyIconData& data) override {
    notifications.push_back({op, data});
    if (!taskbar) return false;
    if (op == NotifyOp::Add) return !std::exchange(iconShown, true);
    if (op == NotifyOp::Delete) return std::exchange(iconShown, false);
    return iconShown;
  }
  bool ShowBalloon(const NotifyIconData&, const std::string& text) override {
    if (!taskbar || !iconShown) return false;
    balloons.push_back(text);
    return true;
  }
  // The shell's taskbar is made anew (it starts at logon, or after a crash),
  // without the icons it had.
  void RestartTaskbar() {
    taskbar = true;
    iconShown = false;
  }
  std::uint32_t RegisterMessage(const std::string& name) override {
    registeredMessages.push_back(name);
    return 0xC123;
  }
  std::intptr_t Execute(WindowHandle owner, const char* verb, const std::string& file, const char* parameters,
                        const char* directory, std::int32_t showCommand) override {
    executed.push_back({owner, verb == nullptr, verb ? verb : "", file, parameters == nullptr,
                        parameters ? parameters : "", directory == nullptr, directory ? directory : "",
                        showCommand});
    return executeResult;
  }
  std::intptr_t ExecuteAsUser(WindowHandle owner, const char* verb, const std::string& file, const char* parameters,
                              const char* directory, std::int32_t showCommand) override {
    const std::intptr_t result = Execute(owner, verb, file, parameters, directory, showCommand);
    executed.back().asUser = true;
    return result;
  }
  void AcceptFromShell(WindowHandle window, std::uint32_t message) override {
    acceptedFromShell.push_back({window, message});
  }
  void ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) override {
    boxes.push_back({text, caption, flags});
    // What happens while the modal box is up: its message loop runs timers and commands.
    if (whileBoxShows) whileBoxShows();
  }

  bool taskbar = true;
  bool iconShown = false;
  // What every Execute returns; 2 (file not found) and the like make it fail.
  std::intptr_t executeResult = 42;
  std::function<void()> whileBoxShows;
  std::vector<Notify> notifications;
  std::vector<std::string> balloons;
  std::vector<std::string> registeredMessages;
  std::vector<Executed> executed;
  std::vector<std::pair<WindowHandle, std::uint32_t>> acceptedFromShell;
  std::vector<Box> boxes;
};

}  // namespace velmaro
