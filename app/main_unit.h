// The logic of the main window `Form1`: start-up, exit and the process-wide
// values that live as long as the program. The Win32 window `TForm1` creates
// the controls and timers and forwards its events here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/menu.h"
#include "dialogs/dialog_windows.h"
#include "dialogs/dialogs.h"
#include "dialogs/main_window_link.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "store/registry_object.h"
#include "store/task_store.h"

namespace velmaro {

enum class TimerId : unsigned { Timer1 = 1, Timer2 = 2, Timer3 = 3 };

constexpr std::uint32_t kTimer1Interval = 10000;  // the evaluation tick
constexpr std::uint32_t kTimer2Interval = 1000;   // the countdown tick
constexpr std::uint32_t kTimer3Interval = 60000;  // the evaluation pause

extern const char kTipEnabled[];   // "Velmaro-启用"
extern const char kTipDisabled[];  // "Velmaro-禁用"

// What the logic needs of the window itself.
class Form1View {
 public:
  virtual ~Form1View() = default;
  virtual WindowHandle Handle() = 0;
  // Enabling a timer starts a fresh period.
  virtual void SetTimer(TimerId timer, bool enabled) = 0;
  virtual void SetProgressMax(std::int32_t maximum) = 0;
  virtual void SetMenuCaption(MenuItem item, const std::string& caption) = 0;
  virtual void MakeTopmost() = 0;
  // Closes the window; its close handler runs before this returns.
  virtual void Close() = 0;
};

struct AppServices {
  RegistryService& registry;
  ShellService& shell;
  SessionService& session;
  PowerService& power;
  ProcessService& processes;
  ClockService& clock;
  FileDialogService& files;
  AutoStartService& autoStart;
  DialogWindows& dialogWindows;
};

class MainUnit;

struct MenuEntry {
  MenuItem item;
  const char* caption;  // code page 936; "&" marks the access key
  void (MainUnit::*click)();
};

class MainUnit : public MainWindowLink {
 public:
  MainUnit(const AppServices& services, Form1View& view) : services_(services), view_(view) {}

  void FormCreate();
  void FormClose();
  // The shell's taskbar was re-created: put the icon back as it was.
  void TaskbarCreated();

  void Timer1Timer() {}
  void Timer2Timer() {}
  void Timer3Timer();

  // The tray menu, top to bottom, and its commands. The power, drive and
  // display commands act at once: no countdown, no closing of programs.
  static const MenuEntry kPopupMenu[];
  static const std::size_t kPopupMenuSize;
  void MenuCommand(MenuItem item);

  void n6Click();
  void n7Click();
  void n8Click();
  void n9Click();
  void n10Click();
  void n18Click();
  void n19Click();
  void n11Click();
  void n12Click();
  void n13Click();
  void L1Click();
  void n17Click() { view_.Close(); }
  void n4Click();

  // MainWindowLink, for the settings dialog.
  void StopEvaluation() override;
  void ResumeEvaluation() override;
  void SetCountdownMax(std::int32_t tishi) override;

  bool Closed() const { return !Reg; }

  // Process-wide values.
  Settings settings;  // ShutApp, SoundPath, Tishi, LastTaskNum
  std::string PendingAction;
  NotifyIconData NotifyData;
  std::uint32_t TaskbarCreatedMsg = 0;
  std::unique_ptr<RegistryObject> Reg;
  std::unique_ptr<TaskStore> Store;

 private:
  AppServices services_;
  Form1View& view_;
  // Created with the first settings dialog; the dialogs live until the program ends.
  std::unique_ptr<Dialogs> dialogs_;
};

}  // namespace velmaro
