// The shipped QLLJ.bat itself, run by the command interpreter of the Wine
// prefix on a prepared tree in a scratch folder, with TEMP, TMP, USERPROFILE
// and LOCALAPPDATA pointed into that tree so nothing outside it is cleaned.
//
// The build runs these tests under a zh_CN locale, as on the Chinese systems
// the program serves: the interpreter reads the batch and writes the log in
// code page 936, and the log is read back as code page 936 bytes. Where
// Wine's cmd.exe differs from Windows' own, the tree keeps to what Wine does
// right:
// - it reads the non-ASCII text of a file through FOR /F wrongly, so the
//   names inside the temp folders are ASCII (with every special character),
//   while the folders above them carry Chinese names, and a kept file's
//   reason (Wine's own Chinese message) is only checked to be there;
// - it expands "%" again in a value it has already expanded, so the "%"
//   characters are in names inside the temp folders, not in their paths;
// - it sets SystemRoot for every process itself, so %SystemRoot%\Temp is the
//   prefix's own, empty C:\windows\Temp, which the batch cleans at its top
//   level only; the tree's shared temp folder is TMP instead;
// - it cannot make junctions, and mklink does nothing; a unix symbolic link
//   to a folder, which Wine shows with the reparse-point attribute, stands in
//   for them where the prefix allows.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "actions/junk_cleanup.h"
#include "platform/processes.h"
#include "platform/text_win.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

void MakeFolders(const std::wstring& path) {
  for (std::size_t pos = path.find(L'\\', 3); pos != std::wstring::npos; pos = path.find(L'\\', pos + 1)) {
    CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
}

void WriteFile(const std::wstring& path, const std::string& content = "junk") {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

bool IsLink(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Runs a unix program of the host, which Wine starts like any other; false
// outside Wine.
bool RunUnix(const std::wstring& commandLine) {
  std::wstring line = commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return false;
  }
  WaitForSingleObject(started.hProcess, 10000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

// Wine's path of a Windows path in the host's file system; empty outside Wine.
std::wstring UnixPath(const std::wstring& path) {
  using UnixFileNameFn = char*(CDECL*)(LPCWSTR);
  auto unixFileName = reinterpret_cast<UnixFileNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixFileName) return std::wstring();
  char* name = unixFileName(path.c_str());
  if (!name) return std::wstring();
  const int length = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length - 1 : 0), L'\0');
  if (length > 1) MultiByteToWideChar(CP_UTF8, 0, name, -1, &wide[0], length);
  HeapFree(GetProcessHeap(), 0, name);
  return wide;
}

// A link at `link` to the folder `target`: a symbolic link where the system
// makes one, else a unix one under Wine. False when neither is possible.
bool LinkFolder(const std::wstring& link, const std::wstring& target) {
  using CreateLinkFn = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
  auto createLink = reinterpret_cast<CreateLinkFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
  if (createLink) createLink(link.c_str(), target.c_str(), 1);
  if (IsLink(link)) return true;
  const std::wstring unixLink = UnixPath(link);
  const std::wstring unixTarget = UnixPath(target);
  if (unixLink.empty() || unixTarget.empty()) return false;
  RunUnix(L"Z:\\bin\\ln -s \"" + unixTarget + L"\" \"" + unixLink + L"\"");
  return IsLink(link);
}

// Removes a tree of the test's own, never entering a link.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (!RemoveDirectoryW(path.c_str()) && !DeleteFileW(path.c_str())) {
          RunUnix(L"Z:\\bin\\rm -f \"" + UnixPath(path) + L"\"");
        }
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

std::set<std::string> LogLines(const std::wstring& path) {
  const std::string log = ReadWholeFile(path);
  std::set<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = log.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.insert(log.substr(start, end - start));
  }
  if (start < log.size()) lines.insert(log.substr(start));
  return lines;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class EnvironmentChange {
 public:
  // Back to front, so that a variable set twice ends as it was before the first.
  ~EnvironmentChange() {
    for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) {
      SetEnvironmentVariableW(saved->first.c_str(), saved->second.hadValue ? saved->second.value.c_str() : nullptr);
    }
  }
  void Set(const std::wstring& name, const std::wstring& value) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer, 32768);
    saved_.push_back({name, Saved{length > 0, std::wstring(buffer, length)}});
    SetEnvironmentVariableW(name.c_str(), value.c_str());
  }

 private:
  struct Saved {
    bool hadValue;
    std::wstring value;
  };
  std::vector<std::pair<std::wstring, Saved>> saved_;
};

