// Closing programs by name and running the junk cleanup batch against real
// processes of the Wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "actions/junk_cleanup.h"
#include "actions/task_actions.h"
#include "base/text_win.h"
#include "platform/processes.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

// Starts the helper under other names, so that only this test's processes carry them.
class HelperProcesses {
 public:
  HelperProcesses() : folder_(MakeScratchFolder(L"velmaro processes")) {}
  ~HelperProcesses() {
    for (HANDLE process : started_) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
    RemoveScratchFolder(folder_);
  }

  // The sleeper copied as `name` (without ".exe") plus this process's id; returns the file name.
  WideString Install(const WideString& name) {
    WideString fileName = name + L"_" + WideNumber(GetCurrentProcessId()) + L".exe";
    CopyFileW((TestExeFolder() + L"velmaro_sleeper.exe").c_str(), (folder_ + fileName).c_str(), FALSE);
    return fileName;
  }

  HANDLE Start(const WideString& fileName, const WideString& arguments = L"") {
    WideString line = L"\"" + folder_ + fileName + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
      ADD_FAILURE() << "could not start " << FromWide(fileName);
      return nullptr;
    }
    CloseHandle(info.hThread);
    started_.push_back(info.hProcess);
    return info.hProcess;
  }

  const WideString& Folder() const { return folder_; }

 private:
  WideString folder_;
  std::vector<HANDLE> started_;
};

bool Ended(HANDLE process) { return WaitForSingleObject(process, 5000) == WAIT_OBJECT_0; }
bool Running(HANDLE process) { return WaitForSingleObject(process, 0) == WAIT_TIMEOUT; }

TEST(Win32KillProcessByName, EndsEveryCopyByBareNameInAnyCaseAndLeavesOthers) {
  HelperProcesses helpers;
  const WideString target = helpers.Install(L"vmkill_a");
  const WideString other = helpers.Install(L"vmkill_b");
  auto processes = MakeSystemProcesses();
  const std::string bareName = FromWide(target);
  std::string upperName = bareName;
  for (char& c : upperName) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  const std::string names[] = {bareName, upperName, "VmKill_A" + bareName.substr(8)};
  for (const std::string& name : names) {
    HANDLE first = helpers.Start(target);
    HANDLE second = helpers.Start(target);
    HANDLE bystander = helpers.Start(other);
    ASSERT_TRUE(first && second && bystander);

    KillProcessByName(*processes, name);
    EXPECT_TRUE(Ended(first)) << name;
    EXPECT_TRUE(Ended(second)) << name;
    EXPECT_TRUE(Running(bystander)) << name;
    TerminateProcess(bystander, 1);
  }
}

TEST(Win32KillProcessByName, ANameOnlyEndsTheProgramsThatReallyCarryIt) {
  HelperProcesses helpers;
  const std::string suffix = "_" + std::to_string(GetCurrentProcessId());
  // 한 and ß have no code page 936 form; read in 936 both names were "?".
  HANDLE korean = helpers.Start(helpers.Install(L"\uD55C"));
  HANDLE german = helpers.Start(helpers.Install(L"\u00DF"));
  const WideString notepad = helpers.Install(L"记事本");
  HANDLE first = helpers.Start(notepad);
  HANDLE second = helpers.Start(notepad);
  ASSERT_TRUE(korean && german && first && second);
  auto processes = MakeSystemProcesses();

  KillProcessByName(*processes, "?" + suffix + ".exe");
  EXPECT_TRUE(Running(korean));
  EXPECT_TRUE(Running(german));

  KillProcessByName(*processes, "记事本" + suffix + ".EXE");
  EXPECT_TRUE(Ended(first));
  EXPECT_TRUE(Ended(second));
  EXPECT_TRUE(Running(korean));
  EXPECT_TRUE(Running(german));
}

TEST(Win32RunHidden, StopsWaitingAfterTheTimeoutAndKeepsTheProcessInMindUntilItEnds) {
  HelperProcesses helpers;
  const WideString sleeper = helpers.Install(L"vmwait");
  auto processes = MakeSystemProcesses();
  DWORD start = GetTickCount();
  RunOutcome outcome =
      processes->RunHidden(FromWide(L"\"" + helpers.Folder() + sleeper + L"\" 30000"), 300);
  DWORD waited = GetTickCount() - start;
  EXPECT_EQ(outcome, RunOutcome::StillRunning);
  EXPECT_LT(waited, 5000u);
  EXPECT_TRUE(processes->HiddenRunStillRunning());
  KillProcessByName(*processes, FromWide(sleeper));
  for (int i = 0; i < 100 && processes->HiddenRunStillRunning(); ++i) Sleep(50);
  EXPECT_FALSE(processes->HiddenRunStillRunning());
  EXPECT_EQ(processes->RunHidden("velmaro-no-such-program.exe", 1000), RunOutcome::NotStarted);
}

class Win32RunJunkCleanup : public ::testing::Test {
 protected:
  void TearDown() override { RemoveScratchFolder(folder); }
  WideString folder = MakeScratchFolder(L"velmaro 垃圾 cleanup");
};

TEST_F(Win32RunJunkCleanup, WritesTheDatedLogInAFolderWithABlankAndReturnsAfterTheBatch) {
  // The batch ends only after a helper that takes half a second, then leaves a mark.
  const std::string batch = "@echo off\r\necho first line\r\n\"" + FromWide(TestExeFolder()) +
                            "velmaro_sleeper.exe\" 500\r\necho last line\r\necho done> \"%~dp0done.txt\"\r\n";
  HANDLE file = CreateFileW((folder + L"QLLJ.bat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, batch.data(), static_cast<DWORD>(batch.size()), &written, nullptr);
  CloseHandle(file);

  FakeClock clock;
  clock.now = ClockSnapshot{2026, 3, 0, 5, 8, 7, 9, 0};  // 5 March 2026, 8:07:09
  FakeSession session;
  session.path = FromWide(folder) + "Velmaro.exe";
  auto processes = MakeSystemProcesses();
  FakeShell shell;

  RunJunkCleanup(-1, 0x4321, clock, session, *processes, shell);

  // The batch's output as UTF-16, after the byte-order mark the program starts the log with.
  std::string expected = "\xFF\xFE";
  for (char c : std::string("first line\r\nlast line\r\n")) expected += std::string{c, '\0'};
  const std::string logPath = FromWide(folder) + "清理系统垃圾列表202635_879.txt";
  EXPECT_TRUE(FileExists(folder + L"done.txt"));
  EXPECT_EQ(ReadWholeFile(ToWide(logPath)), expected);
  ASSERT_EQ(shell.executed.size(), 1u);
  EXPECT_EQ(shell.executed[0].owner, 0x4321u);
  EXPECT_EQ(shell.executed[0].file, logPath);

  // Run by a task: the same log, written anew, and nothing opened.
  shell.executed.clear();
  RunJunkCleanup(0, 0x4321, clock, session, *processes, shell);
  EXPECT_EQ(ReadWholeFile(ToWide(logPath)), expected);
  EXPECT_TRUE(shell.executed.empty());
}

}  // namespace
}  // namespace velmaro
