#include "base/gbk.h"

#include <gtest/gtest.h>

namespace velmaro {
namespace {

TEST(CutToColumns, CutsBetweenCharactersWithinTheLimit) {
  struct Case {
    const char* text;
    std::size_t columns;
    const char* cut;
  } const cases[] = {
      {"abc", 3, "abc"},
      {"abcd", 3, "a…"},
      {"中文字", 6, "中文字"},
      {"中文字", 5, "中…"},
      {"a乗cd", 4, "a…"},  // 81 5C is one character: never split before its second byte
      {"abcd", 1, ""},
      {"", 0, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CutToColumns(c.text, c.columns), c.cut) << c.text << " " << c.columns;
}

}  // namespace
}  // namespace velmaro
