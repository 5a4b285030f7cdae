// The quick timer's dialog TForm7 ("定时") as its fields stand: which action,
// the reminder's text, and either some minutes from now or a time of day.
// Its OK refuses what the timer could not take, asks before it replaces a
// timer that is set, and hands on a QuickTimerRequest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "app/quick_timer_request.h"
#include "platform/clock.h"

namespace velmaro {

constexpr std::size_t kQuickTimerActionCount = sizeof kQuickTimerActions / sizeof kQuickTimerActions[0];

// The one-click choices of minutes from now.
constexpr std::int32_t kQuickTimerMinuteChoices[] = {15, 30, 60, 90, 120};
constexpr std::size_t kQuickTimerMinuteChoiceCount = sizeof kQuickTimerMinuteChoices / sizeof kQuickTimerMinuteChoices[0];

// What the dialog calls the action at `index` of kQuickTimerActions: its
// countdown verb ("关机"), or its name where it has none ("提醒").
std::string QuickTimerActionCaption(std::size_t index);

class QuickTimerDialog {
 public:
  enum class Field { None, Text, Minutes, Hour, Minute };

  // The controls, as the window shows them.
  std::size_t action = 0;  // index into kQuickTimerActions
  std::string text;        // the reminder's text
  // The text has no code page 936 form (set by the window, which keeps the
  // text as typed): OK refuses it.
  bool textUnstorable = false;
  QuickTimerRequest::When when = QuickTimerRequest::When::In;
  std::string minutes = "30";
  std::string hour, minute;
  // The quick timer that is set, as its description ("23:15 关机"); empty when none is.
  std::string current;

  // The dialog opens at `now` with `setNow` set: the time of day starts at
  // the next whole quarter hour after the current minute, so that a few
  // keystrokes or none give a sensible time. The action, the text and the
  // minutes stay as last chosen.
  void Open(const ClockSnapshot& now, const std::string& setNow);
  // One of kQuickTimerMinuteChoices was clicked: it fills the minutes, and
  // minutes from now are what counts.
  void ChooseMinutes(std::int32_t choice);
  // Typing into a field of the minutes or of the time of day chooses that row.
  void Typed(Field field);
  bool TextEnabled() const;

  // What OK cannot take as the fields stand, for a message box, or "" when
  // it can; RefusedField is the field to put right, Field::None when none.
  std::string Refusal() const;
  Field RefusedField() const;
  // What OK asks before it replaces the timer that is set, or "" when none is.
  std::string ReplaceQuestion() const;
  // The request the fields make; nothing while Refusal() has something to say.
  std::optional<QuickTimerRequest> Request() const;

 private:
  struct Fault {
    std::string text;
    Field field = Field::None;
  };
  Fault FirstFault() const;
};

}  // namespace velmaro
