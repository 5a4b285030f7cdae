#include "app/main_unit.h"

#include <algorithm>
#include <optional>

#include "actions/close_other_windows.h"
#include "actions/junk_cleanup.h"
#include "actions/power_actions.h"
#include "actions/task_actions.h"
#include "app/help.h"
#include "base/gbk.h"
#include "platform/error_box.h"
#include "scheduler/occurrences.h"
#include "scheduler/tick_window.h"

namespace velmaro {

const char kTipEnabled[] = "Velmaro-启用";
const char kTipDisabled[] = "Velmaro-禁用";

const PostponeChoice kPostponeChoices[4] = {
    {5, "推迟 &5 分钟"}, {10, "推迟 &10 分钟"}, {30, "推迟 &30 分钟"}, {60, "推迟 &60 分钟"}};

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
  gate_.SetStarting(true);
  struct EndOfStart {
    EvaluationGate& gate;
    ~EndOfStart() { gate.SetStarting(false); }
  } endOfStart{gate_};
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
  view_.SetMenuChecked(MenuItem::n1, gate_.Monitoring());
  view_.MakeTopmost();

  if (failure) {
    ShowErrorBox(services_.shell, *failure);
    if (Closed()) return;  // the box's message loop may have closed the program
  }
  // No tick before start-up is through, whatever the user did meanwhile.
  gate_.SetStarting(false);
  UpdateEvaluation();
  CatchUpAndWake();
}

void MainUnit::FormClose() {
  if (gate_.Closed()) return;
  // What the catch-up tasks missed while monitoring was off is not caught
  // up at the next start either. Closing, the program has no box to show a
  // store failure in; the next start reads the store afresh.
  if (!gate_.Monitoring()) {
    try {
      CatchUpMissed(CatchUp::PassOver);
    } catch (const AppError&) {
    }
  }
  gate_.Close();
  // Open dialogs and editors must not reach the store once the program closes.
  if (dialogs_) dialogs_->Close();
  UpdateEvaluation();
  view_.SetTimer(TimerId::Timer2, false);
  view_.SetTimer(TimerId::Timer3, false);
  if (countdown_.Showing()) countdown_.End();
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
  if (gate_.Closed()) return;
  // The postponements keep their time on the counter; the tip's clock moved.
  if (!postponements_.Empty()) ShowTrayState();
  GuardedUpdateWake(true);
  if (EvaluationRuns()) view_.EvaluateSoon();
}

void MainUnit::Suspending() {
  if (gate_.Closed()) return;
  gate_.Suspend();
  // Asleep, it needs no keeping awake; the timer stays set to wake it.
  wakeTimer_.Release();
  EndInterruptedCountdown();
  UpdateEvaluation();
}

void MainUnit::Resumed() {
  if (gate_.Closed()) return;
  const bool noticed = gate_.Resume();
  const std::uint32_t now = services_.clock.TickCount();
  // Without a suspend notice this is either the second notice of one wake,
  // which must leave a countdown started since the first alone, or a sleep
  // without notice, which stopped the count and the ticks.
  const bool countdownStalled = countdown_.Showing() && handover_.Stalled(now);
  const bool ticksStalled = EvaluationRuns() && now - lastTick_ > kCountdownStallMs;
  if (!noticed && !countdownStalled && !ticksStalled) {
    UpdateEvaluation();
    return;
  }
  EndInterruptedCountdown();
  // A postponed countdown whose time came while the computer slept is not
  // run on waking, as a task due in a minute slept through is not.
  const std::vector<Postponement> slept = postponements_.TakeDueAsleep(now);
  for (const Postponement& postponement : slept) {
    Record(postponement.task, RecordOutcome::NotDoneAsleep);
    interruptedVerb_ = postponement.verb;
  }
  if (!slept.empty()) ShowTrayState();
  gate_.Release();
  view_.SetTimer(TimerId::Timer3, false);
  evaluator_.ForgetGap();
  evaluator_.ConditionsSlept();
  if (!interruptedVerb_.empty()) {
    services_.shell.ShowBalloon(notifyData_, std::string("电脑睡眠时") + interruptedVerb_ + "倒计时已取消");
    interruptedVerb_.clear();
  }
  if (const std::optional<WakeTarget> woke = wakeTimer_.Resumed(services_.wake.Now())) {
    wokeFor_ = woke;
    const DueTask task{0, woke->task.trigger, woke->task.action, 0, 0, woke->task.duplicate};
    record_.Write(RecordEntry{StoredSlot(task), task.trigger, task.action, RecordOutcome::Woke, 0, ""});
  }
  CatchUpAndWake();
  if (Closed()) return;
  UpdateEvaluation();
  if (EvaluationRuns()) view_.EvaluateSoon();
}

