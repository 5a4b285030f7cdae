#include "app/tray_icon.h"

#include "base/gbk.h"
#include "scheduler/tick_window.h"

namespace velmaro {

const char kTipEnabled[] = "Velmaro-启用";
const char kTipDisabled[] = "Velmaro-禁用";

std::string TrayTip(bool monitoring, const Postponements& postponements, ClockService& clock,
                    const std::string& timer) {
  std::string tip = monitoring ? kTipEnabled : kTipDisabled;
  if (!timer.empty()) tip += "：定时 " + timer;
  const std::uint32_t now = clock.TickCount();
  if (const Postponement* next = postponements.Next(now)) {
    const ClockSnapshot local = clock.LocalTime();
    const std::int64_t inMinuteMs = local.wSecond * 1000 + local.wMilliseconds;
    const ClockSnapshot at =
        LocalMinuteAt(LocalMinuteOf(local) + (inMinuteMs + static_cast<std::int64_t>(next->Left(now))) / 60000);
    tip += (timer.empty() ? "：" : "；") + TwoDigits(at.wHour) + ":" + TwoDigits(at.wMinute) + " " + next->verb;
  }
  return tip;
}

void TrayIcon::Add(WindowHandle window) {
  taskbarCreated_ = shell_.RegisterMessage("TaskbarCreated");
  data_ = NotifyIconData();
  data_.hWnd = window;
  // The program runs elevated, the shell that announces its restart does not.
  shell_.AcceptFromShell(window, taskbarCreated_);
  data_.hIcon = AppIcon::MAINICON;
  SetTip(data_, kTipEnabled);
  Put();
}

void TrayIcon::Put() {
  shown_ = shell_.NotifyIcon(NotifyOp::Add, data_);
  if (!shown_) return;
  std::vector<std::string> kept;
  kept.swap(kept_);
  for (const std::string& text : kept) Balloon(text);
}

void TrayIcon::TaskbarCreated() { Put(); }

void TrayIcon::Retry() {
  if (!shown_ && data_.hWnd) Put();
}

void TrayIcon::Show(AppIcon icon, const std::string& tip) {
  data_.hIcon = icon;
  SetTip(data_, tip);
  if (shown_) shown_ = shell_.NotifyIcon(NotifyOp::Modify, data_);
}

void TrayIcon::Balloon(const std::string& text) {
  if (shown_ && shell_.ShowBalloon(data_, text)) return;
  // A few are worth showing late; a stream of them is not.
  constexpr std::size_t kKeptBalloons = 3;
  if (kept_.size() == kKeptBalloons) kept_.erase(kept_.begin());
  kept_.push_back(text);
}

void TrayIcon::Remove() {
  shell_.NotifyIcon(NotifyOp::Delete, data_);
  shown_ = false;
}

}  // namespace velmaro
