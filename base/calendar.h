// The one count of days that the tick's window, the occurrences and the
// stored task options share: days since 1970-01-01 of the proleptic
// Gregorian calendar, negative before it.
#pragma once

#include <cstdint>
#include <string>

namespace velmaro {

struct CivilDate {
  std::int64_t year;
  int month;  // 1..12
  int day;    // 1..31
};

// Any month and day are taken as they come; a date that does not exist
// counts on into the next month (30 February is 1 or 2 March), so a reader
// that needs a real date compares CivilFromDays of the result with its own.
std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day);
CivilDate CivilFromDays(std::int64_t days);

// Rounded toward minus infinity, so that a minute before 1970 falls in the
// day it belongs to.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b);

// "2026-12-09 05:12", and with `second` given "2026-12-09 05:12:00": how the
// record and the stored options write a local time. The year is written as
// it is; the other fields with two digits.
std::string DateTimeText(std::int64_t year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                         int second = -1);

}  // namespace velmaro