void MainUnit::EndInterruptedCountdown() {
  if (!countdown_.Showing()) return;
  view_.SetTimer(TimerId::Timer2, false);
  countdown_.End();
  interruptedVerb_ = pendingAction_;
  Record(handover_.Task(), RecordOutcome::NotDoneAsleep);
}

bool MainUnit::EvaluationRuns() const {
  return gate_.Runs();
}

void MainUnit::UpdateEvaluation() {
  const bool runs = EvaluationRuns();
  // A tick is due within one period of Timer1 from when it is switched on.
  if (runs && !evaluating_) lastTick_ = services_.clock.TickCount();
  evaluating_ = runs;
  view_.SetTimer(TimerId::Timer1, runs);
  UpdateMeasures();
}

void MainUnit::SetMonitoring(bool on) {
  const bool switched = on != gate_.Monitoring();
  // Minutes while monitoring was off are the user's choice, not a gap to catch up.
  if (on && switched) {
    evaluator_.ForgetGap();
    evaluator_.ForgetConditions();
    Guarded(services_.shell, [&] { CatchUpMissed(CatchUp::PassOver); });
  }
  gate_.SetMonitoring(on);
  UpdateEvaluation();
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
  std::string tip = gate_.Monitoring() ? kTipEnabled : kTipDisabled;
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
  gate_.DialogOpened();
  UpdateEvaluation();
}

void MainUnit::ResumeEvaluation() {
  gate_.DialogClosed();
  UpdateEvaluation();
  // The dialog may have changed what wakes the computer.
  GuardedUpdateWake(false);
}

// A negative countdown length is no valid progress range, as at start-up.
void MainUnit::SetCountdownMax(std::int32_t tishi) { view_.SetProgressMax(std::max<std::int32_t>(tishi, 0)); }

void MainUnit::Timer1Timer() {
  // A nested message loop inside an action (the shell opening a file, the
  // system dialling) may deliver the next tick before this one is through.
  if (inTick_ || !EvaluationRuns()) return;
  lastTick_ = services_.clock.TickCount();
  if (wakeTimer_.KeepsAwake()) {
    const bool due = wokeFor_ && wokeFor_->occurrence >= LocalMinuteOf(services_.clock.LocalTime());
    wakeTimer_.Beat(lastTick_, due || countdown_.Showing());
  }
  if (wakeMinute_ != LocalMinuteOf(services_.clock.LocalTime())) {
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
      return !gate_.Closed();
    }, lookAhead ? &ahead : nullptr);
    if (!gate_.Closed()) WarnAhead(ahead.coming);
  }
  UpdateMeasures();  // the tick may have held itself before it watched a condition task
  if (failure && !gate_.Closed()) ShowTickFailure(*failure);
}

