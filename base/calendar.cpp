#include "base/calendar.h"

namespace velmaro {

// Counted in eras of 400 years (146 097 days) from 0000-03-01, so that the
// leap day ends each year of the count.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

CivilDate CivilFromDays(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const int month = static_cast<int>(mp + (mp < 10 ? 3 : -9));
  return {yoe + era * 400 + (month <= 2), month, static_cast<int>(doy - (153 * mp + 2) / 5 + 1)};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

std::string DateTimeText(std::int64_t year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                         int second) {
  // Written into one buffer: a chain of small strings joined costs the exe
  // about a kilobyte at each place that writes a time.
  char text[40];
  std::size_t at = 0;
  const auto two = [&](unsigned value, char before) {
    text[at++] = before;
    text[at++] = static_cast<char>('0' + value / 10 % 10);
    text[at++] = static_cast<char>('0' + value % 10);
  };
  const std::string digits = std::to_string(year);
  for (char c : digits) text[at++] = c;  // at most 20 characters
  two(month, '-');
  two(day, '-');
  two(hour, ' ');
  two(minute, ':');
  if (second >= 0) two(static_cast<unsigned>(second), ':');
  return std::string(text, at);
}

}  // namespace velmaro
