#include "app/main_unit.h"

#include <algorithm>
#include <optional>

#include "actions/close_other_windows.h"
#include "actions/junk_cleanup.h"
#include "actions/power_actions.h"
#include "actions/task_actions.h"
#include "app/help.h"
#include "base/error.h"
#include "base/gbk.h"
#include "platform/error_box.h"
#include "scheduler/tick_window.h"

namespace velmaro {

const char kTipEnabled[] = "Velmaro-启用";
const char kTipDisabled[] = "Velmaro-禁用";

namespace {

constexpr std::uint32_t kPlatformWin32Nt = 2;

// Clears a flag however the scope is left.
class FlagScope {
 public:
  explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~FlagScope() { flag_ = false; }
  FlagScope(const FlagScope&) = delete;
  FlagScope& operator=(const FlagScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

MainUnit::MainUnit(const AppServices& services, Form1View& view)
    : services_(services),
      view_(view),
      evaluation_(view, services.clock),
      evaluator_(services.load, services.processes),
      record_(services.records, services.clock),
      runner_(ActionServices{services.shell, services.session, services.power, services.processes, services.clock,
                             services.dialUp, services.reminders},
              view, record_),
      session_(CountdownServices{view, services.sound, services.processes, services.clock}, settings, evaluation_,
               postponements_, runner_),
      missed_(services.clock, services.wake, services.registry, settings),
      wakeTimer_(services.wake) {}

// Out of line, so that the program has one copy of it.
MainUnit::~MainUnit() = default;

std::string MenuText(const std::string& text) {
  std::string shown;
  for (char c : text) {
    shown += c;
    // "&" is a single byte in code page 936: never the second byte of a
    // double-byte character, whose second bytes start at 0x40.
    if (c == '&') shown += '&';
  }
  return shown;
}

#define VELMARO_MENU_CLICK(name, id, caption, handler) {MenuItem::name, caption, &MainUnit::handler, std::nullopt},
#define VELMARO_MENU_POWER(name, id, caption, operation) {MenuItem::name, caption, nullptr, PowerOperation::operation},
#define VELMARO_MENU_SEPARATOR(name) {MenuItem::Separator, "", nullptr, std::nullopt},
const MenuEntry MainUnit::kPopupMenu[] = {
    VELMARO_POPUP_MENU(VELMARO_MENU_CLICK, VELMARO_MENU_POWER, VELMARO_MENU_SEPARATOR)};
#undef VELMARO_MENU_CLICK
#undef VELMARO_MENU_POWER
#undef VELMARO_MENU_SEPARATOR
const std::size_t MainUnit::kPopupMenuSize = sizeof kPopupMenu / sizeof kPopupMenu[0];

const MenuEntry* MainUnit::FindMenuEntry(MenuItem item) {
  if (item == MenuItem::Separator) return nullptr;
  for (const MenuEntry& entry : kPopupMenu) {
    if (entry.item == item) return &entry;
  }
  return nullptr;
}

void MainUnit::MenuCommand(MenuItem item) {
  if (Closed()) return;
  const MenuEntry* entry = FindMenuEntry(item);
  if (!entry) return;
  Guarded(services_.shell, [&] {
    if (entry->power) {
      RunPowerOperation(services_.power, *entry->power);
    } else {
      (this->*entry->click)();
    }
  });
}

void MainUnit::n11Click() { OpenCdTray(services_.power, view_.Handle()); }
void MainUnit::n12Click() { CloseCdTray(services_.power, view_.Handle()); }
void MainUnit::n13Click() { TurnMonitorOff(services_.power); }

void MainUnit::L1Click() {
  RunJunkCleanup(-1, view_.ApplicationHandle(), services_.clock, services_.session, services_.processes,
                 services_.shell);
}

void MainUnit::N20Click() { OpenDownloadPage(services_.shell); }
void MainUnit::n15Click() { services_.about.ShowAbout(); }
void MainUnit::n16Click() { OpenHelpFile(services_.shell, services_.session, view_.ApplicationHandle()); }

void MainUnit::N21Click() {
  postponements_.Clear();
  ShowTrayState();
}

void MainUnit::N22Click() {
  const std::string path = record_.Path();
  if (path.empty() || services_.records.Size(path) < 0) {
    services_.shell.ShowMessageBox("还没有运行记录。", "Velmaro", kMbOk | kMbIconInformation);
    return;
  }
  services_.shell.ExecuteAsUser(view_.ApplicationHandle(), "open", path, "", "", kSwShowNormal);
}

void MainUnit::FormCreate() {
  EvaluationGate& gate = evaluation_.gate;
  gate.SetStarting(true);
  struct EndOfStart {
    EvaluationGate& gate;
    ~EndOfStart() { gate.SetStarting(false); }
  } endOfStart{gate};
  const OsVersion version = services_.session.Version();
  if (version.major >= 5 || version.platformId == kPlatformWin32Nt) services_.session.EnableShutdownPrivilege();

  view_.SetTimer(TimerId::Timer2, false);

  settings = Settings();
  reg_ = std::make_unique<RegistryObject>(services_.registry);
  store_ = std::make_unique<TaskStore>(*reg_, settings);
  tickReg_ = std::make_unique<RegistryObject>(services_.registry);
  tickStore_ = std::make_unique<TaskStore>(*tickReg_, settings);
  // A store failure is shown once start-up is through, so the tray icon and
  // Exit are always there. The settings that could not be loaded are named
  // in one box and run at their defaults; the others, and so the tasks, are
  // as stored.
  std::optional<std::string> failure;
  try {
    failure = store_->LoadSettings();
  } catch (const AppError& error) {
    failure = error.what();
  }
  store_->CloseStore();
  options_ = std::make_unique<TaskOptions>(services_.registry);
  try {
    options_->Load(*store_);
  } catch (const AppError& error) {
    if (!failure) failure = error.what();
  }
  missed_.SetOptions(options_.get());

  TaskbarCreatedMsg = services_.shell.RegisterMessage("TaskbarCreated");

  notifyData_ = NotifyIconData();
  notifyData_.hWnd = view_.Handle();
  // The program runs elevated, the shell that announces its restart does not.
  services_.shell.AcceptFromShell(notifyData_.hWnd, TaskbarCreatedMsg);
  notifyData_.hIcon = AppIcon::MAINICON;
  SetTip(notifyData_, kTipEnabled);
  services_.shell.NotifyIcon(NotifyOp::Add, notifyData_);
  view_.SetMenuEnabled(MenuItem::N21, false);

  // A negative stored countdown length is no valid progress range.
  view_.SetProgressMax(std::max<std::int32_t>(settings.Tishi, 0));

  view_.SetMenuCaption(MenuItem::n6,
                       std::string(FindMenuEntry(MenuItem::n6)->caption) + " " + MenuText(services_.session.UserName()));
  view_.SetMenuChecked(MenuItem::n1, gate.Monitoring());
  view_.MakeTopmost();

  if (failure) {
    ShowErrorBox(services_.shell, *failure);
    if (Closed()) return;  // the box's message loop may have closed the program
  }
  // No tick before start-up is through, whatever the user did meanwhile.
  gate.SetStarting(false);
  evaluation_.Update();
  CatchUpAndWake();
}

void MainUnit::FormClose() {
  if (Closed()) return;
  // What the catch-up tasks missed while monitoring was off is not caught
  // up at the next start either. Closing, the program has no box to show a
  // store failure in; the next start reads the store afresh.
  if (!evaluation_.gate.Monitoring()) {
    try {
      missed_.Walk(MissedRuns::Missed::PassOver, false);
    } catch (const AppError&) {
    }
  }
  evaluation_.gate.Close();
  // Open dialogs and editors must not reach the store once the program closes.
  if (dialogs_) dialogs_->Close();
  evaluation_.Update();
  session_.Close();
  view_.SetTimer(TimerId::Timer3, false);
  wakeTimer_.Keep(std::nullopt, false);
  wakeTimer_.Release();
  services_.shell.NotifyIcon(NotifyOp::Delete, notifyData_);
  // The store objects stay until the process ends, so a handler that
  // resumes from a nested message loop finds them; Closed() keeps it away.
  if (reg_) reg_->CloseKey();
}

void MainUnit::TaskbarCreated() {
  if (!Closed()) services_.shell.NotifyIcon(NotifyOp::Add, notifyData_);
}

void MainUnit::TimeChanged() {
  if (Closed()) return;
  // The postponements keep their time on the counter; the tip's clock moved.
  if (!postponements_.Empty()) ShowTrayState();
  GuardedUpdateWake(true);
  if (evaluation_.Runs()) view_.EvaluateSoon();
}

void MainUnit::Suspending() {
  if (Closed()) return;
  evaluation_.gate.Suspend();
  // Asleep, it needs no keeping awake; the timer stays set to wake it.
  wakeTimer_.Release();
  session_.EndOnSuspend();
  evaluation_.Update();
}

void MainUnit::Resumed() {
  if (Closed()) return;
  const bool noticed = evaluation_.gate.Resume();
  const std::uint32_t now = services_.clock.TickCount();
  // Without a suspend notice this is either the second notice of one wake,
  // which must leave a countdown started since the first alone, or a sleep
  // without notice, which stopped the count and the ticks.
  if (!noticed && !session_.Stalled(now) && !evaluation_.TicksStalled(now, kCountdownStallMs)) {
    evaluation_.Update();
    return;
  }
  const std::size_t postponed = postponements_.Size();
  const std::optional<std::string> interrupted = session_.Woke(now);
  if (postponements_.Size() != postponed) ShowTrayState();
  evaluation_.gate.Release();
  view_.SetTimer(TimerId::Timer3, false);
  evaluator_.ForgetGap();
  evaluator_.ConditionsSlept();
  if (interrupted) services_.shell.ShowBalloon(notifyData_, "电脑睡眠时" + *interrupted + "倒计时已取消");
  if (const std::optional<WakeTarget> woke = wakeTimer_.Resumed(services_.wake.Now())) {
    wokeFor_ = woke;
    runner_.Record(StoredTask(woke->task), RecordOutcome::Woke);
  }
  CatchUpAndWake();
  if (Closed()) return;
  evaluation_.Update();
  if (evaluation_.Runs()) view_.EvaluateSoon();
}

void MainUnit::SetMonitoring(bool on) {
  EvaluationGate& gate = evaluation_.gate;
  const bool switched = on != gate.Monitoring();
  // Minutes while monitoring was off are the user's choice, not a gap to catch up.
  if (on && switched) {
    evaluator_.ForgetGap();
    evaluator_.ForgetConditions();
    Guarded(services_.shell, [&] { missed_.Walk(MissedRuns::Missed::PassOver, false); });
  }
  gate.SetMonitoring(on);
  evaluation_.Update();
  // Nothing runs while it is off: nothing to wake the computer or stay awake for.
  if (!on) wakeTimer_.Release();
  if (switched && !Closed()) GuardedUpdateWake(false);
  view_.SetMenuChecked(MenuItem::n1, on);
  // Monitoring off drops what was postponed: nothing runs while it is off.
  if (!on) postponements_.Clear();
  notifyData_.hIcon = on ? AppIcon::ENASHUT : AppIcon::DISSHUT;
  ShowTrayState();
}

void MainUnit::ShowTrayState() {
  std::string tip = evaluation_.gate.Monitoring() ? kTipEnabled : kTipDisabled;
  const std::uint32_t now = services_.clock.TickCount();
  // "Velmaro-启用：23:10 关机", the local time it comes back at as the clock
  // reads now.
  if (const Postponement* next = postponements_.Next(now)) {
    const ClockSnapshot local = services_.clock.LocalTime();
    const std::int64_t inMinuteMs = local.wSecond * 1000 + local.wMilliseconds;
    const ClockSnapshot at =
        LocalMinuteAt(LocalMinuteOf(local) + (inMinuteMs + static_cast<std::int64_t>(next->Left(now))) / 60000);
    tip += "：" + TwoDigits(at.wHour) + ":" + TwoDigits(at.wMinute) + " " + next->verb;
  }
  SetTip(notifyData_, tip);
  view_.SetMenuEnabled(MenuItem::N21, !postponements_.Empty());
  services_.shell.NotifyIcon(NotifyOp::Modify, notifyData_);
}

void MainUnit::StopEvaluation() {
  evaluation_.gate.DialogOpened();
  evaluation_.Update();
}

void MainUnit::ResumeEvaluation() {
  evaluation_.gate.DialogClosed();
  evaluation_.Update();
  // The dialog may have changed what wakes the computer.
  GuardedUpdateWake(false);
}

// A negative countdown length is no valid progress range, as at start-up.
void MainUnit::SetCountdownMax(std::int32_t tishi) { view_.SetProgressMax(std::max<std::int32_t>(tishi, 0)); }

void MainUnit::Timer1Timer() {
  // A nested message loop inside an action (the shell opening a file, the
  // system dialling) may deliver the next tick before this one is through.
  if (inTick_ || !evaluation_.Runs()) return;
  const std::uint32_t now = services_.clock.TickCount();
  evaluation_.Ticked(now);
  const std::int64_t minute = LocalMinuteOf(services_.clock.LocalTime());
  if (wakeTimer_.KeepsAwake()) wakeTimer_.Beat(now, (wokeFor_ && wokeFor_->occurrence >= minute) || session_.Showing());
  if (wakeMinute_ != minute) {
    try {
      UpdateWake(false);
    } catch (const AppError&) {
      // A store that cannot be read now is the tick's to report.
    }
  }
  // A postponed countdown first; the minutes it holds the tick are caught up after it.
  if (RunPostponed()) return;
  std::optional<std::string> failure;
  {
    FlagScope ticking(inTick_);
    const TickWindow window = evaluator_.NextWindow(services_.clock);
    // The tick comes six times a minute; the warnings are looked for once.
    TaskEvaluator::LookAhead ahead;
    const bool lookAhead = settings.Tiqian > 0 && !window.localKeys.empty() && warnedMinute_ != window.localKeys.back();
    if (lookAhead) {
      warnedMinute_ = window.localKeys.back();
      ahead.minutes = {settings.Tiqian};
      if (settings.Tiqian != 1) ahead.minutes.push_back(1);
    }
    failure = evaluator_.Tick(*tickStore_, window, services_.clock, [this](const DueTask& task) {
      RunDueTask(task);
      return !Closed();
    }, lookAhead ? &ahead : nullptr);
    if (!Closed()) {
      if (const std::optional<std::string> text = warnings_.Balloon(ahead.coming)) {
        services_.shell.ShowBalloon(notifyData_, *text);
      }
    }
  }
  if (failure && !Closed()) ShowTickFailure(*failure);
}

void MainUnit::RunDueTask(const DueTask& task) {
  if (!missed_.FirstRun(task)) return;
  const TaskOutcome outcome = runner_.Run(task, RunStart::Due);
  if (outcome.kind == TaskOutcome::Kind::CountsDown) {
    const std::size_t postponed = postponements_.Size();
    session_.Start(task, *outcome.row);
    if (postponements_.Size() != postponed) ShowTrayState();
    return;
  }
  // The pause follows an action that failed (a file that would not open) as
  // it follows one that ran; the failure is the tick's to show.
  if (outcome.Pauses() && !Closed()) StartPause();
  if (outcome.shown) throw AppError(outcome.detail);
}

void MainUnit::StartPause() {
  evaluation_.gate.Hold();
  evaluation_.Update();
  view_.SetTimer(TimerId::Timer3, true);
}

void MainUnit::n4Click() {
  if (!dialogs_) {
    const DialogServices services{services_.shell, services_.clock,     services_.session,
                                  services_.files, services_.autoStart, services_.dialogWindows,
                                  services_.processes, &services_.load};
    dialogs_ = std::make_unique<Dialogs>(services, *store_, settings, *this);
    dialogs_->options = options_.get();
  }
  dialogs_->OpenSettings();
}

void MainUnit::Timer3Timer() {
  view_.SetTimer(TimerId::Timer3, false);
  evaluation_.gate.Release();
  evaluation_.Update();
}

void MainUnit::BitBtn2Click() {
  // Whatever the menu showed before, a cancelled countdown leaves monitoring off.
  if (session_.Cancel()) SetMonitoring(false);
}

void MainUnit::BitBtn3Click() {
  if (session_.ChoosePostponement()) ShowTrayState();
}

void MainUnit::Postpone(std::int32_t minutes) {
  if (session_.Postpone(minutes)) ShowTrayState();
}

void MainUnit::BalloonClicked() {
  if (Closed() || !warnings_.BalloonTask() || evaluator_.Done(*warnings_.BalloonTask())) return;
  if (const std::optional<std::string> text = warnings_.OpenWindow()) view_.ShowWarning(*text);
}

DueTask MainUnit::StoredTask(const TaskKey& key) {
  DueTask task;
  static_cast<TaskKey&>(task) = key;
  task.slot = FindStoredTask(services_.registry, settings, key);
  return task;
}

std::optional<ComingTask> MainUnit::TakeWarning() {
  std::optional<ComingTask> coming = warnings_.TakeWindowTask();
  if (Closed() || !coming || evaluator_.Done(*coming)) return std::nullopt;
  // A task deleted or changed since its balloon is not run, nor recorded.
  const std::int32_t found = FindStoredTask(services_.registry, settings, coming->task);
  if (!found) return std::nullopt;
  coming->task.slot = found;  // deletions below it move it down
  evaluator_.MarkDone(*coming, services_.clock.TickCount());
  return coming;
}

void MainUnit::WarningRunNow() {
  const std::optional<ComingTask> coming = TakeWarning();
  if (!coming) return;
  // As the countdown's own execute-now, whose programs were asked to close
  // when the countdown started.
  const ActionRow* row = FindAction(coming->task.action);
  if (settings.ShutApp == 1 && row && row->Suspends()) CloseOtherWindows(services_.processes, view_.Handle());
  runner_.Run(coming->task, RunStart::CountedDown);
}

void MainUnit::WarningPostpone(std::int32_t minutes) {
  if (minutes <= 0) return;
  const std::optional<ComingTask> coming = TakeWarning();
  if (!coming) return;
  // Counted from the task's minute, on the clock that minute is counted by.
  const ClockSnapshot local = services_.clock.LocalTime();
  const std::uint32_t tickCount = services_.clock.TickCount();
  const std::int64_t occurrenceMs = static_cast<std::int64_t>(coming->task.occurrence) * 60000;
  const std::int64_t nowMs = TriggerKindOf(coming->task.trigger) == TriggerKind::Boot
                                 ? static_cast<std::int64_t>(tickCount)
                                 : MomentOf(local, tickCount).localMs;
  const std::int64_t leadMs = std::clamp<std::int64_t>(occurrenceMs - nowMs, 0, 24 * 60 * 60000LL);
  session_.PostponeAhead(coming->task, FindAction(coming->task.action)->verb, static_cast<std::uint32_t>(leadMs),
                         minutes);
  ShowTrayState();
}

void MainUnit::WarningSkip() {
  if (const std::optional<ComingTask> coming = TakeWarning()) runner_.Record(coming->task, RecordOutcome::Skipped);
}

bool MainUnit::RunPostponed() {
  if (session_.Showing()) return false;
  LiveChecks checks([this](const DueTask& task) { return FindStoredTask(services_.registry, settings, task); },
                    services_.clock);
  std::vector<Postponements::Dropped> dropped;
  const std::optional<Postponement> due = postponements_.TakeDue(services_.clock.TickCount(), checks, dropped);
  for (const Postponements::Dropped& drop : dropped) {
    runner_.Record(drop.postponement.task, RecordOutcome::NotDone, drop.reason);
    if (drop.late) services_.shell.ShowBalloon(notifyData_, "推迟的" + drop.postponement.verb + "耽搁太久，已放弃");
  }
  if (!dropped.empty() || due) ShowTrayState();
  if (!due) return false;
  session_.StartPostponed(*due);
  return true;
}

void MainUnit::UpdateWake(bool force) {
  if (!options_) return;
  wakeMinute_ = LocalMinuteOf(services_.clock.LocalTime());
  KeepWake(evaluation_.gate.Monitoring() ? missed_.Walk(MissedRuns::Missed::Keep, true).wake : std::nullopt, force);
}

void MainUnit::KeepWake(const std::optional<WakeTarget>& target, bool force) {
  const std::optional<std::string> refusal = wakeTimer_.Keep(target, force);
  if (!refusal) return;
  runner_.Record(StoredTask(target->task), RecordOutcome::CannotWake, *refusal);
  services_.shell.ShowBalloon(notifyData_, "无法唤醒计算机运行任务：" + *refusal);
}

void MainUnit::CatchUpAndWake() {
  Guarded(services_.shell, [&] {
    if (!options_) return;
    const bool monitoring = evaluation_.gate.Monitoring();
    // Nothing is caught up while monitoring is off; what it misses is passed
    // over when it comes back on.
    MissedRuns::Plan plan = missed_.Walk(monitoring ? MissedRuns::Missed::Run : MissedRuns::Missed::Keep, monitoring);
    if (plan.catchUp.empty()) {
      wakeMinute_ = LocalMinuteOf(services_.clock.LocalTime());
      KeepWake(plan.wake, true);
      return;
    }
    RunCaughtUp(plan.catchUp);
    // The actions' message loops may have changed the tasks or monitoring.
    if (!Closed()) UpdateWake(true);
  });
}

void MainUnit::RunCaughtUp(const std::vector<DueTask>& tasks) {
  std::string caughtUp;
  for (const DueTask& task : tasks) {
    if (!missed_.FirstRun(task)) continue;
    const TaskOutcome outcome = runner_.Run(task, RunStart::Due);
    if (outcome.shown) throw AppError(outcome.detail);
    if (outcome.kind == TaskOutcome::Kind::Ran) {
      caughtUp += (caughtUp.empty() ? "" : "；") + task.action + "（" +
                  LocalMinuteText(static_cast<std::int64_t>(task.occurrence)) + "）";
    }
    if (Closed()) return;
    if (!evaluation_.gate.Monitoring()) break;  // switched off under the action's message loop
  }
  if (!caughtUp.empty()) services_.shell.ShowBalloon(notifyData_, "错过的任务已补做：" + caughtUp);
}

void MainUnit::GuardedUpdateWake(bool force) {
  Guarded(services_.shell, [&] { UpdateWake(force); });
}

void MainUnit::ShowTickFailure(const std::string& failure) {
  // The box is modal and ticks go on beneath it: one box at a time.
  if (errorBoxOpen_) return;
  FlagScope open(errorBoxOpen_);
  ShowErrorBox(services_.shell, failure);
}

}  // namespace velmaro