void MainUnit::RunDueTask(const DueTask& task) {
  const ActionRow* row = FindAction(task.action);
  if (!row) return;
  if (row->harmlessLate && !FirstRunOf(task)) return;
  switch (row->actionClass) {
    case ActionClass::Immediate:
      // The pause follows an action that failed (a file that would not
      // open) as it follows one that ran; the failure is the tick's to show.
      try {
        RunImmediateAction(row->id, task.slot, *tickStore_);
      } catch (const AppError& error) {
        Record(task, RecordOutcome::Failed, error.what());
        if (!gate_.Closed()) StartPause();
        throw;
      }
      Record(task, RecordOutcome::Ran);
      if (!gate_.Closed()) StartPause();
      break;
    case ActionClass::Countdown:
      // Come due anew, the task no longer waits for its postponement.
      for (const Postponement& earlier : postponements_.TakeOf(task)) {
        Record(earlier.task, RecordOutcome::NotDone, "同一任务又到时间，推迟的一次作废");
        ShowTrayState();
      }
      HandOver(task, row->verb);
      break;
    case ActionClass::JunkCleanup: {
      const std::optional<std::string> notRun = RunJunkCleanup(
          0, view_.ApplicationHandle(), services_.clock, services_.session, services_.processes, services_.shell);
      if (notRun) {
        Record(task, RecordOutcome::NotDone, *notRun);
      } else {
        Record(task, RecordOutcome::Ran);
      }
      break;
    }
  }
}

void MainUnit::Record(const DueTask& task, RecordOutcome outcome, const std::string& detail) {
  // A task caught up after a gap ran late; one that did not run says so itself.
  if (outcome == RecordOutcome::Ran && task.lateMinutes > 0) outcome = RecordOutcome::RanLate;
  record_.Write(RecordEntry{task.slot, task.trigger, task.action, outcome, task.lateMinutes, detail});
}

void MainUnit::RunVerb(const DueTask& task, const std::string& verb) {
  const ActionRow* row = FindVerb(verb);
  if (row && (row->power == PowerOperation::FastRestart || row->power == PowerOperation::FastPowerOff)) {
    Record(task, RecordOutcome::Began);
  }
  const PowerResult result = RunPendingAction(verb, services_.power, services_.dialUp, services_.reminders);
  if (gate_.Closed()) return;
  if (result.ok) {
    Record(task, RecordOutcome::Ran);
  } else {
    Record(task, RecordOutcome::Failed, result.message);
  }
}

void MainUnit::RunImmediateAction(ActionId action, std::int32_t slot, TaskStore& store) {
  switch (action) {
    case ActionId::Reminder:
      services_.reminders.ShowReminder(CutToColumns(store.ReadArgument(slot), kReminderColumns));
      break;
    case ActionId::OpenFile: OpenTaskFile(services_.shell, store.ReadArgument(slot)); break;
    case ActionId::CloseProgram:
      KillProcessByName(services_.processes, FileNamePart(store.ReadArgument(slot)));
      break;
    case ActionId::Dial: DialDefaultConnection(services_.dialUp, view_.Handle()); break;
    default: break;
  }
}

void MainUnit::StartPause() {
  // A countdown that shows keeps the verb its window names.
  if (!countdown_.Showing()) pendingAction_.clear();
  gate_.Hold();
  UpdateEvaluation();
  view_.SetTimer(TimerId::Timer3, true);
}

void MainUnit::HandOver(const DueTask& task, const std::string& verb) {
  if (const std::optional<DueTask> replaced = handover_.Take(task, countdown_.Showing(), services_.clock.TickCount())) {
    Record(*replaced, RecordOutcome::NotDone, "倒计时被任务 " + std::to_string(task.slot) + " 取代");
  }
  pendingAction_ = verb;
  countdown_.MyChangeCaption(pendingAction_);
  view_.SetTimer(TimerId::Timer2, true);
  gate_.Hold();
  UpdateEvaluation();
  countdown_.Show(settings.SoundPath, view_.Handle());
  // The other programs are asked to close as the countdown starts, so they
  // have its length to save their work.
  if (settings.ShutApp == 1 && IsSuspendVerb(pendingAction_)) CloseOtherWindows(services_.processes, view_.Handle());
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
  gate_.Release();
  UpdateEvaluation();
}

void MainUnit::Timer2Timer() {
  if (gate_.Closed()) return;
  handover_.Beat(services_.clock.TickCount());
  if (countdown_.Tick(settings.Tishi)) EndCountdownAndRun();
}

