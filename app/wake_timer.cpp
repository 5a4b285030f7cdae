#include "app/wake_timer.h"

#include <algorithm>
#include <limits>

namespace velmaro {

namespace {

// A resume this close to the timer's time is its doing: waking from
// hibernation takes a while, and the task's minute is the one after it.
constexpr UniversalTime kWokeBefore = kUniversalMinute;
constexpr UniversalTime kWokeAfter = 3 * kUniversalMinute;

}  // namespace

std::optional<std::string> WakeTimer::Keep(const std::optional<WakeTarget>& target, bool force) {
  if (!target) {
    if (set_) wake_.CancelWakeTimer();
    set_.reset();
    refused_.reset();
    return std::nullopt;
  }
  if (!force && set_ && set_->at == target->at) {
    set_ = target;  // the same minute, perhaps for another of its tasks
    return std::nullopt;
  }
  if (!force && refused_ == target->at) return std::nullopt;
  const WakeResult result = wake_.SetWakeTimer(target->at);
  if (result.ok) {
    set_ = target;
    refused_.reset();
    return std::nullopt;
  }
  set_.reset();
  refused_ = target->at;
  if (refusalSaid_) return std::nullopt;
  refusalSaid_ = true;
  return result.message;
}

bool WakeTimer::Stale(std::int64_t minute) {
  const bool stale = workedOut_ != minute;
  workedOut_ = minute;
  return stale;
}

void WakeTimer::Suspending(UniversalTime now, bool ran) {
  if (!set_ || ran || set_->at > now || set_->due <= now || set_->at == set_->due) return;
  if (wake_.SetWakeTimer(set_->due).ok) set_->at = set_->due;
}

std::optional<WakeTarget> WakeTimer::Resumed(UniversalTime now, std::uint32_t tickCount, std::uint32_t countdownMs) {
  if (!set_ || now < set_->at - kWokeBefore || now > set_->at + kWokeAfter) return std::nullopt;
  if (!awake_) wake_.KeepAwake(true);
  awake_ = true;
  doneAt_.reset();
  wokeFor_ = set_;
  awakeSince_ = tickCount;
  // 100 ns units to milliseconds; a resume after the occurrence counts from now.
  const std::int64_t untilDueMs = std::max<std::int64_t>((set_->due - now) / 10000, 0);
  awakeForMs_ = static_cast<std::uint32_t>(std::min<std::int64_t>(
      untilDueMs + std::int64_t{countdownMs} + kStayAwakeMs, std::numeric_limits<std::uint32_t>::max()));
  return set_;
}

bool WakeTimer::DeadlinePassed(std::uint32_t tickCount) {
  // Modulo 2^32: right across the counter's wrap.
  if (!awake_ || tickCount - awakeSince_ < awakeForMs_) return false;
  Release();
  return true;
}

void WakeTimer::Beat(std::uint32_t tickCount, std::int64_t minute, bool countdownShows) {
  if (!awake_) return;
  const bool busy = (wokeFor_ && wokeFor_->occurrence >= minute) || countdownShows;
  if (busy) {
    doneAt_.reset();
    return;
  }
  if (!doneAt_) doneAt_ = tickCount;
  // Modulo 2^32: right across the counter's wrap.
  if (tickCount - *doneAt_ >= kStayAwakeMs) Release();
}

void WakeTimer::Release() {
  if (awake_) wake_.KeepAwake(false);
  awake_ = false;
  doneAt_.reset();
  wokeFor_.reset();
}

}  // namespace velmaro
