// The countdowns put off by the user, each to come back once: from the
// countdown's 推迟 button, or from the warning window ahead of its minute.
// Timed on the millisecond counter from the moment each was put off, so that
// a clock change moves neither; the tip reads the local time each comes back
// at afresh. When its time has come a postponement runs only if it still may:
// the same task still stored, not held back longer than a tick catches up,
// and, for an idle task, the user idle again for the task's minutes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "scheduler/task_evaluator.h"

namespace velmaro {

// A postponement held back (a dialog, the pause, another countdown) comes
// when free only within the minutes a tick catches up, on real minutes.
constexpr std::uint32_t kPostponeLateLimitMs = static_cast<std::uint32_t>(kCatchUpMinutes) * 60000u;

struct Postponement {
  DueTask task;
  std::string verb;
  std::uint32_t since = 0;    // the millisecond counter when it was put off
  std::uint32_t delayMs = 0;  // from `since` to its time
  // Unsigned differences: right across the wrap of the counter.
  bool Due(std::uint32_t now) const { return now - since >= delayMs; }
  std::uint32_t Left(std::uint32_t now) const { return Due(now) ? 0 : delayMs - (now - since); }
  std::uint32_t Late(std::uint32_t now) const { return Due(now) ? now - since - delayMs : 0; }
};

class Postponements {
 public:
  // What a postponement whose time has come is checked against.
  class Checks {
   public:
    virtual ~Checks() = default;
    // The slot the same task is stored in now, or 0 when it is stored no more.
    virtual std::int32_t SlotNow(const DueTask& task) = 0;
    // For an idle task: the user has been idle for its minutes now.
    virtual bool IdleAgain(const DueTask& task) = 0;
  };
  struct Dropped {
    Postponement postponement;
    std::string reason;  // for the record
    bool late = false;   // held back too long: the user is told
  };

  void Add(const Postponement& postponement) { queue_.push_back(postponement); }
  void Clear() { queue_.clear(); }
  bool Empty() const { return queue_.empty(); }
  std::size_t Size() const { return queue_.size(); }
  // The one that comes back soonest, or nothing.
  const Postponement* Next(std::uint32_t now) const;

  // The first postponement, in the order they were made, whose time has come
  // and that may still run, taken out, with the slot its task has now; those
  // whose time has come and that may not are taken out too, into `dropped`.
  std::optional<Postponement> TakeDue(std::uint32_t now, Checks& checks, std::vector<Dropped>& dropped);
  // The computer slept: those whose time came meanwhile, taken out.
  std::vector<Postponement> TakeDueAsleep(std::uint32_t now);
  // The same task came due anew: its postponement gives way, taken out.
  std::vector<Postponement> TakeOf(const DueTask& task);

 private:
  std::vector<Postponement> queue_;
};

// The checks as the store and the user's input stand now.
class LiveChecks : public Postponements::Checks {
 public:
  LiveChecks(std::function<std::int32_t(const DueTask&)> slotNow, ClockService& clock)
      : slotNow_(std::move(slotNow)), clock_(clock) {}
  std::int32_t SlotNow(const DueTask& task) override { return slotNow_(task); }
  // The task's own trigger matched now: idle for its minutes.
  bool IdleAgain(const DueTask& task) override;

 private:
  std::function<std::int32_t(const DueTask&)> slotNow_;
  ClockService& clock_;
};

}  // namespace velmaro