void MainUnit::BitBtn1Click() {
  // A click that was queued behind the end of the count must not run the action twice.
  if (gate_.Closed() || !countdown_.Showing()) return;
  EndCountdownAndRun();
}

void MainUnit::EndCountdownAndRun() {
  countdown_.End();
  gate_.Release();
  UpdateEvaluation();
  // Off before the action runs: stand-by returns only after the computer
  // resumes, and the hang-up shows a window.
  view_.SetTimer(TimerId::Timer2, false);
  // A copy: the action may run a message loop that replaces both.
  const DueTask task = handover_.Task();
  const std::string verb = pendingAction_;
  RunVerb(task, verb);
}

void MainUnit::BitBtn2Click() {
  if (gate_.Closed() || !countdown_.Showing()) return;
  view_.SetTimer(TimerId::Timer2, false);
  countdown_.End();
  Record(handover_.Task(), RecordOutcome::Cancelled);
  // Whatever the menu showed before, a cancelled countdown leaves monitoring off.
  SetMonitoring(false);
}

void MainUnit::BitBtn3Click() {
  if (gate_.Closed() || !countdown_.Showing()) return;
  // The count waits while the user chooses: the action must not run under the open menu.
  view_.SetTimer(TimerId::Timer2, false);
  const std::int32_t minutes = view_.ChoosePostponement();
  if (gate_.Closed() || !countdown_.Showing()) return;  // the computer slept or the program closed meanwhile
  handover_.Beat(services_.clock.TickCount());
  if (minutes > 0) {
    Postpone(minutes);
  } else {
    view_.SetTimer(TimerId::Timer2, true);
  }
}

void MainUnit::Postpone(std::int32_t minutes) {
  if (gate_.Closed() || !countdown_.Showing() || minutes <= 0) return;
  view_.SetTimer(TimerId::Timer2, false);
  countdown_.End();
  PostponeTask(handover_.Task(), pendingAction_, 0, minutes);
  gate_.Release();
  UpdateEvaluation();
}

void MainUnit::PostponeTask(const DueTask& due, const std::string& verb, std::uint32_t leadMs,
                            std::int32_t minutes) {
  DueTask task = due;
  task.lateMinutes = 0;  // when it comes back, it comes when asked
  record_.Write(RecordEntry{task.slot, task.trigger, task.action, RecordOutcome::Postponed, minutes, ""});
  postponements_.Add(Postponement{task, verb, services_.clock.TickCount(),
                                  leadMs + static_cast<std::uint32_t>(minutes) * postponeMinuteMs_});
  ShowTrayState();
}

void MainUnit::WarnAhead(const std::vector<ComingTask>& coming) {
  if (const std::optional<std::string> text = warnings_.Balloon(coming)) services_.shell.ShowBalloon(notifyData_, *text);
}

void MainUnit::BalloonClicked() {
  if (gate_.Closed() || !warnings_.BalloonTask() || evaluator_.Done(*warnings_.BalloonTask())) return;
  if (const std::optional<std::string> text = warnings_.OpenWindow()) view_.ShowWarning(*text);
}

std::int32_t MainUnit::StoredSlot(const DueTask& task) {
  RegistryObject reg(services_.registry);
  TaskStore store(reg, settings);
  return FindStoredTask(store, task);
}

std::optional<ComingTask> MainUnit::TakeWarning() {
  std::optional<ComingTask> coming = warnings_.TakeWindowTask();
  if (gate_.Closed() || !coming || evaluator_.Done(*coming)) return std::nullopt;
  // A task deleted or changed since its balloon is not run, nor recorded.
  const std::int32_t found = StoredSlot(coming->task);
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
  const std::string verb = FindAction(coming->task.action)->verb;
  if (settings.ShutApp == 1 && IsSuspendVerb(verb)) CloseOtherWindows(services_.processes, view_.Handle());
  RunVerb(coming->task, verb);
}

