#include "app/quick_timer.h"

#include <cstdlib>

#include "actions/action_table.h"
#include "base/error.h"
#include "base/gbk.h"
#include "scheduler/tick_window.h"
#include "store/registry_object.h"
#include "store/task_store.h"

namespace velmaro {

const char kQuickTimerValue[] = "QuickTimer";
const char kQuickTimerTrigger[] = "定时";
const char kWelcomedValue[] = "Welcomed";

namespace {

constexpr std::int64_t kLateLimitMs = static_cast<std::int64_t>(kCatchUpMinutes) * 60000;
// The counter and the clock, read a while apart, disagree about when the
// computer started by this much at most in one run of the system; more, and
// it was started anew (or its clock set) while the program was closed.
constexpr std::int64_t kSameStartSlackSeconds = 120;

std::int64_t LocalSecondOf(const ClockSnapshot& at) { return LocalMinuteOf(at) * 60 + at.wSecond; }

// The kept value: "1|In|关闭计算机|<due local second>|<since>|<delay ms>|<start second>|text",
// the text last, where a "|" in it needs no escape.
std::string Field(const std::string& text, std::size_t& pos) {
  if (pos > text.size()) return std::string();  // past the last field: missing
  const std::size_t bar = text.find('|', pos);
  const std::string field = text.substr(pos, bar == std::string::npos ? std::string::npos : bar - pos);
  pos = bar == std::string::npos ? text.size() + 1 : bar + 1;
  return field;
}

std::optional<std::int64_t> Number(const std::string& digits) {
  if (digits.empty() || digits.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const char c = digits[i];
    if (c == '-' && i == 0 && digits.size() > 1) continue;
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return digits[0] == '-' ? -value : value;
}

}  // namespace

std::string QuickTimerVerb(const std::string& action) {
  const ActionRow* row = FindAction(action);
  return row && row->verb[0] != '\0' ? std::string(row->verb) : action;
}

std::string QuickTimer::Set(const QuickTimerRequest& request) {
  Setting setting;
  setting.request = request;
  setting.serial = ++serials_;
  if (request.when == QuickTimerRequest::When::In) {
    setting.since = clock_.TickCount();
    setting.delayMs = static_cast<std::uint32_t>(request.minutes) * 60000u;
  } else {
    // The next time the clock shows that hour and minute: today, or tomorrow.
    const ClockSnapshot now = clock_.LocalTime();
    const std::int64_t today = LocalMinuteOf(now) - (now.wHour * 60 + now.wMinute);
    std::int64_t due = today + request.hour * 60 + request.minute;
    if (due <= LocalMinuteOf(now)) due += 1440;
    setting.dueMinute = due;
  }
  set_ = setting;
  Keep();
  return Description();
}

void QuickTimer::Clear() {
  if (!set_) return;
  set_.reset();
  Unkeep();
}

std::int64_t QuickTimer::DueMinute() {
  if (set_->request.when == QuickTimerRequest::When::At) return set_->dueMinute;
  const ClockSnapshot local = clock_.LocalTime();
  const std::int64_t inMinuteMs = local.wSecond * 1000 + local.wMilliseconds;
  return LocalMinuteOf(local) + (inMinuteMs - LateMs()) / 60000;
}

std::int64_t QuickTimer::LateMs() {
  if (set_->request.when == QuickTimerRequest::When::At) {
    const ClockSnapshot local = clock_.LocalTime();
    return (LocalMinuteOf(local) - set_->dueMinute) * 60000 + local.wSecond * 1000 + local.wMilliseconds;
  }
  // Unsigned: right across the wrap of the counter.
  const std::uint32_t gone = clock_.TickCount() - set_->since;
  return static_cast<std::int64_t>(gone) - static_cast<std::int64_t>(set_->delayMs);
}

std::string QuickTimer::Description() {
  if (!set_) return std::string();
  const ClockSnapshot at = LocalMinuteAt(DueMinute());
  return TwoDigits(at.wHour) + ":" + TwoDigits(at.wMinute) + " " + QuickTimerVerb(set_->request.action);
}

DueTask QuickTimer::Task() {
  DueTask task;
  task.trigger = kQuickTimerTrigger;
  task.action = set_->request.action;
  task.argument = set_->request.text;
  // The key's place among identical tasks names the setting, so that a
  // warning opened for one timer never acts on the next.
  task.duplicate = static_cast<int>(set_->serial & 0x7FFFFFFF);
  task.slot = kQuickTimerSlot;
  task.occurrence = static_cast<std::uint64_t>(DueMinute());
  return task;
}

std::optional<QuickTimer::Taken> QuickTimer::TakeDue() {
  if (!set_) return std::nullopt;
  const std::int64_t late = LateMs();
  if (late < 0) return std::nullopt;
  Taken taken{Task(), late > kLateLimitMs};
  taken.task.lateMinutes = static_cast<std::int32_t>(late / 60000);
  Clear();
  return taken;
}

std::optional<DueTask> QuickTimer::TakeSleptThrough() {
  if (!set_ || LateMs() < 0) return std::nullopt;
  DueTask task = Task();
  Clear();
  return task;
}

bool QuickTimer::Holds(const DueTask& task) {
  return set_ && task.slot == kQuickTimerSlot && task.duplicate == static_cast<int>(set_->serial & 0x7FFFFFFF);
}

std::optional<ComingTask> QuickTimer::Coming(const std::vector<std::int32_t>& minutes) {
  if (!set_) return std::nullopt;
  const std::int64_t ahead = DueMinute() - LocalMinuteOf(clock_.LocalTime());
  for (std::int32_t m : minutes) {
    if (m == ahead) return ComingTask{Task(), m};
  }
  return std::nullopt;
}

void QuickTimer::Keep() {
  const Setting& s = *set_;
  const bool in = s.request.when == QuickTimerRequest::When::In;
  const ClockSnapshot local = clock_.LocalTime();
  const std::uint32_t now = clock_.TickCount();
  const std::int64_t nowSecond = LocalSecondOf(local);
  const std::int64_t due = in ? nowSecond - LateMs() / 1000 : s.dueMinute * 60;
  const std::string text = std::string("1|") + (in ? "In" : "At") + "|" + s.request.action + "|" +
                           std::to_string(due) + "|" + std::to_string(s.since) + "|" + std::to_string(s.delayMs) +
                           "|" + std::to_string(nowSecond - now / 1000) + "|" + s.request.text;
  RegistryObject reg(registry_);
  reg.SelectRoot(RegRoot::LocalMachine);
  reg.OpenKey(kStoreKey);
  reg.WriteString(kQuickTimerValue, text);
  reg.CloseKey();
}

void QuickTimer::Unkeep() {
  RegistryObject reg(registry_);
  reg.SelectRoot(RegRoot::LocalMachine);
  if (!reg.OpenExistingKey(kStoreKey)) return;
  reg.DeleteValue(kQuickTimerValue);
  reg.CloseKey();
}

std::optional<QuickTimer::Dropped> QuickTimer::Load() {
  std::string text;
  {
    RegistryObject reg(registry_);
    reg.SelectRoot(RegRoot::LocalMachine);
    if (!reg.OpenExistingKey(kStoreKey)) return std::nullopt;
    RegValue value;
    const bool found = reg.QueryValue(kQuickTimerValue, &value);
    reg.CloseKey();
    if (!found) return std::nullopt;
    if (value.type == kRegSz) text = value.data;
  }
  std::size_t pos = 0;
  const std::string version = Field(text, pos);
  const std::string kind = Field(text, pos);
  Setting s;
  s.request.action = Field(text, pos);
  const std::optional<std::int64_t> due = Number(Field(text, pos));
  const std::optional<std::int64_t> since = Number(Field(text, pos));
  const std::optional<std::int64_t> delay = Number(Field(text, pos));
  const std::optional<std::int64_t> start = Number(Field(text, pos));
  if (pos <= text.size()) s.request.text = text.substr(pos);
  const bool in = kind == "In";
  const bool valid = version == "1" && (in || kind == "At") && FindAction(s.request.action) && due && since &&
                     delay && start && *since >= 0 && *since <= 0xFFFFFFFFLL && *delay >= 0 &&
                     *delay <= static_cast<std::int64_t>(kQuickTimerMaxMinutes) * 60000;
  if (!valid) {
    // Nothing this program wrote: not a timer to keep.
    Unkeep();
    return std::nullopt;
  }
  s.request.when = in ? QuickTimerRequest::When::In : QuickTimerRequest::When::At;
  s.serial = ++serials_;
  const ClockSnapshot local = clock_.LocalTime();
  const std::uint32_t now = clock_.TickCount();
  const std::int64_t nowSecond = LocalSecondOf(local);
  const bool sameStart = std::llabs(nowSecond - now / 1000 - *start) <= kSameStartSlackSeconds &&
                         now >= static_cast<std::uint32_t>(*since);
  if (in) {
    if (sameStart) {
      s.since = static_cast<std::uint32_t>(*since);
      s.delayMs = static_cast<std::uint32_t>(*delay);
    } else {
      // Started anew: only the clock is left to time it by.
      s.since = now;
      const std::int64_t left = (*due - nowSecond) * 1000;
      s.delayMs = static_cast<std::uint32_t>(left > 0 ? (left < *delay ? left : *delay) : 0);
    }
  } else {
    s.dueMinute = *due / 60;
  }
  set_ = s;
  if (sameStart) return std::nullopt;  // the next tick finds it due, or late
  if (LateMs() < 0) {
    Keep();  // timed afresh from now
    return std::nullopt;
  }
  Dropped dropped{Task(), "定时的时间到时电脑没有开着"};
  Clear();
  return dropped;
}

}  // namespace velmaro
