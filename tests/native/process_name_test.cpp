#include "base/process_name.h"

#include <gtest/gtest.h>

namespace velmaro {
namespace {

TEST(FoldedFileName, CutsAfterTheLastDelimiterAndFoldsOnlyAsciiLetters) {
  struct Case {
    const char16_t* exeFile;
    const char16_t* expected;
  };
  constexpr Case kCases[] = {
      {u"notepad.exe", u"NOTEPAD.EXE"},
      {u"C:\\WINDOWS\\NotePad.exe", u"NOTEPAD.EXE"},
      {u"C:notepad.exe", u"NOTEPAD.EXE"},
      {u"C:\\WINDOWS\\", u""},
      {u"", u""},
      // A unit whose low byte is 0x5C ("\") or 0x3A (":") is no delimiter.
      {u"C:\\Tools\\\u5C5C\u3A3Aa.exe", u"\u5C5C\u3A3AA.EXE"},
      // Only ASCII letters fold.
      {u"\u00E9.exe", u"\u00E9.EXE"},
      {u"\uFF4Eotepad.exe", u"\uFF4EOTEPAD.EXE"},
  };
  for (std::size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
    EXPECT_EQ(FoldedFileName(kCases[i].exeFile), kCases[i].expected) << "case " << i;
  }
}

}  // namespace
}  // namespace velmaro