void MainUnit::WarningPostpone(std::int32_t minutes) {
  if (minutes <= 0) return;
  const std::optional<ComingTask> coming = TakeWarning();
  if (!coming) return;
  // Counted from the task's minute, on the clock that minute is counted by.
  const ClockSnapshot local = services_.clock.LocalTime();
  const std::uint32_t tickCount = services_.clock.TickCount();
  const std::int64_t occurrenceMs = static_cast<std::int64_t>(coming->occurrence) * 60000;
  const std::int64_t nowMs = TriggerKindOf(coming->task.trigger) == TriggerKind::Boot
                                 ? static_cast<std::int64_t>(tickCount)
                                 : MomentOf(local, tickCount).localMs;
  const std::int64_t leadMs = std::clamp<std::int64_t>(occurrenceMs - nowMs, 0, 24 * 60 * 60000LL);
  PostponeTask(coming->task, FindAction(coming->task.action)->verb, static_cast<std::uint32_t>(leadMs), minutes);
}

void MainUnit::WarningSkip() {
  const std::optional<ComingTask> coming = TakeWarning();
  if (coming) Record(coming->task, RecordOutcome::Skipped);
}

bool MainUnit::RunPostponed() {
  if (countdown_.Showing()) return false;
  LiveChecks checks([this](const DueTask& task) { return StoredSlot(task) != 0; }, services_.clock);
  std::vector<Postponements::Dropped> dropped;
  std::optional<Postponement> due = postponements_.TakeDue(services_.clock.TickCount(), checks, dropped);
  for (const Postponements::Dropped& drop : dropped) {
    Record(drop.postponement.task, RecordOutcome::NotDone, drop.reason);
    if (drop.late) services_.shell.ShowBalloon(notifyData_, "推迟的" + drop.postponement.verb + "耽搁太久，已放弃");
  }
  if (!dropped.empty() || due) ShowTrayState();
  if (!due) return false;
  // Deletions below it may have moved it down.
  if (const std::int32_t slot = StoredSlot(due->task)) due->task.slot = slot;
  HandOver(due->task, due->verb);
  return true;
}

bool MainUnit::FirstRunOf(const DueTask& task) {
  // Cheap where no task has options, as at almost every tick.
  if (!options_ || !options_->Any() || !MayCatchUp(task.trigger, task.action)) return true;
  const TaskKey key{task.trigger, task.action, task.duplicate};
  const TaskOptionSet options = options_->Of(key);
  if (!options.catchUp) return true;
  const std::int64_t occurrence = static_cast<std::int64_t>(task.occurrence);
  if (options.lastRun && *options.lastRun >= occurrence) return false;
  options_->RecordRun(key, occurrence);
  return true;
}

void MainUnit::UpdateWake(bool force) {
  if (!options_) return;
  ClockService& clock = services_.clock;
  const ClockSnapshot now = clock.LocalTime();
  wakeMinute_ = LocalMinuteOf(now);
  std::vector<CalendarSchedule> schedules;
  std::vector<TaskKey> keys;
  if (options_->Any() && gate_.Monitoring()) {
    const DateFormat format = ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator());
    for (const auto& [key, options] : options_->All()) {
      if (!options.wake || !MayWake(key.trigger)) continue;
      try {
        if (const std::optional<CalendarSchedule> schedule = CalendarSchedule::Of(*ParseTrigger(key.trigger), format, now.wYear)) {
          schedules.push_back(*schedule);
          keys.push_back(key);
        }
      } catch (const AppError&) {
        // A field that does not convert names no occurrence; the tick reports it.
      }
    }
  }
  std::optional<WakeTarget> target;
  if (const std::optional<NextOccurrence> next =
          FindNextOccurrence(schedules, *wakeMinute_, services_.wake.Now(), services_.wake)) {
    target = WakeTarget{keys[next->schedule], next->localMinute, next->at - kUniversalMinute};
  }
  const std::optional<std::string> refusal = wakeTimer_.Keep(target, force);
  if (!refusal) return;
  const DueTask task{0, target->task.trigger, target->task.action, 0, 0, target->task.duplicate};
  record_.Write(RecordEntry{StoredSlot(task), task.trigger, task.action, RecordOutcome::CannotWake, 0, *refusal});
  services_.shell.ShowBalloon(notifyData_, "无法唤醒计算机运行任务：" + *refusal);
}

