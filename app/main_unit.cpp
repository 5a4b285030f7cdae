#include "app/main_unit.h"

#include <algorithm>
#include <optional>

#include "actions/action_table.h"
#include "actions/junk_cleanup.h"
#include "actions/power_actions.h"
#include "app/help.h"
#include "base/calendar.h"
#include "base/error.h"
#include "platform/error_box.h"

namespace velmaro {

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
      tray_(services.shell),
      reg_(services.registry),
      store_(reg_, settings),
      tickReg_(services.registry),
      tickStore_(tickReg_, settings),
      evaluation_(view, services.clock, evaluator_),
      evaluator_(services.load, services.processes),
      record_(services.records, services.clock),
      runner_(services, view, record_),
      quick_(services.clock, services.registry),
      session_(CountdownServices{view, services.sound, services.processes, services.clock}, settings, evaluation_,
               postponements_, runner_),
      warnings_(WarningServices{evaluator_, session_, runner_, services.clock, services.registry, settings, &quick_}),
      options_(services.registry),
      missed_(services.clock, services.wake, services.registry, settings),
      waking_(WakingServices{services.wake, services.clock, services.registry, settings, evaluator_, runner_, tray_,
                             view, missed_}) {
  missed_.SetOptions(&options_);
}

// Out of line, so that the program has one copy of it.
MainUnit::~MainUnit() = default;

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

void MainUnit::L1Click() {
  RunJunkCleanup(-1, view_.ApplicationHandle(), services_.clock, services_.session, services_.processes,
                 services_.shell);
}

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
  // The first tick looks back to now: the minute the program starts in is
  // its own, and a start-up box held open is a gap like any other.
  evaluator_.Starting(services_.clock);

  settings = Settings();
  // A store failure is shown once start-up is through, so the tray icon and
  // Exit are always there.
  const std::optional<std::string> failure = LoadStore(store_, options_);
  std::optional<QuickTimer::Dropped> dropped;
  try {
    dropped = quick_.Load();
  } catch (const AppError&) {
    // A timer that cannot be read back is no timer; the store's failure, if
    // any, is shown below.
  }

  tray_.Add(view_.Handle());
  view_.SetMenuEnabled(MenuItem::N21, false);
  view_.SetMenuEnabled(MenuItem::N23, false);
  if (dropped) {
    runner_.Record(dropped->task, RecordOutcome::NotDone, dropped->reason);
    tray_.Balloon("定时" + QuickTimerVerb(dropped->task.action) + "未执行：" + dropped->reason);
  }
  gate.SetTimerSet(quick_.IsSet());
  if (quick_.IsSet()) ShowTrayState();

  // A negative stored countdown length is no valid progress range.
  view_.SetProgressMax(std::max<std::int32_t>(settings.Tishi, 0));

  view_.SetMenuCaption(MenuItem::n6,
                       std::string(Tr(FindMenuEntry(MenuItem::n6)->caption)) + " " + MenuText(services_.session.UserName()));
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
  if (!Closed() && !failure) Welcome();
}

void MainUnit::Welcome() {
  // A hint, not worth an error box: a store that cannot be read shows its own.
  try {
    RegistryObject& reg = reg_;
    reg.SelectRoot(RegRoot::LocalMachine);
    reg.OpenKey(kStoreKey);
    const bool welcomed = reg.ValueExists(kWelcomedValue);
    reg.CloseKey();
    if (welcomed) return;
    bool anyTask = quick_.IsSet();
    if (!anyTask) {
      store_.ForEachTask([&](std::int32_t, const std::string&) { anyTask = true; });
      store_.CloseStore();
    }
    if (!anyTask) {
      tray_.Balloon("Velmaro 在这里运行。右击图标：“定时…”设置一次定时，“设置”定义任务。");
    }
    // Once: a user who set something needs the hint no more.
    reg.SelectRoot(RegRoot::LocalMachine);
    reg.OpenKey(kStoreKey);
    reg.WriteInteger(kWelcomedValue, 1);
    reg.CloseKey();
  } catch (const AppError&) {
    reg_.CloseKey();
  }
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
  waking_.Close();
  tray_.Remove();
  // The store objects stay until the process ends, so a handler that
  // resumes from a nested message loop finds them; Closed() keeps it away.
  reg_.CloseKey();
}