// The names inside the temp folders: every character that the command
// interpreter could take for something else.
const wchar_t* const kJunkFiles[] = {
    L"e!f!.txt", L"100%.txt", L"a%PATH%b.txt", L"x&y^z.txt", L"(p).txt", L";semi.txt", L"=eq.log", L"plain.tmp",
};
const wchar_t kJunkFolder[] = L"sub &%PATH%^!x!()";

class QlljBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "run these tests under a zh_CN locale";
    ASSERT_TRUE(Exists(TestExeFolder() + L"QLLJ.bat")) << "the build copies QLLJ.bat beside the programs";
  }
  void TearDown() override { RemoveTree(scratch_.substr(0, scratch_.size() - 1)); }

  // A fresh tree; `programInsideTemp` puts the program's folder into TEMP.
  void Prepare(bool programInsideTemp) {
    RemoveTree(top_);
    profile_ = top_ + L"\\用户 a^b&c!d (1)";
    temp_ = profile_ + L"\\AppData\\Local\\Temp\\2";
    shared_ = top_ + L"\\公用\\Temp";
    outside_ = top_ + L"\\别处";
    program_ = programInsideTemp ? temp_ + L"\\Velmaro Program" : top_ + L"\\Velmaro 程序";
    for (const std::wstring& folder : {profile_ + L"\\Documents", temp_ + L"\\" + kJunkFolder + L"\\deeper",
                                       temp_ + L"\\empty", shared_ + L"\\full", shared_ + L"\\empty", outside_,
                                       program_}) {
      MakeFolders(folder);
    }
    WriteFile(profile_ + L"\\Documents\\文档.txt", "document");
    for (const wchar_t* name : kJunkFiles) WriteFile(temp_ + L"\\" + name);
    WriteFile(temp_ + L"\\hidden.tmp");
    SetFileAttributesW((temp_ + L"\\hidden.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    WriteFile(temp_ + L"\\locked.tmp");
    WriteFile(temp_ + L"\\" + kJunkFolder + L"\\deeper\\f.txt");
    WriteFile(shared_ + L"\\s.txt");
    WriteFile(shared_ + L"\\full\\s2.txt");
    WriteFile(outside_ + L"\\keep.txt", "keep");
    linked_ = LinkFolder(temp_ + L"\\link", outside_);
    CopyFileW((TestExeFolder() + L"QLLJ.bat").c_str(), (program_ + L"\\QLLJ.bat").c_str(), FALSE);
    WriteFile(program_ + L"\\Velmaro.exe", "program");

    // TEMP as a per-session folder with a trailing "\", TMP outside the profile.
    environment_.Set(L"TEMP", temp_ + L"\\");
    environment_.Set(L"TMP", shared_);
    environment_.Set(L"USERPROFILE", profile_);
    environment_.Set(L"LOCALAPPDATA", profile_ + L"\\AppData\\Local");
  }

  std::string Path(const std::wstring& path) const { return FromWide(path); }

  // Checks the tree and the log after a run whose log is `log`.
  void ExpectCleaned(const std::wstring& log, bool programInsideTemp) {
    const std::set<std::string> lines = LogLines(log);
    auto logged = [&](const std::string& line) { return lines.count(line) == 1; };
    for (const wchar_t* name : kJunkFiles) {
      EXPECT_FALSE(Exists(temp_ + L"\\" + name)) << Path(name);
      EXPECT_TRUE(logged("已删除 " + Path(temp_ + L"\\" + name))) << Path(name);
    }
    EXPECT_FALSE(Exists(temp_ + L"\\hidden.tmp"));
    const std::wstring junkFolder = temp_ + L"\\" + kJunkFolder;
    EXPECT_FALSE(Exists(junkFolder));
    EXPECT_TRUE(logged("已删除 " + Path(junkFolder + L"\\deeper\\f.txt")));
    EXPECT_TRUE(logged("已删除文件夹 " + Path(junkFolder + L"\\deeper")));
    EXPECT_TRUE(logged("已删除文件夹 " + Path(junkFolder)));
    EXPECT_FALSE(Exists(temp_ + L"\\empty"));

    // Held open without sharing: kept, with the system's reason.
    EXPECT_TRUE(Exists(temp_ + L"\\locked.tmp"));
    const std::string keptPrefix = "未删除 " + Path(temp_ + L"\\locked.tmp") + "：";
    bool keptLogged = false;
    for (const std::string& line : lines) {
      if (line.compare(0, keptPrefix.size(), keptPrefix) != 0) continue;
      keptLogged = true;
      EXPECT_GT(line.size(), keptPrefix.size());
      EXPECT_EQ(line.find("原因不明"), std::string::npos) << line;
    }
    EXPECT_TRUE(keptLogged);

    // Others can write to the shared folder: its files go, its non-empty
    // folders stay unentered, its empty ones go.
    EXPECT_FALSE(Exists(shared_ + L"\\s.txt"));
    EXPECT_TRUE(Exists(shared_ + L"\\full\\s2.txt"));
    EXPECT_FALSE(Exists(shared_ + L"\\empty"));
    bool fullLogged = false;
    const std::string fullPrefix = "未删除文件夹 " + Path(shared_ + L"\\full") + "：";
    for (const std::string& line : lines) {
      if (line.compare(0, fullPrefix.size(), fullPrefix) != 0) continue;
      fullLogged = true;
      EXPECT_NE(line.find("（其他用户也能写入这里，不进入其中的文件夹）"), std::string::npos) << line;
    }
    EXPECT_TRUE(fullLogged);
    EXPECT_TRUE(logged("清理 " + Path(temp_) + "：只有本用户和管理员能写入，逐层清理"));
    EXPECT_TRUE(logged("清理 " + Path(shared_) + "：其他用户也能写入，只删除其中的文件和空文件夹"));

    EXPECT_EQ(ReadWholeFile(profile_ + L"\\Documents\\文档.txt"), "document");
    EXPECT_EQ(ReadWholeFile(outside_ + L"\\keep.txt"), "keep");
    EXPECT_EQ(ReadWholeFile(program_ + L"\\Velmaro.exe"), "program");
    EXPECT_TRUE(Exists(program_ + L"\\QLLJ.bat"));
    if (programInsideTemp) {
      EXPECT_TRUE(logged("跳过 " + Path(program_) + "：是本程序所在的文件夹"));
    }
    if (linked_) {
      EXPECT_TRUE(IsLink(temp_ + L"\\link"));
      EXPECT_TRUE(logged("跳过 " + Path(temp_ + L"\\link") + "：是指向别处的链接，不进入也不删除"));
    }

    // Its own lists and messages go with it.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((program_ + L"\\QLLJ.*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << FromWide(found.cFileName, wcslen(found.cFileName));
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
  }

  std::wstring scratch_ = MakeScratchFolder(L"velmaro qllj");
  std::wstring top_ = scratch_ + L"垃圾清理";
  std::wstring profile_, temp_, shared_, outside_, program_;
  bool linked_ = false;
  EnvironmentChange environment_;
};

// Held open without sharing for as long as it lives.
class LockedFile {
 public:
  explicit LockedFile(const std::wstring& path)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~LockedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

TEST_F(QlljBatch, CleansTheTempFoldersOnlyAndLogsEachItemWhenTheProgramRunsItFromInsideOne) {
  Prepare(true);
  {
    LockedFile locked(temp_ + L"\\locked.tmp");
    ASSERT_TRUE(locked.Held());
    FakeClock clock;
    clock.now = ClockSnapshot{2026, 3, 0, 5, 8, 7, 9, 0};  // 5 March 2026, 8:07:09
    FakeSession session;
    session.path = Path(program_ + L"\\Velmaro.exe");
    auto processes = MakeSystemProcesses();
    FakeShell shell;
    RunJunkCleanup(-1, 0x4321, clock, session, *processes, shell);
    ASSERT_EQ(shell.executed.size(), 1u);
  }
  const std::wstring log = program_ + L"\\" + ToWide("清理系统垃圾列表202635_879.txt");
  ExpectCleaned(log, true);
}

// What the registry may switch on or off for every command interpreter, given
// here on the command line: the batch sets both for itself.
TEST_F(QlljBatch, CleansTheSameWithDelayedExpansionOnAndWithExtensionsOff) {
  const char* const kSwitches[] = {"/v:on", "/e:off"};
  for (const char* switches : kSwitches) {
    SCOPED_TRACE(switches);
    Prepare(false);
    LockedFile locked(temp_ + L"\\locked.tmp");
    ASSERT_TRUE(locked.Held());
    auto processes = MakeSystemProcesses();
    const std::wstring log = program_ + L"\\log.txt";
    std::string line = JunkCleanupCommandLine(processes->CommandInterpreterPath(), Path(program_ + L"\\"), Path(log));
    line.replace(line.find("/v:off"), 6, switches);
    ASSERT_EQ(processes->RunHidden(line, 120000), RunOutcome::Finished);
    ExpectCleaned(log, false);
  }
}

}  // namespace
}  // namespace velmaro
