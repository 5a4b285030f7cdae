#include "scheduler/run_record.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_record_file.h"
#include "tests/fakes/scheduler_rig.h"

namespace velmaro {
namespace {

const char kPath[] = "C:\\ProgramData\\Velmaro\\运行记录.log";
const char kOldPath[] = "C:\\ProgramData\\Velmaro\\运行记录.old.log";

ClockSnapshot At(int hour, int minute, int second) {
  FakeClock clock;
  clock.SetLocalTime(2026, 12, 9, hour, minute, second);
  return clock.now;
}

TEST(RunRecord, OneLinePerOutcomeWithTimeSlotTriggerAndAction) {
  struct Case {
    RecordOutcome outcome;
    std::int32_t minutes;
    const char* text;
  };
  const Case cases[] = {
      {RecordOutcome::Ran, 0, "已执行"},
      {RecordOutcome::RanLate, 7, "迟了 7 分钟执行"},
      {RecordOutcome::Skipped, 0, "本次不执行"},
      {RecordOutcome::Cancelled, 0, "已取消"},
      {RecordOutcome::Postponed, 10, "推迟 10 分钟"},
      {RecordOutcome::NotDoneAsleep, 0, "电脑睡眠，未执行"},
  };
  for (const Case& c : cases) {
    RecordEntry entry{12, "每天22:00", "关机", c.outcome, c.minutes, {}};
    EXPECT_EQ(RecordLine(At(22, 0, 5), entry), std::string("2026-12-09 22:00:05\t任务 12\t每天22:00\t关机\t") + c.text + "\r\n");
  }
}

TEST(RunRecord, AStoredTextCannotBreakOrFloodTheLine) {
  // A hostile store: line breaks and tabs in the trigger, a 100 000-character action.
  RecordEntry entry{3, "每天\r\n22:00\t", std::string(100000, 'x'), RecordOutcome::Ran, 0, {}};
  const std::string line = RecordLine(At(1, 2, 3), entry);
  EXPECT_EQ(line.find('\n'), line.size() - 1);
  EXPECT_NE(line.find("\t每天  22:00 \t"), std::string::npos) << line.substr(0, 60);
  EXPECT_LT(line.size(), 500u);
}

TEST(RunRecord, PastTheLimitTheRecordStartsAfreshKeepingOneOldFile) {
  FakeRecordFiles files;
  FakeClock clock;
  clock.now = At(8, 0, 0);
  RunRecord record(files, clock);
  EXPECT_EQ(record.Path(), kPath);

  const RecordEntry entry{1, "每天08:00", "提醒", RecordOutcome::Ran, 0, {}};
  record.Write(entry);
  const std::string first = files.files[kPath];
  ASSERT_FALSE(first.empty());
  // Fill the record to just under the limit: the next line still goes in.
  files.files[kPath] = std::string(static_cast<std::size_t>(kRecordLimitBytes - 3 - 1), 'a');
  record.Write(entry);
  EXPECT_EQ(files.files.count(kOldPath), 0u);
  // Now at or past the limit: it moves aside and a new record begins.
  record.Write(entry);
  ASSERT_EQ(files.files.count(kOldPath), 1u);
  EXPECT_EQ(files.files[kPath], first);
  // The next time, the old file is replaced: one is kept, never more.
  files.files[kPath] = std::string(static_cast<std::size_t>(kRecordLimitBytes), 'b');
  record.Write(entry);
  EXPECT_EQ(files.files[kOldPath], std::string(static_cast<std::size_t>(kRecordLimitBytes), 'b'));
  EXPECT_EQ(files.files[kPath], first);
  EXPECT_EQ(files.files.size(), 2u);
}

TEST(RunRecord, ARecordThatCannotBeWrittenIsLeftAlone) {
  FakeRecordFiles files;
  FakeClock clock;
  clock.now = At(8, 0, 0);
  RunRecord record(files, clock);
  const RecordEntry entry{1, "每天08:00", "提醒", RecordOutcome::Ran, 0, {}};

  files.failAppend = true;
  record.Write(entry);
  EXPECT_TRUE(files.files.empty());

  // A full record that cannot be moved aside is still written to.
  files.failAppend = false;
  files.failReplace = true;
  files.files[kPath] = std::string(static_cast<std::size_t>(kRecordLimitBytes), 'a');
  record.Write(entry);
  EXPECT_GT(files.Size(kPath), kRecordLimitBytes);

  // No common data folder: no record, and no file anywhere else.
  FakeRecordFiles nowhere;
  nowhere.commonData.clear();
  RunRecord lost(nowhere, clock);
  EXPECT_EQ(lost.Path(), "");
  lost.Write(entry);
  EXPECT_TRUE(nowhere.files.empty());
}

}  // namespace
}  // namespace velmaro

namespace velmaro {
namespace {

TEST(RunRecordOfTheProgram, EachOutcomeOfATaskIsOneLine) {
  Rig rig;
  rig.Start({{"每天8时2分", "提醒", "late"}, {"每天8时6分", "关闭计算机", ""}}, 60);
  rig.view.RunFor(10 * kSecond);
  // A dialog holds the tick over 08:02: the reminder is caught up at 08:04.
  SettingsDialog& dialog = rig.OpenSettings();
  rig.view.RunFor(4 * kMinute);
  dialog.Close();
  rig.view.RunFor(2 * kMinute);
  ASSERT_EQ(rig.reminders.shown, std::vector<std::string>{"late"});
  ASSERT_TRUE(rig.view.shown);
  rig.unit.BitBtn2Click();
  std::vector<std::string> lines = rig.RecordedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(20), "任务 1\t每天8时2分\t提醒\t迟了 2 分钟执行");
  EXPECT_EQ(lines[1].substr(20), "任务 2\t每天8时6分\t关闭计算机\t已取消");

  Rig ran;
  ran.Start({{"每天8时0分", "关闭计算机", ""}}, 5);
  ran.view.RunFor(20 * kSecond);
  ASSERT_EQ(ran.power.calls.size(), 1u);
  EXPECT_EQ(ran.RecordedLines(), std::vector<std::string>{"2026-12-07 08:00:10\t任务 1\t每天8时0分\t关闭计算机\t已执行"});

  Rig slept;
  slept.Start({{"每天8时0分", "待机计算机", ""}}, 60);
  slept.view.RunFor(20 * kSecond);
  slept.unit.Suspending();
  lines = slept.RecordedLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].substr(20), "任务 1\t每天8时0分\t待机计算机\t电脑睡眠，未执行");

  // A record that cannot be written changes nothing for the task.
  Rig failing;
  failing.records.failAppend = true;
  failing.Start({{"每天8时0分", "提醒", "still shown"}}, 60);
  failing.view.RunFor(20 * kSecond);
  EXPECT_EQ(failing.reminders.shown, std::vector<std::string>{"still shown"});
}

}  // namespace
}  // namespace velmaro