void MainUnit::TaskbarCreated() {
  if (!Closed()) tray_.TaskbarCreated();
}

void MainUnit::TimeChanged() {
  if (Closed()) return;
  // The postponements and the quick timer in minutes keep their time on the
  // counter; the tip's clock moved.
  if (!postponements_.Empty() || quick_.IsSet()) ShowTrayState();
  Guarded(services_.shell, [&] { quick_.ClockChanged(); });
  waking_.Update(true, evaluation_.gate.Monitoring());
  if (evaluation_.Runs()) view_.EvaluateSoon();
}

void MainUnit::Suspending() {
  if (Closed()) return;
  evaluation_.gate.Suspend();
  waking_.Suspending(evaluation_.gate.Monitoring());
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
  if (interrupted) tray_.Balloon("电脑睡眠时" + *interrupted + "倒计时已取消");
  if (const std::optional<DueTask> slept = quick_.TakeSleptThrough()) {
    runner_.Record(*slept, RecordOutcome::NotDoneAsleep);
    tray_.Balloon("电脑睡眠时定时" + QuickTimerVerb(slept->action) + "的时间已过，未执行");
    QuickTimerChanged();
  }
  waking_.Resumed(static_cast<std::uint32_t>(std::max<std::int32_t>(settings.Tishi, 0)) * 1000u);
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
  if (!on) waking_.Release();
  if (switched && !Closed()) waking_.Update(false, on);
  view_.SetMenuChecked(MenuItem::n1, on);
  // Monitoring off drops what was postponed: nothing runs while it is off.
  if (!on) postponements_.Clear();
  icon_ = on ? AppIcon::ENASHUT : AppIcon::DISSHUT;
  ShowTrayState();
}

void MainUnit::ShowTrayState() {
  const std::string timer = quick_.Description();
  tray_.Show(icon_, TrayTip(evaluation_.gate.Monitoring(), postponements_, services_.clock, timer));
  view_.SetMenuEnabled(MenuItem::N21, !postponements_.Empty());
  const std::string caption = Tr(FindMenuEntry(MenuItem::N23)->caption);
  view_.SetMenuCaption(MenuItem::N23, timer.empty() ? caption : caption + "（" + MenuText(timer) + "）");
  view_.SetMenuEnabled(MenuItem::N23, !timer.empty());
}

void MainUnit::QuickTimerChanged() {
  evaluation_.gate.SetTimerSet(quick_.IsSet());
  evaluation_.Update();
  ShowTrayState();
}

void MainUnit::N24Click() { view_.ShowQuickTimer(quick_.Description()); }

std::string MainUnit::SetQuickTimer(const QuickTimerRequest& request) {
  if (Closed()) return std::string();
  bool offered = false;
  for (const char* action : kQuickTimerActions) offered = offered || request.action == action;
  if (!offered) throw AppError("定时不能执行“" + request.action + "”");
  const std::string description = quick_.Set(request);
  QuickTimerChanged();
  return description;
}

bool MainUnit::DropQuickTimer() {
  if (!quick_.IsSet()) return false;
  runner_.Record(quick_.Task(), RecordOutcome::Cancelled);
  quick_.Clear();
  QuickTimerChanged();
  return true;
}

bool MainUnit::CancelQuickTimer() {
  if (Closed()) return false;
  const bool timer = DropQuickTimer();
  const bool countdown = session_.Showing();
  if (countdown) BitBtn2Click();
  return timer || countdown;
}

StatusReport MainUnit::Status() {
  StatusReport report;
  report.running = true;
  if (quick_.IsSet()) report.timer = quick_.Description();
  if (session_.Showing()) report.countdown = session_.Verb();
  report.monitoring = evaluation_.gate.Monitoring();
  if (const std::optional<MissedRuns::Coming> next = missed_.NextTask(store_)) {
    const ClockSnapshot at = LocalMinuteAt(next->localMinute);
    report.nextTask = DateTimeText(at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute, 0).substr(0, 16) + " 任务 " +
                      std::to_string(next->slot) + " " + next->trigger + " " + next->action;
  }
  return report;
}

