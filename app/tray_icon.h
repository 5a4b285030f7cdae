// The program's icon in the notification area as the shell shows it: its
// picture, its tip ("Velmaro-启用：23:10 关机" while a countdown is postponed)
// and its balloons. At logon the taskbar may not be there yet: the icon is
// added once it is, and a balloon that could not be shown meanwhile is kept
// and shown then (the most recent few).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/postponements.h"
#include "platform/clock.h"
#include "platform/shell.h"

namespace velmaro {

extern const char kTipEnabled[];   // "Velmaro-启用"
extern const char kTipDisabled[];  // "Velmaro-禁用"

// The tip as monitoring, the quick timer and the postponements stand: the
// timer's description ("定时 23:15 关机"), then the local time the soonest
// postponement comes back at, as the clock reads now.
std::string TrayTip(bool monitoring, const Postponements& postponements, ClockService& clock,
                    const std::string& timer = std::string());

class TrayIcon {
 public:
  explicit TrayIcon(ShellService& shell) : shell_(shell) {}

  // Adds the icon to `window`, which hears from now on when the shell's
  // taskbar is made anew (TaskbarCreatedMsg).
  void Add(WindowHandle window);
  std::uint32_t TaskbarCreatedMsg() const { return taskbarCreated_; }
  // The taskbar was made anew: the icon is put back as it was.
  void TaskbarCreated();
  // An icon the shell could not take yet is offered again.
  void Retry();
  void Show(AppIcon icon, const std::string& tip);
  void Balloon(const std::string& text);
  void Remove();
  const NotifyIconData& Data() const { return data_; }

 private:
  // Adds the icon as it stands; the balloons kept meanwhile follow it.
  void Put();

  ShellService& shell_;
  NotifyIconData data_;
  std::uint32_t taskbarCreated_ = 0;
  bool shown_ = false;  // the shell has the icon, as far as it said
  std::vector<std::string> kept_;  // balloons not shown yet, oldest first
};

}  // namespace velmaro
