#include "app/quick_timer_dialog.h"

#include "actions/action_table.h"
#include "base/ascii.h"
#include "base/gbk.h"
#include "dialogs/dialogs.h"
#include "lang/stored_words.h"
#include "lang/texts.h"

namespace velmaro {

namespace {

// The stored names come from the action table, which holds the store's words.
const char* StoredName(ActionId id) {
  for (std::size_t i = 0; i < kActionCount; ++i) {
    if (kActionTable[i].id == id) return kActionTable[i].name;
  }
  return "";
}

}  // namespace

const char* const kQuickTimerActions[8] = {
    StoredName(ActionId::PowerOff),  StoredName(ActionId::Restart),     StoredName(ActionId::LogOff),
    StoredName(ActionId::StandBy),   StoredName(ActionId::Hibernate),   StoredName(ActionId::FastPowerOff),
    StoredName(ActionId::FastRestart), StoredName(ActionId::Reminder)};

namespace {

constexpr std::int32_t kMinutesPerDay = 24 * 60;
constexpr std::int32_t kQuarterHour = 15;

bool IsReminder(std::size_t action) {
  const ActionRow* row = action < kQuickTimerActionCount ? FindAction(kQuickTimerActions[action]) : nullptr;
  return row && row->id == ActionId::Reminder;
}

}  // namespace

std::string QuickTimerActionCaption(std::size_t index) {
  if (index >= kQuickTimerActionCount) return std::string();
  const ActionRow* row = FindAction(kQuickTimerActions[index]);
  if (!row) return ShownAction(kQuickTimerActions[index]);
  return row->verb[0] != '\0' ? ShownVerb(row->verb) : ShownAction(row->name);
}

void QuickTimerDialog::Open(const ClockSnapshot& now, const std::string& setNow) {
  const std::int32_t minuteOfDay = (now.wHour % 24) * 60 + now.wMinute % 60;
  const std::int32_t next = (minuteOfDay / kQuarterHour + 1) * kQuarterHour % kMinutesPerDay;
  hour = TwoDigits(static_cast<unsigned>(next / 60));
  minute = TwoDigits(static_cast<unsigned>(next % 60));
  current = setNow;
}

void QuickTimerDialog::ChooseMinutes(std::int32_t choice) {
  minutes = std::to_string(choice);
  when = QuickTimerRequest::When::In;
}

void QuickTimerDialog::Typed(Field field) {
  if (field == Field::Minutes) when = QuickTimerRequest::When::In;
  if (field == Field::Hour || field == Field::Minute) when = QuickTimerRequest::When::At;
}

bool QuickTimerDialog::TextEnabled() const { return IsReminder(action); }

QuickTimerDialog::Fault QuickTimerDialog::FirstFault() const {
  if (action >= kQuickTimerActionCount) return {Tr(Text::QuickTimerNoAction), Field::None};
  if (IsReminder(action)) {
    if (textUnstorable) return {Tr(Text::QuickTimerTextName) + std::string(kUnstorableText), Field::Text};
    if (text.empty()) return {Tr(Text::QuickTimerNoText), Field::Text};
  }
  if (when == QuickTimerRequest::When::In) {
    const std::optional<std::int32_t> value = BoundedDigits(minutes, kQuickTimerMaxMinutes);
    if (!value || *value < 1) {
      return {Format(Text::QuickTimerMinutesRange, {std::to_string(kQuickTimerMaxMinutes)}), Field::Minutes};
    }
    return {};
  }
  if (!BoundedDigits(hour, 23)) return {Tr(Text::QuickTimerHourRange), Field::Hour};
  if (!BoundedDigits(minute, 59)) return {Tr(Text::QuickTimerMinuteRange), Field::Minute};
  return {};
}

std::string QuickTimerDialog::Refusal() const { return FirstFault().text; }

QuickTimerDialog::Field QuickTimerDialog::RefusedField() const { return FirstFault().field; }

std::string QuickTimerDialog::ReplaceQuestion() const {
  if (current.empty()) return std::string();
  return Format(Text::QuickTimerReplace, {current});
}

std::optional<QuickTimerRequest> QuickTimerDialog::Request() const {
  if (!Refusal().empty()) return std::nullopt;
  QuickTimerRequest request;
  request.action = kQuickTimerActions[action];
  if (IsReminder(action)) request.text = text;
  request.when = when;
  if (when == QuickTimerRequest::When::In) {
    request.minutes = *BoundedDigits(minutes, kQuickTimerMaxMinutes);
  } else {
    request.hour = *BoundedDigits(hour, 23);
    request.minute = *BoundedDigits(minute, 59);
  }
  return request;
}

}  // namespace velmaro