void MainUnit::TasksChanged() {
  if (Closed()) return;
  // As after the settings dialog: the settings afresh, the options, what
  // wakes the computer.
  Guarded(services_.shell, [&] {
    if (const std::optional<std::string> failure = LoadStore(store_, options_)) throw AppError(*failure);
    SetCountdownMax(settings.Tishi);
    waking_.Update(false, evaluation_.gate.Monitoring());
  });
}

void MainUnit::StopEvaluation() {
  evaluation_.gate.DialogOpened();
  evaluation_.Update();
}

void MainUnit::ResumeEvaluation() {
  evaluation_.gate.DialogClosed();
  evaluation_.Update();
  // The dialog may have changed what wakes the computer.
  waking_.Update(false, evaluation_.gate.Monitoring());
}

// A negative countdown length is no valid progress range, as at start-up.
void MainUnit::SetCountdownMax(std::int32_t tishi) { view_.SetProgressMax(std::max<std::int32_t>(tishi, 0)); }

void MainUnit::Timer1Timer() {
  // A nested message loop inside an action (the shell opening a file, the
  // system dialling) may deliver the next tick before this one is through.
  if (inTick_ || !evaluation_.Runs()) return;
  const std::uint32_t now = services_.clock.TickCount();
  evaluation_.Ticked(now);
  tray_.Retry();
  if (const std::optional<DueTask> late = waking_.Tick(session_.Showing(), evaluation_.gate.Monitoring())) {
    try {
      RunDueTask(*late);
    } catch (const AppError& error) {
      ShowTickFailure("任务 " + std::to_string(late->slot) + "：" + error.what());
    }
  }
  // A postponed countdown first; the minutes it holds the tick are caught up after it.
  if (RunPostponed()) return;
  if (RunQuickTimer() || Closed()) return;
  if (!evaluation_.gate.Monitoring()) {
    // Ticking for the quick timer alone: no task runs while monitoring is off.
    warnings_.LookAheadAt(LocalMinuteOf(services_.clock.LocalTime()), settings.Tiqian);
    if (const std::optional<std::string> text = warnings_.Balloon()) tray_.Balloon(*text);
    return;
  }
  std::optional<std::string> failure;
  {
    FlagScope ticking(inTick_);
    const TickWindow window = evaluator_.NextWindow(services_.clock);
    failure = evaluator_.Tick(tickStore_, window, services_.clock, [this](const DueTask& task) {
      RunDueTask(task);
      return !Closed();
    }, warnings_.LookAhead(window, settings.Tiqian));
    if (!Closed()) {
      if (const std::optional<std::string> text = warnings_.Balloon()) tray_.Balloon(*text);
      if (const std::optional<std::string> text = warnings_.Expired()) view_.ExpireWarning(*text);
    }
  }
  evaluation_.UpdateMeasures();
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
    dialogs_ = std::make_unique<Dialogs>(services, store_, settings, *this);
    dialogs_->options = &options_;
  }
  dialogs_->OpenSettings();
}

void MainUnit::Timer3Timer() {
  view_.SetTimer(TimerId::Timer3, false);
  evaluation_.gate.Release();
  evaluation_.Update();
}

void MainUnit::BitBtn2Click() {
  // Whatever the menu showed before, a cancelled countdown leaves monitoring
  // off; the quick timer's is the user's one-off, and leaves it as it was.
  const bool timer = session_.Showing() && session_.Task().slot == kQuickTimerSlot;
  if (!session_.Cancel()) return;
  if (!timer) {
    SetMonitoring(false);
    return;
  }
  evaluation_.gate.Release();
  evaluation_.Update();
}

void MainUnit::BitBtn3Click() {
  if (session_.ChoosePostponement()) ShowTrayState();
}

void MainUnit::Postpone(std::int32_t minutes) {
  if (session_.Postpone(minutes)) ShowTrayState();
}

void MainUnit::BalloonClicked() {
  if (Closed()) return;
  if (const std::optional<std::string> text = warnings_.OpenWindow()) view_.ShowWarning(*text);
}

