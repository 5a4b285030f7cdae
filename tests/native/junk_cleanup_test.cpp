#include "actions/junk_cleanup.h"

#include <gtest/gtest.h>

#include "base/gbk.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"

namespace velmaro {
namespace {

ClockSnapshot At(int year, int month, int day, int hour, int minute, int second) {
  ClockSnapshot now;
  now.wYear = static_cast<std::uint16_t>(year);
  now.wMonth = static_cast<std::uint16_t>(month);
  now.wDay = static_cast<std::uint16_t>(day);
  now.wHour = static_cast<std::uint16_t>(hour);
  now.wMinute = static_cast<std::uint16_t>(minute);
  now.wSecond = static_cast<std::uint16_t>(second);
  return now;
}

TEST(JunkCleanup, LogNameHasNoLeadingZeros) {
  struct Case {
    ClockSnapshot now;
    const char* name;
  };
  const Case kCases[] = {
      {At(2026, 3, 5, 8, 7, 9), "清理系统垃圾列表202635_879.txt"},
      {At(2026, 1, 1, 0, 0, 0), "清理系统垃圾列表202611_000.txt"},
      // Different moments, one name: the later cleanup rewrites the earlier log.
      {At(2026, 1, 12, 10, 20, 30), "清理系统垃圾列表2026112_102030.txt"},
      {At(2026, 11, 2, 10, 20, 30), "清理系统垃圾列表2026112_102030.txt"},
      {At(2026, 3, 5, 1, 11, 5), "清理系统垃圾列表202635_1115.txt"},
      {At(2026, 3, 5, 11, 1, 5), "清理系统垃圾列表202635_1115.txt"},
  };
  for (const Case& c : kCases) EXPECT_EQ(JunkCleanupLogName(c.now), c.name);
}

TEST(JunkCleanup, CommandLineQuotesEveryPathAndLeavesOutTheRegistrysSettings) {
  struct Case {
    const char* directory;
    const char* log;
    const char* commandLine;
  };
  constexpr Case kCases[] = {
      {"C:\\Tools\\", "C:\\Tools\\清理系统垃圾列表202635_879.txt",
       "\"C:\\WINDOWS\\system32\\cmd.exe\" /d /u /v:off /c "
       "\"\"C:\\Tools\\QLLJ.bat\" >> \"C:\\Tools\\清理系统垃圾列表202635_879.txt\"\""},
      {"C:\\Program Files\\Velmaro\\", "C:\\Program Files\\Velmaro\\a.txt",
       "\"C:\\WINDOWS\\system32\\cmd.exe\" /d /u /v:off /c "
       "\"\"C:\\Program Files\\Velmaro\\QLLJ.bat\" >> \"C:\\Program Files\\Velmaro\\a.txt\"\""},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(JunkCleanupCommandLine("C:\\WINDOWS\\system32\\cmd.exe", c.directory, c.log), c.commandLine);
  }
}

TEST(JunkCleanup, RunsTheBatchBesideTheProgramAndOpensTheLogOnlyWhenAsked) {
  struct Case {
    std::int32_t showLog;
    RunOutcome outcome;
    bool opened;
  };
  constexpr Case kCases[] = {
      {-1, RunOutcome::Finished, true},
      {0, RunOutcome::Finished, false},
      // After the time limit the batch may still be writing its log.
      {-1, RunOutcome::StillRunning, false},
      {-1, RunOutcome::NotStarted, false},
  };
  const std::string log = "C:\\Program Files\\Velmaro\\清理系统垃圾列表202635_879.txt";
  for (const Case& c : kCases) {
    FakeClock clock;
    clock.now = At(2026, 3, 5, 8, 7, 9);
    FakeSession session;
    FakeProcesses processes;
    processes.runOutcome = c.outcome;
    FakeShell shell;
    RunJunkCleanup(c.showLog, 0x777, clock, session, processes, shell);

    ASSERT_EQ(processes.runs.size(), 1u);
    // The batch appends to the log, so the log must be started before it runs.
    EXPECT_EQ(processes.unicodeTexts, std::vector<std::string>{log});
    EXPECT_EQ(processes.runs[0].unicodeTextsBefore, 1u);
    EXPECT_EQ(processes.runs[0].commandLine,
              JunkCleanupCommandLine(processes.interpreter, "C:\\Program Files\\Velmaro\\", log));
    EXPECT_EQ(processes.runs[0].timeoutMs, 600000u);
    ASSERT_EQ(shell.executed.size(), c.opened ? 1u : 0u) << c.showLog;
    if (c.opened) {
      const FakeShell::Executed& open = shell.executed[0];
      EXPECT_EQ(open.owner, 0x777u);
      EXPECT_EQ(open.verb, "open");
      EXPECT_EQ(open.file, log);
      EXPECT_FALSE(open.parametersNull);
      EXPECT_EQ(open.parameters, "");
      EXPECT_FALSE(open.directoryNull);
      EXPECT_EQ(open.directory, "");
      EXPECT_EQ(open.showCommand, 1);
      EXPECT_TRUE(open.asUser) << "the editor that shows the log runs as the signed-in user";
    }
  }
}

TEST(JunkCleanup, NoSecondCleanupStartsWhileTheFirstStillRuns) {
  FakeClock clock;
  clock.now = At(2026, 3, 5, 8, 7, 9);
  FakeSession session;
  FakeProcesses processes;
  FakeShell shell;
  processes.runOutcome = RunOutcome::StillRunning;
  RunJunkCleanup(-1, 0x777, clock, session, processes, shell);
  ASSERT_EQ(processes.runs.size(), 1u);

  processes.runOutcome = RunOutcome::Finished;
  clock.now.wSecond = 40;
  RunJunkCleanup(-1, 0x777, clock, session, processes, shell);
  RunJunkCleanup(0, 0x777, clock, session, processes, shell);
  EXPECT_EQ(processes.runs.size(), 1u);
  EXPECT_TRUE(shell.executed.empty());
  // Starting a log afresh would empty the one the running batch still writes.
  EXPECT_EQ(processes.unicodeTexts.size(), 1u);

  // Once the first batch has ended, the next cleanup runs and shows its own log.
  processes.stillRunning = false;
  RunJunkCleanup(-1, 0x777, clock, session, processes, shell);
  EXPECT_EQ(processes.runs.size(), 2u);
  ASSERT_EQ(shell.executed.size(), 1u);
  EXPECT_EQ(shell.executed[0].file, "C:\\Program Files\\Velmaro\\清理系统垃圾列表202635_8740.txt");
}

}  // namespace
}  // namespace velmaro

