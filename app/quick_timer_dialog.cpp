#include "app/quick_timer_dialog.h"

#include "actions/action_table.h"
#include "base/ascii.h"
#include "base/gbk.h"
#include "dialogs/dialogs.h"

namespace velmaro {

const char* const kQuickTimerActions[8] = {"关闭计算机", "重启计算机", "注销计算机", "待机计算机",
                                           "休眠计算机", "快速关机",   "快速重启",   "提醒"};

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
  if (!row) return kQuickTimerActions[index];
  return row->verb[0] != '\0' ? row->verb : row->name;
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
  if (action >= kQuickTimerActionCount) return {"请选择要定时的动作", Field::None};
  if (IsReminder(action)) {
    if (textUnstorable) return {std::string("“提醒语”") + kUnstorableText, Field::Text};
    if (text.empty()) return {"请输入提醒语", Field::Text};
  }
  if (when == QuickTimerRequest::When::In) {
    const std::optional<std::int32_t> value = BoundedDigits(minutes, kQuickTimerMaxMinutes);
    if (!value || *value < 1) {
      return {"请输入 1 到 " + std::to_string(kQuickTimerMaxMinutes) + " 之间的分钟数", Field::Minutes};
    }
    return {};
  }
  if (!BoundedDigits(hour, 23)) return {"请输入 0 到 23 之间的小时数", Field::Hour};
  if (!BoundedDigits(minute, 59)) return {"请输入 0 到 59 之间的分钟数", Field::Minute};
  return {};
}

std::string QuickTimerDialog::Refusal() const { return FirstFault().text; }

QuickTimerDialog::Field QuickTimerDialog::RefusedField() const { return FirstFault().field; }

std::string QuickTimerDialog::ReplaceQuestion() const {
  if (current.empty()) return std::string();
  return "已设置定时（" + current + "），要替换它吗？";
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
