#include "app/main_unit.h"

#include <algorithm>

#include "actions/junk_cleanup.h"
#include "actions/power_actions.h"
#include "platform/error_box.h"

namespace velmaro {

const char kTipEnabled[] = "Velmaro-启用";
const char kTipDisabled[] = "Velmaro-禁用";

namespace {
constexpr std::uint32_t kPlatformWin32Nt = 2;
}

const MenuEntry MainUnit::kPopupMenu[] = {
    {MenuItem::n4, "设置(&S)", &MainUnit::n4Click},
    {MenuItem::Separator, "", nullptr},  // N5
    {MenuItem::n6, kLogOffCaption, &MainUnit::n6Click},
    {MenuItem::n7, "待机(&W)", &MainUnit::n7Click},
    {MenuItem::n8, "休眠(&S)", &MainUnit::n8Click},
    {MenuItem::n9, "重启(&R)", &MainUnit::n9Click},
    {MenuItem::n10, "关机(&U)", &MainUnit::n10Click},
    {MenuItem::n18, "快速重启(&I)", &MainUnit::n18Click},
    {MenuItem::n19, "快速关机(&Q)", &MainUnit::n19Click},
    {MenuItem::n11, "打开光驱(&O)", &MainUnit::n11Click},
    {MenuItem::n12, "关闭光驱(&C)", &MainUnit::n12Click},
    {MenuItem::n13, "关闭显示器(&M)", &MainUnit::n13Click},
    {MenuItem::L1, "清理系统垃圾(&Z)", &MainUnit::L1Click},
    {MenuItem::Separator, "", nullptr},
    {MenuItem::n17, "退出(&X)", &MainUnit::n17Click},
};
const std::size_t MainUnit::kPopupMenuSize = sizeof kPopupMenu / sizeof kPopupMenu[0];

void MainUnit::MenuCommand(MenuItem item) {
  if (Closed()) return;
  for (const MenuEntry& entry : kPopupMenu) {
    if (entry.item == item && entry.click) {
      Guarded(services_.shell, [&] { (this->*entry.click)(); });
      return;
    }
  }
}

void MainUnit::n6Click() { RunPowerOperation(services_.power, PowerOperation::LogOff); }
void MainUnit::n7Click() { RunPowerOperation(services_.power, PowerOperation::StandBy); }
void MainUnit::n8Click() { RunPowerOperation(services_.power, PowerOperation::Hibernate); }
void MainUnit::n9Click() { RunPowerOperation(services_.power, PowerOperation::Restart); }
void MainUnit::n10Click() { RunPowerOperation(services_.power, PowerOperation::PowerOff); }
void MainUnit::n18Click() { RunPowerOperation(services_.power, PowerOperation::FastRestart); }
void MainUnit::n19Click() { RunPowerOperation(services_.power, PowerOperation::FastPowerOff); }
void MainUnit::n11Click() { OpenCdTray(services_.power, view_.Handle()); }
void MainUnit::n12Click() { CloseCdTray(services_.power, view_.Handle()); }
void MainUnit::n13Click() { TurnMonitorOff(services_.power); }

void MainUnit::L1Click() {
  RunJunkCleanup(-1, view_.Handle(), services_.clock, services_.session, services_.processes, services_.shell);
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
  // Open dialogs and editors must not reach the store once it is released.
  if (dialogs_) dialogs_->Close();
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

void MainUnit::n4Click() {
  if (!dialogs_) {
    const DialogServices services{services_.shell, services_.clock,     services_.session,
                                  services_.files, services_.autoStart, services_.dialogWindows};
    dialogs_ = std::make_unique<Dialogs>(services, *Store, settings, *this);
  }
  dialogs_->OpenSettings();
}

void MainUnit::Timer3Timer() {
  view_.SetTimer(TimerId::Timer1, true);
  view_.SetTimer(TimerId::Timer3, false);
}

// Stand-ins until the monitoring switch lands: the tick stops and starts
// without regard to monitoring.
void MainUnit::StopEvaluation() { view_.SetTimer(TimerId::Timer1, false); }
void MainUnit::ResumeEvaluation() { view_.SetTimer(TimerId::Timer1, true); }
// A negative countdown length is no valid progress range, as at start-up.
void MainUnit::SetCountdownMax(std::int32_t tishi) { view_.SetProgressMax(std::max<std::int32_t>(tishi, 0)); }

}  // namespace velmaro
