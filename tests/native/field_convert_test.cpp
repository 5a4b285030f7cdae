#include "store/field_convert.h"

#include <gtest/gtest.h>

#include <string>

#include "base/error.h"

namespace velmaro {
namespace {

// The number, or the failure text.
std::string NumberOutcome(const std::string& text) {
  try {
    return std::to_string(ReadNumberField(text));
  } catch (const AppError& error) {
    return error.what();
  }
}

TEST(FieldConvert, NumbersReadAsSigned32BitIntegers) {
  struct Case {
    std::string text;
    std::string outcome;
  };
  const Case cases[] = {
      {"5", "5"},
      {"05", "5"},
      {"  7", "7"},
      {"+7", "7"},
      {"-7", "-7"},
      {"0", "0"},
      {"$1F", "31"},
      {"x1f", "31"},
      {"X1F", "31"},
      {"0x1F", "31"},
      {"0X1f", "31"},
      {"-$10", "-16"},
      {"2147483647", "2147483647"},
      {"-2147483648", "-2147483648"},
      {"$7FFFFFFF", "2147483647"},
      {"-0x80000000", "-2147483648"},
      {"000000000000000000012", "12"},
      {"", "'' is not a valid integer value"},
      {"   ", "'   ' is not a valid integer value"},
      {"7 ", "'7 ' is not a valid integer value"},
      {"\t7", "'\t7' is not a valid integer value"},
      {"1a", "'1a' is not a valid integer value"},
      {"- 1", "'- 1' is not a valid integer value"},
      {"--1", "'--1' is not a valid integer value"},
      {"$", "'$' is not a valid integer value"},
      {"0x", "'0x' is not a valid integer value"},
      {"$-1", "'$-1' is not a valid integer value"},
      {"2147483648", "'2147483648' is not a valid integer value"},
      {"-2147483649", "'-2147483649' is not a valid integer value"},
      {"$80000000", "'$80000000' is not a valid integer value"},
      {"99999999999999999999999", "'99999999999999999999999' is not a valid integer value"},
      {"八", "'八' is not a valid integer value"},
  };
  for (const Case& c : cases) EXPECT_EQ(NumberOutcome(c.text), c.outcome) << c.text;
}

TEST(FieldConvert, DateFormatsWriteNumbersInTheirOrder) {
  struct Case {
    const char* format;
    const char* separator;
    const char* written;  // 2009-01-18 in 2026
  };
  const Case cases[] = {
      {"yyyy/M/d", "/", "2009/1/18"},
      {"yyyy-MM-dd", "-", "2009-01-18"},
      {"dd.MM.yyyy", ".", "18.01.2009"},
      {"M/d/yy", "/", "1/18/09"},
      {"d-MMM-yy", "-", "18-01-09"},
      {"ddd dd/MM/yyyy", "/", "18/01/2009"},
      {"'d' yyyy.M.d", ".", "2009.1.18"},
      {"", "", "1/18/09"},
      {"gg", "/", "1/18/09"},
      {"yyyy'年'M'月'd'日'", "日", "2009/1/18"},
      {"yyyy1M1d", "1", "2009/1/18"},
  };
  for (const Case& c : cases) {
    DateFormat format = ParseDateFormat(c.format, c.separator);
    EXPECT_EQ(WriteDateField({2009, 1, 18}, format, 2026), c.written) << c.format;
    EXPECT_EQ(ReadDateField(c.written, format, 2026), (CalendarDate{2009, 1, 18})) << c.format;
  }
}

// "y-m-d" of the date read, or the failure text.
std::string DateOutcome(const std::string& text, const char* format, const char* separator) {
  try {
    CalendarDate date = ReadDateField(text, ParseDateFormat(format, separator), 2026);
    return std::to_string(date.year) + "-" + std::to_string(date.month) + "-" + std::to_string(date.day);
  } catch (const AppError& error) {
    return error.what();
  }
}

TEST(FieldConvert, DatesReadInTheFormatsOrderIn2026) {
  struct Case {
    const char* text;
    const char* format;
    const char* separator;
    const char* outcome;
  };
  const Case cases[] = {
      {"2009-1-18", "yyyy-M-d", "-", "2009-1-18"},
      {"1/18/2009", "M/d/yyyy", "/", "2009-1-18"},
      {"18.1.2009", "d.M.yyyy", ".", "2009-1-18"},
      {" 2009 - 01 - 18 ", "yyyy-M-d", "-", "2009-1-18"},
      {"1-18", "yyyy-M-d", "-", "2026-1-18"},
      {"1/18", "M/d/yy", "/", "2026-1-18"},
      {"18.1", "d.M.yyyy", ".", "2026-1-18"},
      {"09-1-18", "yyyy-M-d", "-", "2009-1-18"},
      {"80-1-18", "yyyy-M-d", "-", "1980-1-18"},
      {"76-1-18", "yyyy-M-d", "-", "1976-1-18"},
      {"75-1-18", "yyyy-M-d", "-", "2075-1-18"},
      {"0-1-18", "yyyy-M-d", "-", "2000-1-18"},
      {"075-1-18", "yyyy-M-d", "-", "75-1-18"},
      {"2028-2-29", "yyyy-M-d", "-", "2028-2-29"},
      {"2000-2-29", "yyyy-M-d", "-", "2000-2-29"},
      {"2100-2-29", "yyyy-M-d", "-", "'2100-2-29' is not a valid date"},
      {"2-29", "yyyy-M-d", "-", "'2-29' is not a valid date"},
      {"2009-4-31", "yyyy-M-d", "-", "'2009-4-31' is not a valid date"},
      {"2009-13-1", "yyyy-M-d", "-", "'2009-13-1' is not a valid date"},
      {"2009-0-1", "yyyy-M-d", "-", "'2009-0-1' is not a valid date"},
      {"0000-1-1", "yyyy-M-d", "-", "'0000-1-1' is not a valid date"},
      {"10000-1-1", "yyyy-M-d", "-", "'10000-1-1' is not a valid date"},
      {"2009/1/18", "yyyy-M-d", "-", "'2009/1/18' is not a valid date"},
      {"2009-1-18-1", "yyyy-M-d", "-", "'2009-1-18-1' is not a valid date"},
      {"2009--18", "yyyy-M-d", "-", "'2009--18' is not a valid date"},
      {"2009-1-x", "yyyy-M-d", "-", "'2009-1-x' is not a valid date"},
      {"2009-+1-18", "yyyy-M-d", "-", "'2009-+1-18' is not a valid date"},
      {"18", "yyyy-M-d", "-", "'18' is not a valid date"},
      {"", "yyyy-M-d", "-", "'' is not a valid date"},
      {"2009年1月18", "yyyy-M-d", "-", "'2009年1月18' is not a valid date"},
  };
  for (const Case& c : cases) EXPECT_EQ(DateOutcome(c.text, c.format, c.separator), c.outcome) << c.text;
}

TEST(FieldConvert, EveryWrittenDateReadsBack) {
  const char* const pictures[] = {"yyyy{M{d", "yy{MM{dd", "M{d{yy", "MM{dd{yyyy", "d{M{yyyy", "dd{MM{yy"};
  const char* const separators[] = {"-", "/", ".", ". "};
  // Years around the two-digit window of 2026 (1976 to 2075), and the ends of the calendar.
  const int years[] = {1, 99, 100, 1900, 1975, 1976, 2000, 2026, 2075, 2076, 9999};
  const CalendarDate days[] = {{0, 1, 1}, {0, 2, 28}, {0, 2, 29}, {0, 9, 30}, {0, 12, 31}};
  for (const char* picture : pictures) {
    for (const char* separator : separators) {
      std::string format = picture;
      for (char& c : format) {
        if (c == '{') c = separator[0];
      }
      DateFormat parsed = ParseDateFormat(format, separator);
      for (int year : years) {
        for (CalendarDate date : days) {
          date.year = year;
          if (date.month == 2 && date.day == 29 && year % 4 != 0) continue;
          if (date.month == 2 && date.day == 29 && year % 100 == 0 && year % 400 != 0) continue;
          std::string written = WriteDateField(date, parsed, 2026);
          EXPECT_EQ(ReadDateField(written, parsed, 2026), date) << format << " wrote " << written;
        }
      }
    }
  }
}

}  // namespace
}  // namespace velmaro
