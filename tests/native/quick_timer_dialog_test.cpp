// The quick timer's dialog: what OK refuses and which field it sends the
// user back to, the request it builds, and the time of day it starts at.
#include "app/quick_timer_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "actions/action_table.h"
#include "dialogs/dialogs.h"

namespace velmaro {
namespace {

using Field = QuickTimerDialog::Field;
using When = QuickTimerRequest::When;
constexpr std::size_t kReminder = 7;

TEST(QuickTimerDialog, OkRefusesWhatTheTimerCannotTakeAndNamesTheFieldToPutRight) {
  const char kMinutesRange[] = "请输入 1 到 1440 之间的分钟数";
  struct Case {
    const char* name;
    std::function<void(QuickTimerDialog&)> arrange;
    std::string refusal;
    Field field;
  };
  const Case cases[] = {
      {"one minute", [](QuickTimerDialog& d) { d.minutes = "1"; }, "", Field::None},
      {"a whole day", [](QuickTimerDialog& d) { d.minutes = "1440"; }, "", Field::None},
      {"leading zeros", [](QuickTimerDialog& d) { d.minutes = "0045"; }, "", Field::None},
      {"no minutes", [](QuickTimerDialog& d) { d.minutes = "0"; }, kMinutesRange, Field::Minutes},
      {"a day and a minute", [](QuickTimerDialog& d) { d.minutes = "1441"; }, kMinutesRange, Field::Minutes},
      {"empty minutes", [](QuickTimerDialog& d) { d.minutes = ""; }, kMinutesRange, Field::Minutes},
      {"letters", [](QuickTimerDialog& d) { d.minutes = "abc"; }, kMinutesRange, Field::Minutes},
      {"a sign", [](QuickTimerDialog& d) { d.minutes = "-5"; }, kMinutesRange, Field::Minutes},
      // Read digit by digit, a value past 32 bits would wrap to a small one.
      {"10^12", [](QuickTimerDialog& d) { d.minutes = "1000000000000"; }, kMinutesRange, Field::Minutes},
      {"4294967311 wraps to 15", [](QuickTimerDialog& d) { d.minutes = "4294967311"; }, kMinutesRange,
       Field::Minutes},
      // A time of day leaves the minutes from now alone, and the other way round.
      {"at 0:00", [](QuickTimerDialog& d) { d.when = When::At; d.hour = "0"; d.minute = "00"; d.minutes = ""; }, "",
       Field::None},
      {"at 23:59", [](QuickTimerDialog& d) { d.when = When::At; d.hour = "23"; d.minute = "59"; }, "", Field::None},
      {"hour 24", [](QuickTimerDialog& d) { d.when = When::At; d.hour = "24"; d.minute = "0"; },
       "请输入 0 到 23 之间的小时数", Field::Hour},
      {"no hour", [](QuickTimerDialog& d) { d.when = When::At; d.hour = ""; d.minute = "0"; },
       "请输入 0 到 23 之间的小时数", Field::Hour},
      {"minute 60", [](QuickTimerDialog& d) { d.when = When::At; d.hour = "7"; d.minute = "60"; },
       "请输入 0 到 59 之间的分钟数", Field::Minute},
      {"the time of day unread for minutes from now", [](QuickTimerDialog& d) { d.hour = "99"; d.minutes = "5"; }, "",
       Field::None},
      {"reminder without text", [](QuickTimerDialog& d) { d.action = kReminder; }, "请输入提醒语", Field::Text},
      {"reminder with unstorable text",
       [](QuickTimerDialog& d) {
         d.action = kReminder;
         d.text = "??";
         d.textUnstorable = true;
       },
       std::string("“提醒语”") + kUnstorableText, Field::Text},
      // The text counts for the reminder only: greyed out, it is not read.
      {"shut-down with unstorable text",
       [](QuickTimerDialog& d) {
         d.text = "??";
         d.textUnstorable = true;
       },
       "", Field::None},
      {"text checked before the minutes",
       [](QuickTimerDialog& d) {
         d.action = kReminder;
         d.minutes = "0";
       },
       "请输入提醒语", Field::Text},
      {"no action chosen", [](QuickTimerDialog& d) { d.action = static_cast<std::size_t>(-1); }, "请选择要定时的动作",
       Field::None},
  };
  for (const Case& c : cases) {
    QuickTimerDialog dialog;
    dialog.hour = "12";
    dialog.minute = "00";
    c.arrange(dialog);
    EXPECT_EQ(dialog.Refusal(), c.refusal) << c.name;
    EXPECT_EQ(dialog.RefusedField(), c.field) << c.name;
    EXPECT_EQ(dialog.Request().has_value(), c.refusal.empty()) << c.name;
  }
}

TEST(QuickTimerDialog, RequestCarriesTheStoredActionNameAndTheTextOnlyForTheReminder) {
  struct Case {
    const char* caption;
    const char* stored;
  } const cases[] = {{"关机", "关闭计算机"}, {"重启", "重启计算机"},     {"注销", "注销计算机"},
                     {"待机", "待机计算机"}, {"休眠", "休眠计算机"},     {"快速关机", "快速关机"},
                     {"快速重启", "快速重启"}, {"提醒", "提醒"}};
  static_assert(sizeof cases / sizeof cases[0] == kQuickTimerActionCount, "one case per action");
  for (std::size_t i = 0; i < kQuickTimerActionCount; ++i) {
    EXPECT_EQ(QuickTimerActionCaption(i), cases[i].caption) << i;
    ASSERT_NE(FindAction(kQuickTimerActions[i]), nullptr) << i;  // a name the runner knows
    QuickTimerDialog dialog;
    dialog.action = i;
    dialog.text = "该走了";
    dialog.minutes = "45";
    EXPECT_EQ(dialog.TextEnabled(), i == kReminder) << i;
    const std::optional<QuickTimerRequest> request = dialog.Request();
    ASSERT_TRUE(request) << i;
    EXPECT_EQ(request->action, cases[i].stored);
    EXPECT_EQ(request->text, i == kReminder ? "该走了" : "") << i;
    EXPECT_EQ(request->when, When::In);
    EXPECT_EQ(request->minutes, 45);
  }

  QuickTimerDialog at;
  at.Typed(Field::Minute);
  at.hour = "07";
  at.minute = "5";
  const std::optional<QuickTimerRequest> request = at.Request();
  ASSERT_TRUE(request);
  EXPECT_EQ(request->when, When::At);
  EXPECT_EQ(request->hour, 7);
  EXPECT_EQ(request->minute, 5);
  EXPECT_EQ(request->minutes, 0);
  // A one-click choice goes back to minutes from now.
  at.ChooseMinutes(90);
  EXPECT_EQ(at.minutes, "90");
  EXPECT_EQ(at.Request()->when, When::In);
  EXPECT_EQ(at.Request()->minutes, 90);
}

TEST(QuickTimerDialog, TimeOfDayStartsAtTheNextQuarterHourAndTheRestStaysAsChosen) {
  struct Case {
    std::uint16_t hour, minute, second;
    const char* shownHour;
    const char* shownMinute;
  } const cases[] = {
      {10, 0, 0, "10", "15"}, {10, 14, 59, "10", "15"}, {10, 15, 0, "10", "30"},
      {9, 59, 30, "10", "00"}, {23, 45, 0, "00", "00"}, {23, 59, 59, "00", "00"},
  };
  for (const Case& c : cases) {
    QuickTimerDialog dialog;
    ClockSnapshot now;
    now.wHour = c.hour;
    now.wMinute = c.minute;
    now.wSecond = c.second;
    dialog.Open(now, "");
    EXPECT_EQ(dialog.hour, c.shownHour) << c.hour << ":" << c.minute;
    EXPECT_EQ(dialog.minute, c.shownMinute) << c.hour << ":" << c.minute;
  }

  QuickTimerDialog dialog;
  dialog.action = kReminder;
  dialog.text = "开会";
  dialog.minutes = "20";
  ClockSnapshot now;
  now.wHour = 22;
  now.wMinute = 50;
  dialog.Open(now, "23:15 关机");
  EXPECT_EQ(dialog.action, kReminder);
  EXPECT_EQ(dialog.text, "开会");
  EXPECT_EQ(dialog.minutes, "20");
  EXPECT_EQ(dialog.ReplaceQuestion(), "已设置定时（23:15 关机），要替换它吗？");
  dialog.Open(now, "");
  EXPECT_EQ(dialog.ReplaceQuestion(), "");
}

}  // namespace
}  // namespace velmaro
