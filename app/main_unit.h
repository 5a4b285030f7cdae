// The logic of the main window `Form1`: start-up and exit, the monitoring
// switch, the tray icon and its menu, and the window's events, each handed
// to the one that owns it. The tick's due tasks go to the TaskRunner, which
// runs and records them; a countdown task's to its CountdownSession; what
// the calendar tasks missed and what wakes the computer come from
// MissedRuns. The Win32 window `TForm1` creates the controls and timers and
// forwards its events here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/power_actions.h"
#include "actions/task_runner.h"
#include "app/app_services.h"
#include "app/command_host.h"
#include "app/countdown_session.h"
#include "app/evaluation_gate.h"
#include "app/form1_view.h"
#include "app/help.h"
#include "app/menu.h"
#include "app/missed_runs.h"
#include "app/postponements.h"
#include "app/quick_timer.h"
#include "app/tray_icon.h"
#include "app/waking.h"
#include "app/warnings_ahead.h"
#include "dialogs/dialogs.h"
#include "dialogs/main_window_link.h"
#include "scheduler/run_record.h"
#include "scheduler/task_evaluator.h"
#include "store/registry_object.h"
#include "store/task_options.h"
#include "store/task_store.h"

namespace velmaro {

class MainUnit : public MainWindowLink, public CommandHost {
 public:
  MainUnit(const AppServices& services, Form1View& view);
  ~MainUnit() override;

  void FormCreate();
  void FormClose();
  bool Closed() const { return evaluation_.gate.Closed(); }
  // The shell's taskbar was re-created: put the icon back as it was.
  void TaskbarCreated();
  std::uint32_t TaskbarCreatedMsg() const { return tray_.TaskbarCreatedMsg(); }
  // The system clock or time zone changed: a tick now, which neither repeats
  // what ran in a local minute that comes again nor catches up minutes that
  // were skipped.
  void TimeChanged();
  // The computer is about to sleep, and has woken. A countdown that shows
  // ends without its action and says so on waking; minutes slept through
  // are not caught up. Windows may say twice that it woke (a timed wake,
  // then the first input): the second notice ends nothing that started
  // since the first.
  void Suspending();
  void Resumed();

  // The monitoring switch, from the menu item `n1`.
  void N1Click() { SetMonitoring(!evaluation_.gate.Monitoring()); }
  std::size_t RememberedRuns() const { return evaluator_.Remembered(); }

  void Timer1Timer();
  void Timer2Timer() { session_.Tick(); }
  void Timer3Timer();
  void Timer4Timer() { evaluator_.SampleConditions(services_.clock); }
  void Timer5Timer() { waking_.Deadline(); }
  // The countdown window's buttons: execute now, cancel (also Esc), and
  // postpone, which offers kPostponeChoices.
  void BitBtn1Click() { session_.ExecuteNow(); }
  void BitBtn2Click();
  void BitBtn3Click();
  // Ends the countdown without running its action; the same task is counted
  // down again once `minutes` are over. Kept in memory only.
  void Postpone(std::int32_t minutes);
  std::size_t Postponed() const { return postponements_.Size(); }
  void SetPostponeMinute(std::uint32_t ms) { session_.SetPostponeMinute(ms); }

  // The warning balloon of a coming countdown task was clicked.
  void BalloonClicked();
  // The warning window's buttons, for the task whose balloon opened it,
  // until its minute: run it now without a countdown, postpone it from its
  // minute, or skip this occurrence only.
  void WarningRunNow();
  void WarningPostpone(std::int32_t minutes);
  void WarningSkip();

  // The tray menu's commands (kPopupMenu). The power, drive and display
  // commands act at once: no countdown, no closing of programs.
  void MenuCommand(MenuItem item);

