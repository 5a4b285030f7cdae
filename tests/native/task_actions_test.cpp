#include "actions/task_actions.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_dialup.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_reminders.h"

namespace velmaro {
namespace {

TEST(KillProcessByName, MatchesFileNamePartOrWholeEntryWithAsciiLettersFolded) {
  struct Case {
    const char16_t* exeFile;
    const char16_t* name;
    bool matches;
  };
  constexpr Case kCases[] = {
      {u"notepad.exe", u"NOTEPAD.EXE", true},
      {u"NotePad.EXE", u"notepad.exe", true},
      {u"C:\\WINDOWS\\notepad.exe", u"notepad.exe", true},
      {u"notepad.exe", u"notepad", false},
      {u"notepad.exe", u"otepad.exe", false},
      // A name with a path matches only a whole entry that equals it.
      {u"notepad.exe", u"C:\\WINDOWS\\notepad.exe", false},
      {u"c:\\windows\\notepad.exe", u"C:\\WINDOWS\\NOTEPAD.EXE", true},
      {u"\uD55C.exe", u"?.exe", false},
  };
  for (std::size_t i = 0; i < sizeof kCases / sizeof kCases[0]; ++i) {
    EXPECT_EQ(ProcessNameMatches(kCases[i].exeFile, kCases[i].name), kCases[i].matches) << "case " << i;
  }
}

TEST(KillProcessByName, EndsOnlyTheProcessesThatReallyCarryTheName) {
  const std::vector<ProcessEntry> running = {
      {1, u"\uD55C.exe"},  // 한.exe, which code page 936 cannot write
      {2, u"\u00DF.exe"},  // ß.exe, likewise
      {3, u"记事本.exe"},
      {4, u"记事本.EXE"},
      {5, u"C:\\WINDOWS\\记事本.Exe"},
      {6, u"记事本2.exe"},
      {7, u"notepad.exe"},
  };
  struct Case {
    const char* name;  // code page 936, as stored
    std::vector<std::uint32_t> ended;
  };
  const Case kCases[] = {
      {"?.exe", {}},
      {"记事本.exe", {3, 4, 5}},
      {"记事本.EXE", {3, 4, 5}},
      {"记事本.eXe", {3, 4, 5}},
      {"NOTEPAD.exe", {7}},
      {"", {}},
      // A lead byte without its second byte is no name at all.
      {"\x81.exe", {}},
  };
  for (const Case& c : kCases) {
    FakeProcesses processes;
    processes.processes = running;
    KillProcessByName(processes, c.name);
    EXPECT_EQ(processes.terminated, c.ended) << c.name;
  }
}

// A hang-up that failed, or found nothing to hang up, was recorded as done.
TEST(HangUpDialUp, HangsUpTheFirstConnectionAndTellsTheOutcomeToTheUserAndTheRecord) {
  struct Case {
    const char* what;
    std::vector<ConnectionHandle> active;
    std::uint32_t enumError;
    std::uint32_t hangUpError;
    std::vector<ConnectionHandle> hungUp;
    std::vector<std::string> shown;
    ActionResult::Kind kind;
    const char* detail;
  };
  const std::vector<ConnectionHandle> eleven = {11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21};
  using Kind = ActionResult::Kind;
  const Case kCases[] = {
      {"none", {}, 0, 0, {}, {"没有可用的拨号连接"}, Kind::NotDone, "没有可用的拨号连接"},
      {"enumeration fails", {7}, 632, 0, {}, {}, Kind::Failed, "无法列出拨号连接，错误 632"},
      {"hang-up fails", {7, 8}, 0, 668, {7}, {"断开失败"}, Kind::Failed, "断开失败，错误 668"},
      {"hang-up succeeds", {7, 8}, 0, 0, {7}, {"断开成功"}, Kind::Done, ""},
      {"more than ten", eleven, 0, 0, {11}, {"断开成功"}, Kind::Done, ""},
  };
  for (const Case& c : kCases) {
    FakeDialUp dialUp;
    dialUp.active = c.active;
    dialUp.enumError = c.enumError;
    dialUp.hangUpError = c.hangUpError;
    FakeReminders reminders;
    const ActionResult result = HangUpDialUp(dialUp, reminders);
    EXPECT_EQ(dialUp.hungUp, c.hungUp) << c.what;
    EXPECT_EQ(reminders.shown, c.shown) << c.what;
    EXPECT_EQ(result.kind, c.kind) << c.what;
    EXPECT_EQ(result.detail, c.detail) << c.what;
  }
}

}  // namespace
}  // namespace velmaro
