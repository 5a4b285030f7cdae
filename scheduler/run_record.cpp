#include "scheduler/run_record.h"

#include "base/calendar.h"
#include "base/gbk.h"

namespace velmaro {

const char kRecordFileName[] = "运行记录.log";
const char kRecordOldFileName[] = "运行记录.old.log";

namespace {

// Wide enough for any trigger text and action argument a user types.
constexpr std::size_t kRecordFieldColumns = 200;

std::string Field(const std::string& text) {
  std::string field = CutToColumns(text, kRecordFieldColumns);
  for (char& c : field) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return field;
}

std::string OutcomeText(const RecordEntry& entry) {
  const std::string minutes = std::to_string(entry.minutes);
  switch (entry.outcome) {
    case RecordOutcome::Ran: return "已执行";
    case RecordOutcome::RanLate: return "迟了 " + minutes + " 分钟执行";
    case RecordOutcome::Skipped: return "本次不执行";
    case RecordOutcome::Cancelled: return "已取消";
    case RecordOutcome::Postponed: return "推迟 " + minutes + " 分钟";
    case RecordOutcome::NotDoneAsleep: return "电脑睡眠，未执行";
    case RecordOutcome::Failed: return "失败：" + Field(entry.detail);
    case RecordOutcome::NotDone: return "未执行：" + Field(entry.detail);
    case RecordOutcome::Began: return "开始执行";
    case RecordOutcome::Woke: return "为任务 " + std::to_string(entry.slot) + " 唤醒计算机";
    case RecordOutcome::CaughtUp: return "补做（错过 " + Field(entry.detail) + "）";
    case RecordOutcome::CannotWake: return "不能唤醒计算机：" + Field(entry.detail);
  }
  return std::string();
}

}  // namespace

std::string RecordLine(const ClockSnapshot& at, const RecordEntry& entry) {
  // Written out by hand: the C library's formatted printing would bring
  // some 30 KB into the exe for one line.
  std::string line = DateTimeText(at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute, at.wSecond);
  if (entry.slot != kQuickTimerSlot) {
    line += "\t任务 ";
    line += std::to_string(entry.slot);
  }
  for (const std::string* field : {&entry.trigger, &entry.action}) {
    line += '\t';
    line += Field(*field);
  }
  line += '\t';
  line += OutcomeText(entry);
  line += "\r\n";
  return line;
}

std::string RunRecord::Path() {
  const std::string folder = files_.CommonDataFolder();
  return folder.empty() ? std::string() : folder + "Velmaro\\" + kRecordFileName;
}

void RunRecord::Write(const RecordEntry& entry) noexcept {
  try {
    const std::string path = Path();
    if (path.empty()) return;
    if (files_.Size(path) >= kRecordLimitBytes) {
      files_.Replace(path, DirectoryPart(path) + kRecordOldFileName);
    }
    files_.Append(path, RecordLine(clock_.LocalTime(), entry));
  } catch (...) {
    // Out of memory while building the line: the task matters, not its record.
  }
}

}  // namespace velmaro
