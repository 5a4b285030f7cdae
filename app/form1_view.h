// What the logic needs of the main window `Form1`, which doubles as the
// countdown window, and its three timers as the logic drives them:
//   Timer1  10 s  evaluation tick; runs only while the evaluation gate lets it
//   Timer2   1 s  countdown tick, while the countdown window shows
//   Timer3  60 s  end of the pause that follows an immediate action
//   Timer4  10 s  the condition tasks' measures while Timer1 is held
//                 (EvaluationGate::Measures) and a condition task is watched
//   Timer5  60 s  end of the stretch the computer is kept awake after a
//                 timed wake, whatever holds the evaluation
#pragma once

#include <cstdint>
#include <string>

#include "actions/action_run.h"
#include "actions/countdown.h"
#include "app/menu.h"

namespace velmaro {

enum class TimerId : unsigned { Timer1 = 1, Timer2 = 2, Timer3 = 3, Timer4 = 4, Timer5 = 5 };

constexpr std::uint32_t kTimer1Interval = 10000;  // the evaluation tick
constexpr std::uint32_t kTimer2Interval = 1000;   // the countdown tick
constexpr std::uint32_t kTimer3Interval = 60000;  // the evaluation pause
constexpr std::uint32_t kTimer4Interval = 10000;  // the measures, as often as the tick reads them
constexpr std::uint32_t kTimer5Interval = 60000;  // the stay-awake deadline, to the minute

class Form1View : public CountdownView, public ProgramWindows {
 public:
  // Enabling a stopped timer starts a fresh period; enabling a running one
  // changes nothing.
  virtual void SetTimer(TimerId timer, bool enabled) = 0;
  virtual void SetProgressMax(std::int32_t maximum) = 0;
  virtual void SetMenuCaption(MenuItem item, const std::string& caption) = 0;
  virtual void SetMenuChecked(MenuItem item, bool checked) = 0;
  virtual void SetMenuEnabled(MenuItem item, bool enabled) = 0;
  virtual void MakeTopmost() = 0;
  // A tick as soon as the current message is handled (posted, not run
  // inside the caller's handler).
  virtual void EvaluateSoon() = 0;
  // Closes the window; its close handler runs before this returns.
  virtual void Close() = 0;
  // The countdown's postpone menu, under its button: the minutes chosen, or
  // 0 when the menu was left without a choice. Returns once the menu closes.
  virtual std::int32_t ChoosePostponement() = 0;
  // The small window a click on a warning balloon opens, with `text`; its
  // buttons come back as WarningRunNow, WarningPostpone and WarningSkip.
  virtual void ShowWarning(const std::string& text) = 0;
  // The warning window, if it shows, says `text` in place of its choices,
  // which act no more, and closes a moment later.
  virtual void ExpireWarning(const std::string& text) = 0;
  // The quick timer's dialog; `current` describes the timer set ("23:15 关机"),
  // or is empty. What it sets comes back as MainUnit::SetQuickTimer.
  virtual void ShowQuickTimer(const std::string& current) = 0;
};

}  // namespace velmaro