namespace velmaro {
namespace {

constexpr char kSignedInUser[] = "S-1-5-21-1004336348-1177238915-682003330-1001";

TEST(JunkCleanup, RefusesToRunABatchThatStandardUsersCouldHaveChanged) {
  const std::string folder = "C:\\Users\\张\\Downloads\\Velmaro";
  const FileSecurity userOwned{true, true, kSignedInUser, {{kSignedInUser, 0x1F01FF}}};
  struct Case {
    const char* what;
    const char* exePath;
    const char* openPath;  // the one path open to users
    bool missingBatch;
    bool refused;
  };
  const Case cases[] = {
      {"the folder", "C:\\Users\\张\\Downloads\\Velmaro\\Velmaro.exe", "C:\\Users\\张\\Downloads\\Velmaro", false, true},
      {"the batch in a closed folder", "C:\\Users\\张\\Downloads\\Velmaro\\Velmaro.exe",
       "C:\\Users\\张\\Downloads\\Velmaro\\QLLJ.bat", false, true},
      {"a drive's root keeps its separator", "E:\\Velmaro.exe", "E:\\", false, true},
      {"a closed folder with no batch in it", "C:\\Users\\张\\Downloads\\Velmaro\\Velmaro.exe", "", true, false},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    clock.now = At(2026, 3, 5, 8, 7, 9);
    FakeSession session;
    session.path = c.exePath;
    if (*c.openPath) session.security[c.openPath] = userOwned;
    if (c.missingBatch) session.security[DirectoryPart(c.exePath) + "QLLJ.bat"] = FileSecurity{};
    FakeProcesses processes;
    FakeShell shell;
    RunJunkCleanup(-1, 0x777, clock, session, processes, shell);

    EXPECT_EQ(processes.runs.size(), c.refused ? 0u : 1u) << c.what;
    EXPECT_EQ(processes.unicodeTexts.empty(), c.refused) << c.what << ": no log is started either";
    ASSERT_EQ(shell.boxes.size(), c.refused ? 1u : 0u) << c.what;
    if (c.refused) {
      EXPECT_EQ(shell.boxes[0].text.rfind(kJunkCleanupRefused, 0), 0u) << c.what;
      EXPECT_NE(shell.boxes[0].text.find(DirectoryPart(c.exePath)), std::string::npos) << "names the folder";
    }
  }
}

}  // namespace
}  // namespace velmaro
