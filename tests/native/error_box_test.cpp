#include "platform/error_box.h"

#include <gtest/gtest.h>

namespace velmaro {
namespace {

TEST(ErrorBoxText, AnyTextIsCutToFitTheScreen) {
  const std::string shown = ErrorBoxText(std::string(5000, 'a') + " " + std::string(5000, 'b'));
  EXPECT_EQ(shown, std::string(kErrorBoxColumns - 2, 'a') + "….");
}

TEST(ErrorBoxText, FullStopOnlyAfterCharactersThatSortAfterIt) {
  struct Case {
    const char* failure;
    const char* shown;
  } const cases[] = {
      {"Failed to get data for 'tishi'", "Failed to get data for 'tishi'"},
      {"'x' is not a valid integer value", "'x' is not a valid integer value."},
      {"no dot.", "no dot."},
      {"(paren)", "(paren)"},
      {"blank ", "blank "},
      {"digit 9", "digit 9."},
      {"没有可用的拨号连接", "没有可用的拨号连接."},
      {"ends in 乗", "ends in 乗."},  // 81 5C: one Chinese character, not a backslash
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorBoxText(c.failure), c.shown) << c.failure;
}

}  // namespace
}  // namespace velmaro
