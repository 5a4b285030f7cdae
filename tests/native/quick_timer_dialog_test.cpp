// The quick timer's dialog: what OK refuses and which field it sends the
// user back to, the request it builds, and the time of day it starts at.
#include "app/quick_timer_dialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/action_table.h"
#include "dialogs/dialogs.h"
#include "lang/texts.h"

namespace velmaro {
namespace {

using Field = QuickTimerDialog::Field;
using When = QuickTimerRequest::When;
constexpr std::size_t kReminder = 7;

TEST(QuickTimerDialog, OkRefusesWhatTheTimerCannotTakeAndNamesTheFieldToPutRight) {
  const std::string minutesRange = "请输入 1 到 1440 之间的分钟数";
  const std::string hourRange = "请输入 0 到 23 之间的小时数";
  const std::string unstorable = std::string("“提醒语”") + kUnstorableText;
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);  // no item of the list chosen
  // `taken`: what the request carries, the minutes from now or the minute of the day.
  struct Case {
    std::size_t action;
    const char* text;
    bool unstorable;
    When when;
    const char *minutes, *hour, *minute;
    std::string refusal;
    Field field;
    std::int32_t taken;
  } const cases[] = {
      {0, "", false, When::In, "1", "", "", "", Field::None, 1},
      {0, "", false, When::In, "1440", "", "", "", Field::None, 1440},
      {0, "", false, When::In, "0045", "", "", "", Field::None, 45},
      {0, "", false, When::In, "0", "", "", minutesRange, Field::Minutes, 0},
      {0, "", false, When::In, "1441", "", "", minutesRange, Field::Minutes, 0},
      {0, "", false, When::In, "", "", "", minutesRange, Field::Minutes, 0},
      {0, "", false, When::In, "abc", "", "", minutesRange, Field::Minutes, 0},
      {0, "", false, When::In, "1000000000000", "", "", minutesRange, Field::Minutes, 0},
      // Read digit by digit into 32 bits, 2^32 + 15 would wrap to 15.
      {0, "", false, When::In, "4294967311", "", "", minutesRange, Field::Minutes, 0},
      // A time of day leaves the minutes from now unread, and the other way round.
      {0, "", false, When::At, "", "0", "00", "", Field::None, 0},
      {0, "", false, When::At, "abc", "23", "59", "", Field::None, 23 * 60 + 59},
      {0, "", false, When::In, "5", "99", "", "", Field::None, 5},
      {0, "", false, When::At, "", "24", "0", hourRange, Field::Hour, 0},
      {0, "", false, When::At, "", "7", "60", "请输入 0 到 59 之间的分钟数", Field::Minute, 0},
      // The text counts for the reminder only, and before the minutes.
      {kReminder, "", false, When::In, "0", "", "", "请输入提醒语", Field::Text, 0},
      {kReminder, "??", true, When::In, "5", "", "", unstorable, Field::Text, 0},
      {0, "??", true, When::In, "5", "", "", "", Field::None, 5},
      {kNone, "", false, When::In, "5", "", "", "请选择要定时的动作", Field::None, 0},
  };
  for (const Case& c : cases) {
    QuickTimerDialog dialog;
    dialog.action = c.action;
    dialog.text = c.text;
    dialog.textUnstorable = c.unstorable;
    dialog.when = c.when;
    dialog.minutes = c.minutes;
    dialog.hour = c.hour;
    dialog.minute = c.minute;
    const std::string name = std::string(c.minutes) + " " + c.hour + ":" + c.minute;
    EXPECT_EQ(dialog.Refusal(), c.refusal) << name;
    EXPECT_EQ(dialog.RefusedField(), c.field) << name;
    const std::optional<QuickTimerRequest> request = dialog.Request();
    ASSERT_EQ(request.has_value(), c.refusal.empty()) << name;
    if (!request) continue;
    EXPECT_EQ(request->when, c.when) << name;
    EXPECT_EQ(c.when == When::In ? request->minutes : request->hour * 60 + request->minute, c.taken) << name;
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
  }
}

// The dialog in another language still hands on the stored name, and its
// messages carry what they name.
TEST(QuickTimerDialog, InEveryLanguageTheRequestIsTheSameAndTheMessagesNameTheirValues) {
  std::vector<std::string> stored;
  for (std::size_t i = 0; i < kQuickTimerActionCount; ++i) {
    QuickTimerDialog dialog;
    dialog.action = i;
    dialog.text = "x";
    stored.push_back(dialog.Request()->action);
  }
  for (Language language : {Language::English, Language::Traditional}) {
    SetLanguage(language);
    for (std::size_t i = 0; i < kQuickTimerActionCount; ++i) {
      QuickTimerDialog dialog;
      dialog.action = i;
      dialog.text = "x";
      const std::optional<QuickTimerRequest> request = dialog.Request();
      EXPECT_TRUE(request && request->action == stored[i]) << i;
      EXPECT_FALSE(QuickTimerActionCaption(i).empty()) << i;
    }
    QuickTimerDialog dialog;
    dialog.minutes = "0";
    dialog.current = "23:15 shutdown";
    EXPECT_NE(dialog.Refusal().find("1440"), std::string::npos) << dialog.Refusal();
    EXPECT_NE(dialog.ReplaceQuestion().find("23:15 shutdown"), std::string::npos) << dialog.ReplaceQuestion();
  }
  SetLanguage(Language::Simplified);
}

TEST(QuickTimerDialog, TimeOfDayStartsAtTheNextQuarterHourAfterTheCurrentMinute) {
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
}

}  // namespace
}  // namespace velmaro
