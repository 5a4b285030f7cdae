// The logic of the main window `Form1`: start-up and exit, the monitoring
// switch, the evaluation tick with its pause, the countdown, the tray menu and
// the process-wide values that live as long as the program. The Win32 window
// `TForm1` creates the controls and timers and forwards its events here.
//
// The three timers, as the logic drives them:
//   Timer1  10 s  evaluation tick; runs only while monitoring is on, start-up
//                 is through, no settings dialog is open, the computer is not
//                 going to sleep, and no pause or countdown holds it
//                 (EvaluationRuns)
//   Timer2   1 s  countdown tick, while the countdown window shows
//   Timer3  60 s  end of the pause that follows an immediate action
//   Timer4  10 s  the condition tasks' measures while Timer1 is held
//                 (EvaluationGate::Measures) and a condition task is watched
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actions/action_table.h"
#include "actions/countdown.h"
#include "actions/reminder.h"
#include "app/about.h"
#include "app/countdown_handover.h"
#include "app/evaluation_gate.h"
#include "app/postponements.h"
#include "app/wake_timer.h"
#include "app/warnings_ahead.h"
#include "app/menu.h"
#include "dialogs/dialog_windows.h"
#include "dialogs/dialogs.h"
#include "dialogs/main_window_link.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/dialup.h"
#include "platform/file_dialog.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/record_file.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/system_load.h"
#include "platform/wake.h"
#include "scheduler/run_record.h"
#include "scheduler/task_evaluator.h"
#include "store/registry_object.h"
#include "store/task_options.h"
#include "store/task_store.h"

namespace velmaro {

enum class TimerId : unsigned { Timer1 = 1, Timer2 = 2, Timer3 = 3, Timer4 = 4 };

constexpr std::uint32_t kTimer1Interval = 10000;  // the evaluation tick
constexpr std::uint32_t kTimer2Interval = 1000;   // the countdown tick
constexpr std::uint32_t kTimer3Interval = 60000;  // the evaluation pause
constexpr std::uint32_t kTimer4Interval = 10000;  // the measures, as often as the tick reads them

extern const char kTipEnabled[];   // "Velmaro-启用"
extern const char kTipDisabled[];  // "Velmaro-禁用"

// What the logic needs of the window itself.
class Form1View : public CountdownView {
 public:
  virtual WindowHandle Handle() = 0;
  // The application's own hidden window, which owns the program's windows.
  virtual WindowHandle ApplicationHandle() = 0;
  // Enabling a stopped timer starts a fresh period; enabling a running one
  // changes nothing.
  virtual void SetTimer(TimerId timer, bool enabled) = 0;
  virtual void SetProgressMax(std::int32_t maximum) = 0;
  virtual void SetMenuCaption(MenuItem item, const std::string& caption) = 0;
  virtual void SetMenuChecked(MenuItem item, bool checked) = 0;
  virtual void MakeTopmost() = 0;
  // A tick as soon as the current message is handled (posted, not run
  // inside the caller's handler).
  virtual void EvaluateSoon() = 0;
  // Closes the window; its close handler runs before this returns.
  virtual void Close() = 0;
  virtual void SetMenuEnabled(MenuItem item, bool enabled) = 0;
  // The countdown's postpone menu, under its button: the minutes chosen, or
  // 0 when the menu was left without a choice. Returns once the menu closes.
  virtual std::int32_t ChoosePostponement() = 0;
  // The small window a click on a warning balloon opens, with `text`; its
  // buttons come back as WarningRunNow, WarningPostpone and WarningSkip.
  virtual void ShowWarning(const std::string& text) = 0;
};

// The countdown's postpone menu, top to bottom.
struct PostponeChoice {
  std::int32_t minutes;
  const char* caption;  // code page 936; "&" marks the access key
};
extern const PostponeChoice kPostponeChoices[4];  // 5, 10, 30 and 60 minutes



struct AppServices {
  RegistryService& registry;
  ShellService& shell;
  SessionService& session;
  PowerService& power;
  ProcessService& processes;
  ClockService& clock;
  DialUpService& dialUp;
  ReminderService& reminders;
  SoundService& sound;
  FileDialogService& files;
  AutoStartService& autoStart;
  DialogWindows& dialogWindows;
  AboutService& about;
  RecordFileService& records;
  SystemLoadService& load;  // for the condition tasks, with `processes`
  WakeService& wake;
};

// `text` as a menu caption shows it: every "&" doubled, so that a user name
// such as "R&D" marks no access key.
std::string MenuText(const std::string& text);

class MainUnit;

// A row of the tray menu: a separator has neither a handler nor an operation.
struct MenuEntry {
  MenuItem item;
  const char* caption;  // code page 936; "&" marks the access key
  void (MainUnit::*click)();
  std::optional<PowerOperation> power;
};

class MainUnit : public MainWindowLink {
 public:
  MainUnit(const AppServices& services, Form1View& view)
      : services_(services),
        view_(view),
        countdown_(view, services.sound),
        evaluator_(services.load, services.processes),
        record_(services.records, services.clock),
        wakeTimer_(services.wake) {}

