#include "actions/task_actions.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_dialup.h"
#include "tests/fakes/fake_reminders.h"

namespace velmaro {
namespace {

TEST(KillProcessByName, FoldsOnlyAsciiLetters) {
  struct Case {
    const char* text;
    const char* folded;
  };
  constexpr Case kCases[] = {
      {"notepad.exe", "NOTEPAD.EXE"},
      {"MiXeD-09_z.Exe", "MIXED-09_Z.EXE"},
      // 乤 is 81 61 and 俛 is 82 61: their second byte is an "a" and stays one.
      {"乤俛a.exe", "乤俛A.EXE"},
      {"记事本.exe", "记事本.EXE"},
      {"", ""},
  };
  for (const Case& c : kCases) EXPECT_EQ(FoldAsciiUpper(c.text), c.folded) << c.text;
}

TEST(KillProcessByName, MatchesFileNamePartOrWholeEntry) {
  struct Case {
    const char* exeFile;
    const char* name;
    bool matches;
  };
  constexpr Case kCases[] = {
      {"notepad.exe", "NOTEPAD.EXE", true},
      {"NotePad.EXE", "notepad.exe", true},
      {"C:\\WINDOWS\\notepad.exe", "notepad.exe", true},
      {"C:notepad.exe", "notepad.exe", true},
      {"notepad.exe", "notepad", false},
      {"notepad.exe", "otepad.exe", false},
      // A name with a path matches only a whole entry that equals it.
      {"notepad.exe", "C:\\WINDOWS\\notepad.exe", false},
      {"c:\\windows\\notepad.exe", "C:\\WINDOWS\\NOTEPAD.EXE", true},
      // 嘰 is 87 5C: its second byte is no path delimiter.
      {"C:\\工具\\嘰.exe", "嘰.exe", true},
      {"C:\\工具\\嘰.exe", ".exe", false},
      // Double-byte characters are compared as they are, never folded.
      {"乤.exe", "乤.EXE", true},
      {"乤.exe", "\x81" "A.exe", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ProcessNameMatches(c.exeFile, c.name), c.matches) << c.exeFile << " / " << c.name;
  }
}

TEST(HangUpDialUp, HangsUpTheFirstConnectionAndTellsTheOutcome) {
  struct Case {
    const char* what;
    std::vector<ConnectionHandle> active;
    std::uint32_t enumError;
    std::uint32_t hangUpError;
    std::vector<ConnectionHandle> hungUp;
    std::vector<std::string> shown;
  };
  const std::vector<ConnectionHandle> eleven = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
  const Case kCases[] = {
      {"none", {}, 0, 0, {}, {"没有可用的拨号连接"}},
      {"enumeration fails", {7}, 632, 0, {}, {}},
      {"hang-up fails", {7, 8}, 0, 668, {7}, {"断开失败"}},
      {"hang-up succeeds", {7, 8}, 0, 0, {7}, {"断开成功"}},
      {"more than ten", eleven, 0, 0, {11}, {"断开成功"}},
  };
  for (const Case& c : kCases) {
    FakeDialUp dialUp;
    dialUp.active = c.active;
    dialUp.enumError = c.enumError;
    dialUp.hangUpError = c.hangUpError;
    FakeReminders reminders;
    HangUpDialUp(dialUp, reminders);
    EXPECT_EQ(dialUp.hungUp, c.hungUp) << c.what;
    EXPECT_EQ(reminders.shown, c.shown) << c.what;
  }
}

}  // namespace
}  // namespace velmaro
