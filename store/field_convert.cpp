#include "store/field_convert.h"

#include <array>
#include <cstddef>
#include <vector>

#include "base/error.h"
#include "base/gbk.h"

namespace velmaro {

namespace {

constexpr std::uint64_t kInt32Limit = 0x80000000u;  // 2^31

int DigitValue(char c, unsigned base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::int32_t ReadNumberField(const std::string& text) {
  auto fail = [&text]() { return AppError(QuotedMessage("", text, " is not a valid integer value")); };
  std::size_t pos = text.find_first_not_of(' ');
  if (pos == std::string::npos) throw fail();
  bool negative = false;
  if (text[pos] == '+' || text[pos] == '-') negative = text[pos++] == '-';
  unsigned base = 10;
  if (pos < text.size() && (text[pos] == '$' || AsciiLower(text[pos]) == 'x')) {
    base = 16;
    pos += 1;
  } else if (pos + 1 < text.size() && text[pos] == '0' && AsciiLower(text[pos + 1]) == 'x') {
    base = 16;
    pos += 2;
  }
  if (pos == text.size()) throw fail();
  std::uint64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    int digit = DigitValue(text[pos], base);
    if (digit < 0) throw fail();
    magnitude = magnitude * base + static_cast<unsigned>(digit);
    // Stop before the product could outgrow 64 bits on a long digit run.
    if (magnitude > kInt32Limit) throw fail();
  }
  if (magnitude > (negative ? kInt32Limit : kInt32Limit - 1)) throw fail();
  std::int64_t value = negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
  return static_cast<std::int32_t>(value);
}

namespace {

// Where year, month and day stand among the three written numbers.
struct DatePositions {
  std::size_t year, month, day;
};

DatePositions PositionsOf(DateOrder order) {
  switch (order) {
    case DateOrder::YearMonthDay: return {0, 1, 2};
    case DateOrder::DayMonthYear: return {2, 1, 0};
    case DateOrder::MonthDayYear: break;
  }
  return {2, 0, 1};
}

bool UsableSeparator(const std::string& separator) {
  if (separator.empty()) return false;
  for (char c : separator) {
    // Digits would run into the numbers; a 0xC8 byte would end the date field
    // of a trigger text early, as if it were the marker "日".
    if ((c >= '0' && c <= '9') || static_cast<unsigned char>(c) == 0xC8) return false;
  }
  return true;
}

// The first year of the hundred-year window that one- and two-digit years fall in.
int WindowStart(int currentYear) { return currentYear - 50; }

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

bool IsRealDate(const CalendarDate& date) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12) return false;
  int days = kDays[static_cast<std::size_t>(date.month - 1)] + (date.month == 2 && IsLeapYear(date.year) ? 1 : 0);
  return date.day >= 1 && date.day <= days;
}

std::string PaddedNumber(int value, std::size_t minDigits) {
  std::string digits = std::to_string(value);
  if (digits.size() < minDigits) digits.insert(0, minDigits - digits.size(), '0');
  return digits;
}

struct DateNumber {
  int value = 0;
  std::size_t digits = 0;
};

// Blanks around a number are allowed; a value past 9999 is no part of any
// date, so it is kept at 10000 instead of growing.
bool ReadDateNumber(const std::string& piece, DateNumber& number) {
  std::size_t first = piece.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  std::size_t last = piece.find_last_not_of(' ');
  for (std::size_t pos = first; pos <= last; ++pos) {
    if (piece[pos] < '0' || piece[pos] > '9') return false;
    number.value = number.value * 10 + (piece[pos] - '0');
    if (number.value > 9999) number.value = 10000;
  }
  number.digits = last - first + 1;
  return true;
}

}  // namespace

DateFormat ParseDateFormat(const std::string& format, const std::string& separator) {
  DateFormat result;
  std::string order;  // 'y', 'm', 'd' in the order they first appear
  for (std::size_t pos = 0; pos < format.size();) {
    if (format[pos] == '\'') {
      // Quoted literal text; a quote byte is never the second byte of a
      // double-byte character, so the search is safe.
      std::size_t close = format.find('\'', pos + 1);
      pos = close == std::string::npos ? format.size() : close + 1;
      continue;
    }
    char letter = AsciiLower(format[pos]);
    if (letter != 'y' && letter != 'm' && letter != 'd') {
      pos += GbkCharLength(format, pos);
      continue;
    }
    std::size_t run = 1;
    while (pos + run < format.size() && AsciiLower(format[pos + run]) == letter) ++run;
    pos += run;
    if (letter == 'd' && run > 2) continue;  // a day name, not the day's number
    if (order.find(letter) != std::string::npos) continue;
    order += letter;
    if (letter == 'y') result.shortYear = run <= 2;
    if (letter == 'm') result.padMonth = run >= 2;
    if (letter == 'd') result.padDay = run == 2;
  }
  if (order.empty()) order = "mdy";  // nothing readable: "m/d/yy", as the defaults stand
  if (order.find('y') == std::string::npos) result.shortYear = false;
  if (order[0] == 'y') result.order = DateOrder::YearMonthDay;
  if (order[0] == 'm') result.order = DateOrder::MonthDayYear;
  if (order[0] == 'd') result.order = DateOrder::DayMonthYear;
  result.separator = UsableSeparator(separator) ? separator : "/";
  return result;
}

std::string WriteDateField(const CalendarDate& date, const DateFormat& format, int currentYear) {
  int windowStart = WindowStart(currentYear);
  bool twoDigitYear = format.shortYear && date.year >= windowStart && date.year <= windowStart + 99;
  std::array<std::string, 3> numbers;
  DatePositions at = PositionsOf(format.order);
  numbers[at.year] = twoDigitYear ? PaddedNumber(date.year % 100, 2) : PaddedNumber(date.year, 4);
  numbers[at.month] = PaddedNumber(date.month, format.padMonth ? 2 : 1);
  numbers[at.day] = PaddedNumber(date.day, format.padDay ? 2 : 1);
  return numbers[0] + format.separator + numbers[1] + format.separator + numbers[2];
}

CalendarDate ReadDateField(const std::string& text, const DateFormat& format, int currentYear) {
  auto fail = [&text]() { return AppError(QuotedMessage("", text, " is not a valid date")); };
  std::vector<DateNumber> numbers;
  for (std::size_t start = 0;;) {
    std::size_t stop = format.separator.empty() ? std::string::npos : text.find(format.separator, start);
    DateNumber number;
    if (numbers.size() == 3 || !ReadDateNumber(text.substr(start, stop - start), number)) throw fail();
    numbers.push_back(number);
    if (stop == std::string::npos) break;
    start = stop + format.separator.size();
  }
  CalendarDate date;
  if (numbers.size() == 3) {
    DatePositions at = PositionsOf(format.order);
    const DateNumber& year = numbers[at.year];
    date.year = year.value;
    if (year.digits <= 2) {
      int windowStart = WindowStart(currentYear);
      date.year = windowStart + ((year.value - windowStart) % 100 + 100) % 100;
    }
    date.month = numbers[at.month].value;
    date.day = numbers[at.day].value;
  } else if (numbers.size() == 2) {
    bool dayFirst = format.order == DateOrder::DayMonthYear;
    date.year = currentYear;
    date.month = numbers[dayFirst ? 1 : 0].value;
    date.day = numbers[dayFirst ? 0 : 1].value;
  }
  if (!IsRealDate(date)) throw fail();
  return date;
}

}  // namespace velmaro