  void FormCreate();
  void FormClose();
  bool Closed() const { return gate_.Closed(); }
  // The shell's taskbar was re-created: put the icon back as it was.
  void TaskbarCreated();
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
  void N1Click() { SetMonitoring(!gate_.Monitoring()); }
  bool MonitoringOn() const { return gate_.Monitoring(); }
  std::size_t RememberedRuns() const { return evaluator_.Remembered(); }
  // The wake timer as last set, and whether the computer is kept awake for
  // the task it woke for.
  const std::optional<WakeTarget>& WakeSet() const { return wakeTimer_.Set(); }
  bool KeepsAwake() const { return wakeTimer_.KeepsAwake(); }

  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void Timer4Timer() { evaluator_.SampleConditions(services_.clock); }
  // The countdown window's buttons: execute now, cancel (also Esc), and
  // postpone, which offers kPostponeChoices.
  void BitBtn1Click();
  void BitBtn2Click();
  void BitBtn3Click();
  // Ends the countdown without running its action; the same task is counted
  // down again once `minutes` are over. Kept in memory only.
  void Postpone(std::int32_t minutes);
  std::size_t Postponed() const { return postponements_.Size(); }

  // The warning balloon of a coming countdown task was clicked.
  void BalloonClicked();
  // The warning window's buttons, for the task whose balloon opened it,
  // until its minute: run it now without a countdown, postpone it from its
  // minute, or skip this occurrence only.
  void WarningRunNow();
  void WarningPostpone(std::int32_t minutes);
  void WarningSkip();
  // How long a minute of a postponement lasts: the end-to-end build shortens
  // it so that its tests need not wait minutes.
  void SetPostponeMinute(std::uint32_t ms) { postponeMinuteMs_ = ms; }

  // The tray menu, top to bottom, and its commands. The power, drive and
  // display commands act at once: no countdown, no closing of programs.
  static const MenuEntry kPopupMenu[];
  static const std::size_t kPopupMenuSize;
  // The row of `item`, or null for a separator or an id of no item.
  static const MenuEntry* FindMenuEntry(MenuItem item);
  void MenuCommand(MenuItem item);

  void n11Click();
  void n12Click();
  void n13Click();
  void L1Click();
  void N20Click();
  void n15Click();
  void n16Click();
  void n17Click() { view_.Close(); }
  void n4Click();
  void N21Click();
  void N22Click();

  // MainWindowLink, for the settings dialogs: the evaluation stops while any
  // is open, once per dialog opened and closed.
  void StopEvaluation() override;
  void ResumeEvaluation() override;
  void SetCountdownMax(std::int32_t tishi) override;

  // Process-wide values.
  Settings settings;  // ShutApp, SoundPath, Tishi, LastTaskNum
  std::uint32_t TaskbarCreatedMsg = 0;
  // The verb of the countdown that shows, or of the last one; cleared by an
  // immediate action while no countdown shows.
  const std::string& PendingAction() const { return pendingAction_; }
  // The tray icon as last given to the shell.
  const NotifyIconData& NotifyData() const { return notifyData_; }