  void n11Click() { OpenCdTray(services_.power, view_.Handle()); }
  void n12Click() { CloseCdTray(services_.power, view_.Handle()); }
  void n13Click() { TurnMonitorOff(services_.power); }
  void L1Click();
  void N20Click() { OpenDownloadPage(services_.shell); }
  void N23Click() { DropQuickTimer(); }
  void N24Click();
  void n15Click() { services_.about.ShowAbout(); }
  void n16Click() { OpenHelpFile(services_.shell, services_.session, view_.ApplicationHandle()); }
  void n17Click() { view_.Close(); }
  void n4Click();
  void N21Click();
  void N22Click();

  // MainWindowLink, for the settings dialogs: the evaluation stops while any
  // is open, once per dialog opened and closed.
  void StopEvaluation() override;
  void ResumeEvaluation() override;
  void SetCountdownMax(std::int32_t tishi) override;

  // The quick timer, from its dialog and the command line. Setting it
  // replaces the one set (the dialog has asked); cancelling it also ends a
  // countdown that shows.
  bool RunsTimers() const override { return true; }
  std::string SetQuickTimer(const QuickTimerRequest& request) override;
  bool CancelQuickTimer() override;
  StatusReport Status() override;
  bool TasksInUse() const override { return evaluation_.gate.DialogOpen(); }
  void TasksChanged() override;
  bool QuickTimerSet() const { return quick_.IsSet(); }

  // The process-wide settings: ShutApp, SoundPath, Tishi, LastTaskNum, Tiqian.
  Settings settings;
  // The tray icon as last given to the shell.
  const NotifyIconData& NotifyData() const { return tray_.Data(); }

 private:
  void SetMonitoring(bool on);
  // Hands a task the tick found due to the runner, or to the countdown.
  void RunDueTask(const DueTask& task);
  void StartPause();
  // Starts the countdown of the first postponed task whose time has come.
  bool RunPostponed();
  // Runs the quick timer once its time has come, or drops it when it was
  // held back too long. True when it holds the tick (a countdown, the pause).
  bool RunQuickTimer();
  // The first start, with nothing set yet, says where the program is and
  // how it is used; once.
  void Welcome();
  // The quick timer was set, taken or dropped: the tick, the tip and the menu follow.
  void QuickTimerChanged();
  // The menu's 取消定时: the timer alone, a countdown that shows stays.
  bool DropQuickTimer();
  // The tip and the postpone item as monitoring and the postponed countdowns
  // stand, given to the shell with the icon.
  void ShowTrayState();
  void ShowTickFailure(const std::string& failure);
  // The catch-up tasks' missed occurrences run once, then the wake timer is
  // set; both at start and on waking, a failure shown in the error box.
  void CatchUpAndWake();
  void RunCaughtUp(const std::vector<DueTask>& tasks);

  AppServices services_;
  Form1View& view_;
  TrayIcon tray_;
  AppIcon icon_ = AppIcon::MAINICON;  // as monitoring was last switched
  // The store `Reg` of the dialogs and the start-up, and the tick's own view
  // of it: a handler that runs inside an action's message loop (a settings
  // dialog reading the Run key) cannot close the tick's.
  RegistryObject reg_;
  TaskStore store_;
  RegistryObject tickReg_;
  TaskStore tickStore_;
  // The pause after an immediate action, or a countdown, holds the evaluation
  // until the pause ends, the countdown ends, or a settings dialog closes.
  Evaluation evaluation_;
  TaskEvaluator evaluator_;
  RunRecord record_;
  TaskRunner runner_;
  Postponements postponements_;
  QuickTimer quick_;
  CountdownSession session_;
  WarningsAhead warnings_;
  bool inTick_ = false;
  bool errorBoxOpen_ = false;
  // The wake and catch-up options of the tasks, shared with the dialogs.
  TaskOptions options_;
  MissedRuns missed_;
  Waking waking_;
  // Created with the first settings dialog; the dialogs live until the program ends.
  std::unique_ptr<Dialogs> dialogs_;
};

}  // namespace velmaro
