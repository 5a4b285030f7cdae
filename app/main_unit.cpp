#include "app/main_unit.h"

#include <algorithm>

#include "app/error_box.h"

namespace velmaro {

const char kTipEnabled[] = "Velmaro-启用";
const char kTipDisabled[] = "Velmaro-禁用";

namespace {
constexpr std::uint32_t kPlatformWin32Nt = 2;
}

void MainUnit::FormCreate() {
  const OsVersion version = services_.session.Version();
  if (version.major >= 5 || version.platformId == kPlatformWin32Nt) services_.session.EnableShutdownPrivilege();

  view_.SetTimer(TimerId::Timer2, false);

  settings = Settings();
  Reg = std::make_unique<RegistryObject>(services_.registry);
  Store = std::make_unique<TaskStore>(*Reg, settings);
  // A store failure is shown and start-up goes on, so the tray icon and
  // Exit are always there.
  Guarded(services_.shell, [this] { Store->LoadSettings(); });

  TaskbarCreatedMsg = services_.shell.RegisterMessage("TaskbarCreated");

  NotifyData = NotifyIconData();
  NotifyData.hWnd = view_.Handle();
  NotifyData.hIcon = AppIcon::MAINICON;
  SetTip(NotifyData, kTipEnabled);
  services_.shell.NotifyIcon(NotifyOp::Add, NotifyData);

  // A negative stored countdown length is no valid progress range.
  view_.SetProgressMax(std::max<std::int32_t>(settings.Tishi, 0));

  view_.SetMenuCaption(MenuItem::n6, std::string(kLogOffCaption) + " " + services_.session.UserName());
  view_.MakeTopmost();
}

void MainUnit::FormClose() {
  // No tick may reach the store once it is released.
  view_.SetTimer(TimerId::Timer1, false);
  view_.SetTimer(TimerId::Timer2, false);
  view_.SetTimer(TimerId::Timer3, false);
  services_.shell.NotifyIcon(NotifyOp::Delete, NotifyData);
  Store.reset();
  Reg.reset();
}

void MainUnit::TaskbarCreated() {
  if (!Closed()) services_.shell.NotifyIcon(NotifyOp::Add, NotifyData);
}

void MainUnit::Timer3Timer() {
  view_.SetTimer(TimerId::Timer1, true);
  view_.SetTimer(TimerId::Timer3, false);
}

}  // namespace velmaro