 private:
  void SetMonitoring(bool on);
  void RunDueTask(const DueTask& task);
  // One line in the record of what ran.
  void Record(const DueTask& task, RecordOutcome outcome, const std::string& detail = std::string());
  // Runs the verb's operation for `task` and records what the system said.
  void RunVerb(const DueTask& task, const std::string& verb);
  void RunImmediateAction(ActionId action, std::int32_t slot, TaskStore& store);
  void StartPause();
  bool EvaluationRuns() const;
  // Timer1 on exactly when the evaluation runs: the one place that switches it.
  void UpdateEvaluation();
  void EndInterruptedCountdown();
  void HandOver(const DueTask& task, const std::string& verb);
  void EndCountdownAndRun();
  void ShowTickFailure(const std::string& failure);
  // The wake timer set for the next occurrence of the tasks that wake the
  // computer, or cancelled when there is none; `force` asks the system again.
  void UpdateWake(bool force);
  // Each catch-up task whose latest occurrence of the last 31 days came
  // after its last run runs once, now. Nothing runs while monitoring is off;
  // switched back on, or the program closed while it is off, what was missed
  // meanwhile is passed over, recorded as if it had run.
  enum class CatchUp { Run, PassOver };
  void CatchUpMissed(CatchUp how = CatchUp::Run);
  // A catch-up task that the tick found due: false when it ran for this
  // occurrence before the program restarted; otherwise its run is recorded.
  bool FirstRunOf(const DueTask& task);
  // Both at start and on waking; a failure shows in the error box.
  void CatchUpAndWake();
  void GuardedUpdateWake(bool force);
  // The tip and the postpone item as monitoring and the postponed countdowns
  // stand, given to the shell with the icon.
  void ShowTrayState();
  // Starts the countdown of the first postponed task whose time has come.
  bool RunPostponed();
  // Puts `task` off to `minutes` after `leadMs` from now.
  void PostponeTask(const DueTask& task, const std::string& verb, std::uint32_t leadMs, std::int32_t minutes);
  // The balloon ahead of the first of the coming countdown tasks.
  void WarnAhead(const std::vector<ComingTask>& coming);
  // The task of the warning window, taken for a choice in it: nothing when
  // its minute came meanwhile or it is no longer stored as it was.
  std::optional<ComingTask> TakeWarning();
  // The slot that holds `task` now, read through a store view of its own:
  // the callers may run inside the tick's or a dialog's message loop, whose
  // views must stay as they are. 0 when it is stored no more.
  std::int32_t StoredSlot(const DueTask& task);

  AppServices services_;
  Form1View& view_;
  std::string pendingAction_;
  NotifyIconData notifyData_;
  // The store `Reg` of the dialogs and the start-up.
  std::unique_ptr<RegistryObject> reg_;
  std::unique_ptr<TaskStore> store_;
  Countdown countdown_;
  TaskEvaluator evaluator_;
  // The pause after an immediate action, or a countdown, holds the evaluation
  // until the pause ends, the countdown ends, or a settings dialog closes.
  EvaluationGate gate_;
  // The verb of a countdown that a suspend ended, reported on waking.
  std::string interruptedVerb_;
  // The task whose countdown shows, or showed last.
  CountdownHandover handover_;
  Postponements postponements_;
  std::uint32_t postponeMinuteMs_ = 60000;
  WarningsAhead warnings_;
  // The counter at the last evaluation tick, or when Timer1 last came on:
  // far longer ago than its period only when the computer slept.
  std::uint32_t lastTick_ = 0;
  bool evaluating_ = false;  // Timer1 as last switched
  std::optional<std::int64_t> warnedMinute_;  // the local minute of the last look ahead
  RunRecord record_;
  // The tick's own view of the store: a handler that runs inside an action's
  // message loop (a settings dialog reading the Run key) cannot close it.
  std::unique_ptr<RegistryObject> tickReg_;
  std::unique_ptr<TaskStore> tickStore_;
  bool inTick_ = false;
  bool errorBoxOpen_ = false;
  // The wake and catch-up options of the tasks, shared with the dialogs.
  std::unique_ptr<TaskOptions> options_;
  WakeTimer wakeTimer_;
  std::optional<std::int64_t> wakeMinute_;  // the local minute the wake timer was last worked out in
  std::optional<WakeTarget> wokeFor_;       // the task the computer last woke for
  // Created with the first settings dialog; the dialogs live until the program ends.
  std::unique_ptr<Dialogs> dialogs_;

  // Timer4 on exactly while the measures go on without the tick.
  void UpdateMeasures();
  bool measuring_ = false;  // Timer4 as last switched
};

}  // namespace velmaro