void MainUnit::WarningRunNow() {
  if (Closed()) return;
  const bool timer = quick_.IsSet();
  warnings_.RunNow();
  if (timer != quick_.IsSet() && !Closed()) QuickTimerChanged();
}

void MainUnit::WarningPostpone(std::int32_t minutes) {
  if (!Closed() && warnings_.Postpone(minutes)) QuickTimerChanged();
}

void MainUnit::WarningSkip() {
  if (!Closed() && warnings_.Skip()) QuickTimerChanged();
}

bool MainUnit::RunPostponed() {
  const std::size_t postponed = postponements_.Size();
  // The quick timer's postponement is its own: no stored task to find.
  LiveChecks checks(
      [this](const DueTask& task) {
        return task.slot == kQuickTimerSlot ? kQuickTimerSlot : FindStoredTask(services_.registry, settings, task);
      },
      services_.clock);
  std::vector<std::string> late;
  const bool started = session_.StartDuePostponement(checks, late);
  for (const std::string& verb : late) tray_.Balloon("推迟的" + verb + "耽搁太久，已放弃");
  if (postponements_.Size() != postponed) ShowTrayState();
  return started;
}

bool MainUnit::RunQuickTimer() {
  if (session_.Showing()) return false;  // it waits for the countdown, as a postponement does
  const std::optional<QuickTimer::Taken> taken = quick_.TakeDue();
  if (!taken) return false;
  QuickTimerChanged();
  const DueTask& task = taken->task;
  if (taken->tooLate) {
    runner_.Record(task, RecordOutcome::NotDone, "定时被耽搁超过 " + std::to_string(kCatchUpMinutes) + " 分钟");
    tray_.Balloon("定时" + QuickTimerVerb(task.action) + "耽搁太久，已放弃");
    return false;
  }
  const TaskOutcome outcome = runner_.Run(task, RunStart::Due);
  if (outcome.kind == TaskOutcome::Kind::CountsDown) {
    session_.Start(task, *outcome.row);
    return true;
  }
  if (outcome.shown && !Closed()) ShowTickFailure(outcome.detail);
  if (!outcome.Pauses() || Closed()) return false;
  StartPause();
  return true;
}

void MainUnit::CatchUpAndWake() {
  Guarded(services_.shell, [&] {
    const bool monitoring = evaluation_.gate.Monitoring();
    // Nothing is caught up while monitoring is off; what it misses is passed
    // over when it comes back on.
    const MissedRuns::Plan plan =
        missed_.Walk(monitoring ? MissedRuns::Missed::Run : MissedRuns::Missed::Keep, monitoring);
    RunCaughtUp(plan.catchUp);
    // The actions' message loops may have changed the tasks or monitoring.
    if (!Closed()) waking_.Update(true, evaluation_.gate.Monitoring(), plan.catchUp.empty() ? &plan : nullptr);
  });
}

void MainUnit::RunCaughtUp(const std::vector<DueTask>& tasks) {
  std::string caughtUp;  // "提醒（2026-12-06 09:00）；…"
  for (const DueTask& task : tasks) {
    if (!missed_.FirstRun(task)) continue;
    // The tick, and a wake for the same occurrence, find it run.
    evaluator_.MarkDone(ComingTask{task, 0}, services_.clock.TickCount());
    const TaskOutcome outcome = runner_.Run(task, RunStart::Due);
    if (outcome.shown) throw AppError(outcome.detail);
    if (outcome.kind == TaskOutcome::Kind::Ran) {
      caughtUp += (caughtUp.empty() ? "" : "；") + task.action + "（" +
                  LocalMinuteText(static_cast<std::int64_t>(task.occurrence)) + "）";
    }
    if (Closed()) return;
    if (!evaluation_.gate.Monitoring()) break;  // switched off under the action's message loop
  }
  if (!caughtUp.empty()) tray_.Balloon("错过的任务已补做：" + caughtUp);
}

void MainUnit::ShowTickFailure(const std::string& failure) {
  // The box is modal and ticks go on beneath it: one box at a time.
  if (errorBoxOpen_) return;
  FlagScope open(errorBoxOpen_);
  ShowErrorBox(services_.shell, failure);
}

}  // namespace velmaro
