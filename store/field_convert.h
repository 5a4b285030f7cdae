// Conversion of trigger fields: numbers, and the once kind's date written in
// the user's short date format.
#pragma once

#include <cstdint>
#include <string>

namespace velmaro {

// Leading blanks, an optional sign, then decimal digits, or hexadecimal ones
// after "$", "x" or "0x" (either case); nothing after them, and the value
// within signed 32 bits. Throws AppError "'<text>' is not a valid integer value".
std::int32_t ReadNumberField(const std::string& text);

enum class DateOrder { YearMonthDay, MonthDayYear, DayMonthYear };

// What the date field takes from a locale's short date format: dates are
// written as numbers only, so that every written date reads back.
struct DateFormat {
  DateOrder order = DateOrder::MonthDayYear;
  std::string separator = "/";
  bool shortYear = true;  // "y"/"yy": two digits where the year window allows
  bool padMonth = false;  // "MM": at least two digits
  bool padDay = false;    // "dd"
};

// From a short date format such as "yyyy/M/d", "dd.MM.yyyy" or "M/d/yy" and the
// locale's date separator. An empty or unreadable format means "m/d/yy"; a
// separator that could not be read back (empty, digits, or a byte that ends the
// date field in a trigger text) is replaced by "/".
DateFormat ParseDateFormat(const std::string& format, const std::string& separator);

struct CalendarDate {
  int year = 0;
  int month = 0;
  int day = 0;
  bool operator==(const CalendarDate& other) const {
    return year == other.year && month == other.month && day == other.day;
  }
};

// `date` must be a real date in years 1 to 9999. A two-digit year is written
// only when the window of `currentYear` reads it back as the same year.
std::string WriteDateField(const CalendarDate& date, const DateFormat& format, int currentYear);

// Three numbers in the format's order, or month and day in the format's order
// with `currentYear`; one- or two-digit years fall in the hundred years that
// begin 50 years before `currentYear`. Throws AppError
// "'<text>' is not a valid date".
CalendarDate ReadDateField(const std::string& text, const DateFormat& format, int currentYear);

}  // namespace velmaro