void MainUnit::CatchUpAndWake() {
  Guarded(services_.shell, [&] {
    CatchUpMissed();
    if (!Closed()) UpdateWake(true);
  });
}

void MainUnit::GuardedUpdateWake(bool force) {
  Guarded(services_.shell, [&] { UpdateWake(force); });
}

void MainUnit::CatchUpMissed(CatchUp how) {
  if (!options_ || !options_->Any() || (how == CatchUp::Run && !gate_.Monitoring())) return;
  ClockService& clock = services_.clock;
  const ClockSnapshot now = clock.LocalTime();
  const std::int64_t nowMinute = LocalMinuteOf(now);
  const DateFormat format = ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator());
  std::string caughtUp;
  // A copy: an action's message loop may open a dialog that changes them.
  const std::vector<TaskOptions::Entry> entries = options_->All();
  for (const auto& [key, options] : entries) {
    if (!options.catchUp || !MayCatchUp(key.trigger, key.action)) continue;
    // Stored without a run (by hand, or before the option recorded one):
    // nothing before now is known to be missed.
    if (!options.lastRun) {
      options_->RecordRun(key, nowMinute);
      continue;
    }
    std::optional<std::int64_t> missed;
    try {
      if (const std::optional<CalendarSchedule> schedule = CalendarSchedule::Of(*ParseTrigger(key.trigger), format, now.wYear)) {
        missed = schedule->Latest(nowMinute);
      }
    } catch (const AppError&) {
      continue;  // the tick reports the field
    }
    if (!missed || *missed <= *options.lastRun) continue;
    if (how == CatchUp::PassOver) {
      options_->RecordRun(key, *missed);
      continue;
    }
    const std::int32_t slot = FindSlot(*store_, key);
    if (!slot) continue;
    // Recorded first: an action that never returns must not run again at the next start.
    options_->RecordRun(key, *missed);
    const DueTask task{slot, key.trigger, key.action, 0, static_cast<std::uint64_t>(*missed), key.duplicate};
    const std::string missedText = LocalMinuteText(*missed);
    std::optional<std::string> notDone;
    try {
      if (FindAction(key.action)->actionClass == ActionClass::JunkCleanup) {
        notDone = RunJunkCleanup(0, view_.ApplicationHandle(), services_.clock, services_.session, services_.processes,
                                 services_.shell);
      } else {
        store_->OpenStore();
        RunImmediateAction(FindAction(key.action)->id, slot, *store_);
        store_->CloseStore();
      }
    } catch (const AppError& error) {
      store_->CloseStore();
      Record(task, RecordOutcome::Failed, error.what());
      throw;
    }
    if (notDone) {
      Record(task, RecordOutcome::NotDone, *notDone);
    } else {
      Record(task, RecordOutcome::CaughtUp, missedText);
      caughtUp += (caughtUp.empty() ? "" : "；") + key.action + "（" + missedText + "）";
    }
    if (Closed()) return;
    if (!gate_.Monitoring()) break;  // switched off under the action's message loop
  }
  if (!caughtUp.empty()) services_.shell.ShowBalloon(notifyData_, "错过的任务已补做：" + caughtUp);
}

void MainUnit::ShowTickFailure(const std::string& failure) {
  // The box is modal and ticks go on beneath it: one box at a time.
  if (errorBoxOpen_) return;
  FlagScope open(errorBoxOpen_);
  ShowErrorBox(services_.shell, failure);
}

// The condition tasks' measures while the tick is held: the scheduler counts
// them, the tick alone runs what they make due.
void MainUnit::UpdateMeasures() {
  const bool on = gate_.Measures() && evaluator_.Watched() > 0;
  if (on == measuring_) return;
  measuring_ = on;
  view_.SetTimer(TimerId::Timer4, on);
}

}  // namespace velmaro
