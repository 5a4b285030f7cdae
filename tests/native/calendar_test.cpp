#include "base/calendar.h"

#include <gtest/gtest.h>

namespace velmaro {
namespace {

// Day numbers as an independent calendar gives them; the century years test
// the rule that 1900 and 2100 have no 29 February while 1600 and 2000 do.
TEST(Calendar, CountsDaysBothWaysAcrossLeapDaysAndCenturies) {
  struct Case {
    CivilDate date;
    std::int64_t days;
  } const cases[] = {
      {{1970, 1, 1}, 0},        {{1969, 12, 31}, -1},      {{2000, 2, 29}, 11016},   {{2000, 3, 1}, 11017},
      {{1900, 2, 28}, -25509},  {{1900, 3, 1}, -25508},    {{2100, 2, 28}, 47540},   {{2100, 3, 1}, 47541},
      {{1600, 2, 29}, -135081}, {{1, 1, 1}, -719162},      {{9999, 12, 31}, 2932896}, {{2026, 12, 7}, 20794},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DaysFromCivil(c.date.year, c.date.month, c.date.day), c.days) << c.days;
    const CivilDate back = CivilFromDays(c.days);
    EXPECT_EQ(back.year, c.date.year) << c.days;
    EXPECT_EQ(back.month, c.date.month) << c.days;
    EXPECT_EQ(back.day, c.date.day) << c.days;
  }
  // A day past the month's end counts on into the next, which is how the
  // stored options' reader tells that the date does not exist.
  EXPECT_EQ(DaysFromCivil(2026, 2, 29), DaysFromCivil(2026, 3, 1));
}

TEST(Calendar, MinutesBefore1970FallInTheDayTheyBelongTo) {
  struct Case {
    std::int64_t minute;
    std::int64_t day;
  } const cases[] = {{0, 0}, {1439, 0}, {1440, 1}, {-1, -1}, {-1440, -1}, {-1441, -2}};
  for (const Case& c : cases) EXPECT_EQ(FloorDiv(c.minute, 1440), c.day) << c.minute;
}

}  // namespace
}  // namespace velmaro
