// The record of what ran: one line per task that ran, was skipped, cancelled
// or postponed, ran late, failed, or was not done (asleep, or for a reason), in
// "Velmaro\运行记录.log" under the common application data folder. The file is
// kept to about kRecordLimitBytes: past it, it becomes "运行记录.old.log",
// replacing the one before, and a new file starts.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/record_file.h"

namespace velmaro {

// Failed: the system refused the action ("失败：" and its message). NotDone:
// the action was not carried out, for the reason in `detail` ("未执行：").
// Began: written before a fast restart or fast shutdown, which end the
// system inside the call when they succeed and so never report back.
// Woke: the wake timer woke the computer for the task. CaughtUp: run once
// for the occurrence missed while the computer was off or asleep, the
// local minute in `detail`. CannotWake: the system refused the wake timer
// the task needs, its reason in `detail`.
enum class RecordOutcome {
  Ran, RanLate, Skipped, Cancelled, Postponed, NotDoneAsleep, Failed, NotDone, Began, Woke, CaughtUp, CannotWake,
};

// The slot of the quick timer, which is no stored task: its lines say "定时"
// in place of the task's number.
constexpr std::int32_t kQuickTimerSlot = -1;

struct RecordEntry {
  std::int32_t slot = 0;
  std::string trigger;  // code page 936, as stored
  std::string action;
  RecordOutcome outcome = RecordOutcome::Ran;
  std::int32_t minutes = 0;  // how late, or postponed by how much
  std::string detail;        // why it failed or was not done
};

extern const char kRecordFileName[];     // "运行记录.log"
extern const char kRecordOldFileName[];  // "运行记录.old.log"
constexpr std::int64_t kRecordLimitBytes = 1024 * 1024;

// "2026-12-09 05:12:00\t任务 3\t每天22:00\t关机\t已执行\r\n". Control characters
// in the stored texts become blanks and long ones are cut, so every entry is
// one line of bounded length.
std::string RecordLine(const ClockSnapshot& at, const RecordEntry& entry);

class RunRecord {
 public:
  RunRecord(RecordFileService& files, ClockService& clock) : files_(files), clock_(clock) {}

  // The record's path ("" when the system names no common data folder).
  std::string Path();
  // Appends the entry at the clock's time. A record that cannot be written
  // is left as it is: it never stops a task.
  void Write(const RecordEntry& entry) noexcept;

 private:
  RecordFileService& files_;
  ClockService& clock_;
};

}  // namespace velmaro
