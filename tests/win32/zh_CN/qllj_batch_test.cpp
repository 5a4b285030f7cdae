// The shipped QLLJ.bat itself, run by the command interpreter of the Wine
// prefix on a prepared tree in a scratch folder, with TEMP, TMP, USERPROFILE
// and LOCALAPPDATA pointed into that tree so nothing outside it is cleaned.
//
// The build runs these tests under a zh_CN locale, as on the Chinese systems
// the program serves: the interpreter reads the batch in code page 936 and,
// started as the program starts it, writes its log as UTF-16, which is read
// back as such. Where Wine's cmd.exe differs from Windows' own, the tree
// keeps to what Wine does right:
// - FOR without /F hands over every name exactly, hidden and system ones too
//   (Windows leaves those out); but FOR /F turns the non-ASCII text of a file
//   into other characters, so the hidden and system items, whose names the
//   batch reads from a DIR list, have ASCII names, and a kept file's reason
//   (Wine's own Chinese message) is only checked to be there;
// - it expands "%" again in a value it has already expanded, so no name
//   with "%" is held open or has a path with "%" above it;
// - it sets SystemRoot for every process itself, so %SystemRoot%\Temp is the
//   prefix's own, empty C:\windows\Temp, which the batch cleans at its top
//   level only; the tree's shared temp folder is TMP instead;
// - it cannot make junctions, and mklink does nothing; a unix symbolic link
//   to a folder, which Wine shows with the reparse-point attribute, stands in
//   for them where the prefix allows.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "actions/junk_cleanup.h"
#include "base/text_win.h"
#include "platform/processes.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/win32/folder_links.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

void MakeFolders(const WideString& path) {
  for (std::size_t pos = path.find(L'\\', 3); pos != WideString::npos; pos = path.find(L'\\', pos + 1)) {
    CreateDirectoryW(path.substr(0, pos).c_str(), nullptr);
  }
  CreateDirectoryW(path.c_str(), nullptr);
}

void WriteFile(const WideString& path, const std::string& content = "junk") {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

// The log as the batch writes it: UTF-16 text after the byte-order mark that
// the program starts it with, one entry per line.
struct Log {
  bool unicode = false;
  std::vector<WideString> lines;
};

Log ReadLog(const WideString& path) {
  const std::string bytes = ReadWholeFile(path);
  Log log;
  log.unicode = bytes.size() >= 2 && bytes.size() % 2 == 0 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                static_cast<unsigned char>(bytes[1]) == 0xFE;
  if (!log.unicode) return log;
  WideString text;
  for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                        static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L"\r\n", start)) != WideString::npos; start = end + 2) {
    log.lines.push_back(text.substr(start, end - start));
  }
  if (start < text.size()) log.lines.push_back(text.substr(start));
  return log;
}

bool Exists(const WideString& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class EnvironmentChange {
 public:
  // Back to front, so that a variable set twice ends as it was before the first.
  ~EnvironmentChange() {
    for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) {
      SetEnvironmentVariableW(saved->first.c_str(), saved->second.hadValue ? saved->second.value.c_str() : nullptr);
    }
  }
  void Set(const WideString& name, const WideString& value) {
    wchar_t buffer[32768];
    const DWORD length = GetEnvironmentVariableW(name.c_str(), buffer, 32768);
    saved_.push_back({name, Saved{length > 0, WideString(buffer, length)}});
    SetEnvironmentVariableW(name.c_str(), value.c_str());
  }

 private:
  struct Saved {
    bool hadValue;
    WideString value;
  };
  std::vector<std::pair<WideString, Saved>> saved_;
};

// The names inside the temp folders: every character that the command
// interpreter could take for something else, Chinese names (code page 936)
// and names that code page 936 cannot hold (Korean, an emoji outside the
// basic plane), and a name that is the start of another one.
const wchar_t* const kJunkFiles[] = {
    L"e!f!.txt",     L"100%.txt",  L"a%PATH%b.txt", L"x&y^z.txt",   L"(p).txt",       L";semi.txt", L"=eq.log",
    L"plain.tmp",    L"垃圾文件.tmp", L"한국어.tmp",      L"\U0001F600表情.tmp", L"a.txt",     L"a.txt.bak",
};
const wchar_t kJunkFolder[] = L"sub &%PATH%^!x!()";

// What the log says about one item.
enum class Said { Removed, RemovedFolder, Kept, KeptFolder, Skipped };

struct Entry {
  Said said;
  WideString path;
  WideString reason;  // after "：", if any
};

// The entries of the log, and the three numbers of its last line.
struct Cleanup {
  Log log;
  std::vector<Entry> entries;
  bool summarized = false;
  int removedFiles = -1, removedFolders = -1, skipped = -1;

  const Entry* Find(Said said, const WideString& path) const {
    for (const Entry& entry : entries) {
      if (entry.said == said && entry.path == path) return &entry;
    }
    return nullptr;
  }
  int Count(Said said) const {
    int count = 0;
    for (const Entry& entry : entries) count += entry.said == said;
    return count;
  }
  int Lines(const WideString& text) const {
    int count = 0;
    for (const WideString& line : log.lines) count += line.find(text) != WideString::npos;
    return count;
  }
};

Cleanup ReadCleanup(const WideString& logPath) {
  Cleanup cleanup;
  cleanup.log = ReadLog(logPath);
  struct Lead {
    const wchar_t* text;
    Said said;
  };
  // Longer leads first: "已删除文件夹 " also starts with "已删除".
  const Lead kLeads[] = {{L"已删除文件夹 ", Said::RemovedFolder}, {L"已删除 ", Said::Removed},
                         {L"未删除文件夹 ", Said::KeptFolder},    {L"未删除 ", Said::Kept},
                         {L"跳过 ", Said::Skipped}};
  for (const WideString& line : cleanup.log.lines) {
    int files = 0, folders = 0, skipped = 0;
    if (swscanf(line.c_str(), L"清理完成：删除文件 %d 个，删除文件夹 %d 个，跳过 %d 项。", &files, &folders, &skipped) == 3) {
      cleanup.summarized = true;
      cleanup.removedFiles = files;
      cleanup.removedFolders = folders;
      cleanup.skipped = skipped;
      continue;
    }
    for (const Lead& lead : kLeads) {
      const WideString text = lead.text;
      if (line.compare(0, text.size(), text) != 0) continue;
      const std::size_t colon = line.find(L'：', text.size());
      cleanup.entries.push_back(Entry{lead.said, line.substr(text.size(), colon - text.size()),
                                      colon == WideString::npos ? L"" : line.substr(colon + 1)});
      break;
    }
  }
  return cleanup;
}

// What holds for every cleanup: nothing said to be gone is still there,
// everything said to be kept is, and the summary counts the lines above it.
void ExpectHonest(const Cleanup& cleanup) {
  ASSERT_TRUE(cleanup.log.unicode) << "the log starts with the UTF-16 byte-order mark";
  for (const Entry& entry : cleanup.entries) {
    const std::string path = FromWide(entry.path);
    switch (entry.said) {
      case Said::Removed:
      case Said::RemovedFolder:
        EXPECT_FALSE(Exists(entry.path)) << "logged as removed, still there: " << path;
        break;
      case Said::Kept:
      case Said::KeptFolder:
        EXPECT_TRUE(Exists(entry.path)) << "logged as kept, not there: " << path;
        EXPECT_FALSE(entry.reason.empty()) << path;
        break;
      case Said::Skipped:
        break;
    }
  }
  ASSERT_TRUE(cleanup.summarized);
  EXPECT_EQ(cleanup.removedFiles, cleanup.Count(Said::Removed));
  EXPECT_EQ(cleanup.removedFolders, cleanup.Count(Said::RemovedFolder));
  EXPECT_EQ(cleanup.skipped,
            cleanup.Count(Said::Kept) + cleanup.Count(Said::KeptFolder) + cleanup.Count(Said::Skipped));
}

// Held open without sharing for as long as it lives.
class LockedFile {
 public:
  explicit LockedFile(const WideString& path)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~LockedFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool Held() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class QlljBatch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "run these tests under a zh_CN locale";
    ASSERT_TRUE(Exists(TestExeFolder() + L"QLLJ.bat")) << "the build copies QLLJ.bat beside the programs";
    // Velmaro.exe has no console, so the interpreter it starts gets a hidden
    // console of its own, with the system's code page; so must this one.
    FreeConsole();
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
    for (const WideString& folder :
         {profile_ + L"\\Documents", temp_ + L"\\" + kJunkFolder + L"\\deeper", temp_ + L"\\深层\\更深",
          temp_ + L"\\폴더", temp_ + L"\\empty", temp_ + L"\\hiddendir\\inner", shared_ + L"\\full",
          shared_ + L"\\空", outside_, program_}) {
      MakeFolders(folder);
    }
    WriteFile(profile_ + L"\\Documents\\文档.txt", "document");
    for (const wchar_t* name : kJunkFiles) WriteFile(temp_ + L"\\" + name);
    WriteFile(temp_ + L"\\" + kJunkFolder + L"\\deeper\\f.txt");
    WriteFile(temp_ + L"\\深层\\更深\\最里.log");
    WriteFile(temp_ + L"\\폴더\\파일.txt");
    WriteFile(temp_ + L"\\hiddendir\\inner\\deep.txt");
    SetFileAttributesW((temp_ + L"\\hiddendir").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteFile(temp_ + L"\\hidden.tmp");
    SetFileAttributesW((temp_ + L"\\hidden.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    WriteFile(temp_ + L"\\hiddenlocked.tmp");
    SetFileAttributesW((temp_ + L"\\hiddenlocked.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
    WriteFile(temp_ + L"\\locked.tmp");
    WriteFile(temp_ + L"\\잠김.tmp");
    WriteFile(shared_ + L"\\s.txt");
    WriteFile(shared_ + L"\\공유.txt");
    WriteFile(shared_ + L"\\log.txt");
    WriteFile(shared_ + L"\\log.txt.old");
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

  std::string Path(const WideString& path) const { return FromWide(path); }

  // Checks the tree and the log after a run whose log is `logPath`, with the
  // files of HeldFiles held open.
  void ExpectCleaned(const WideString& logPath, bool programInsideTemp) {
    const Cleanup cleanup = ReadCleanup(logPath);
    ExpectHonest(cleanup);
    for (const wchar_t* name : kJunkFiles) {
      EXPECT_FALSE(Exists(temp_ + L"\\" + name)) << Path(name);
      EXPECT_TRUE(cleanup.Find(Said::Removed, temp_ + L"\\" + name)) << "logged by its own name: " << Path(name);
    }
    const WideString junkFolder = temp_ + L"\\" + kJunkFolder;
    for (const WideString& file : {junkFolder + L"\\deeper\\f.txt", temp_ + L"\\深层\\更深\\最里.log",
                                     temp_ + L"\\폴더\\파일.txt", temp_ + L"\\hiddendir\\inner\\deep.txt",
                                     temp_ + L"\\hidden.tmp"}) {
      EXPECT_TRUE(cleanup.Find(Said::Removed, file)) << Path(file);
    }
    for (const WideString& folder :
         {junkFolder + L"\\deeper", junkFolder, temp_ + L"\\深层\\更深", temp_ + L"\\深层", temp_ + L"\\폴더",
          temp_ + L"\\empty", temp_ + L"\\hiddendir\\inner", temp_ + L"\\hiddendir"}) {
      EXPECT_FALSE(Exists(folder)) << Path(folder);
      EXPECT_TRUE(cleanup.Find(Said::RemovedFolder, folder)) << Path(folder);
    }

    // Held open without sharing: kept, by its own name, with the system's
    // reason; a hidden one stays hidden.
    for (const wchar_t* name : {L"locked.tmp", L"잠김.tmp", L"hiddenlocked.tmp"}) {
      EXPECT_TRUE(Exists(temp_ + L"\\" + name)) << Path(name);
      const Entry* kept = cleanup.Find(Said::Kept, temp_ + L"\\" + name);
      ASSERT_TRUE(kept) << Path(name);
      EXPECT_EQ(kept->reason.find(L"原因不明"), WideString::npos) << Path(name);
    }
    EXPECT_TRUE(GetFileAttributesW((temp_ + L"\\hiddenlocked.tmp").c_str()) & FILE_ATTRIBUTE_HIDDEN);

    // Others can write to the shared folder: its files go, its non-empty
    // folders stay unentered, its empty ones go. A file whose name starts
    // another one's stays, said so: the wildcard would take the other along.
    for (const wchar_t* name : {L"s.txt", L"공유.txt", L"log.txt.old"}) {
      EXPECT_FALSE(Exists(shared_ + L"\\" + name)) << Path(name);
      EXPECT_TRUE(cleanup.Find(Said::Removed, shared_ + L"\\" + name)) << Path(name);
    }
    EXPECT_TRUE(Exists(shared_ + L"\\log.txt"));
    EXPECT_TRUE(cleanup.Find(Said::Kept, shared_ + L"\\log.txt"));
    EXPECT_TRUE(Exists(shared_ + L"\\full\\s2.txt"));
    const Entry* full = cleanup.Find(Said::KeptFolder, shared_ + L"\\full");
    ASSERT_TRUE(full);
    EXPECT_NE(full->reason.find(L"（其他用户也能写入这里，不进入其中的文件夹）"), WideString::npos);
    EXPECT_FALSE(Exists(shared_ + L"\\空"));
    EXPECT_TRUE(cleanup.Find(Said::RemovedFolder, shared_ + L"\\空"));
    EXPECT_EQ(cleanup.Lines(L"清理 " + temp_ + L"：只有本用户和管理员能写入，逐层清理"), 1);
    EXPECT_EQ(cleanup.Lines(L"清理 " + shared_ + L"：其他用户也能写入，只删除其中的文件和空文件夹"), 1);

    EXPECT_EQ(ReadWholeFile(profile_ + L"\\Documents\\文档.txt"), "document");
    EXPECT_EQ(ReadWholeFile(outside_ + L"\\keep.txt"), "keep");
    EXPECT_EQ(ReadWholeFile(program_ + L"\\Velmaro.exe"), "program");
    EXPECT_TRUE(Exists(program_ + L"\\QLLJ.bat"));
    if (programInsideTemp) {
      const Entry* skipped = cleanup.Find(Said::Skipped, program_);
      ASSERT_TRUE(skipped);
      EXPECT_EQ(skipped->reason, L"是本程序所在的文件夹");
    }
    if (linked_) {
      EXPECT_TRUE(IsLink(temp_ + L"\\link"));
      EXPECT_TRUE(cleanup.Find(Said::Skipped, temp_ + L"\\link"));
    }

    // Its own lists and messages go with it.
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((program_ + L"\\QLLJ.*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << FromWide(found.cFileName, wcslen(found.cFileName));
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
  }

  WideString scratch_ = MakeScratchFolder(L"velmaro qllj");
  WideString top_ = scratch_ + L"垃圾清理";
  WideString profile_, temp_, shared_, outside_, program_;
  bool linked_ = false;
  EnvironmentChange environment_;
};

// The files the tree holds open while the batch runs.
struct HeldFiles {
  explicit HeldFiles(const WideString& temp)
      : plain(temp + L"\\locked.tmp"), korean(temp + L"\\잠김.tmp"), hidden(temp + L"\\hiddenlocked.tmp") {}
  bool Held() const { return plain.Held() && korean.Held() && hidden.Held(); }
  LockedFile plain, korean, hidden;
};

TEST_F(QlljBatch, CleansTheTempFoldersOnlyAndLogsEachItemByItsOwnNameWhenTheProgramRunsItFromInsideOne) {
  Prepare(true);
  {
    HeldFiles held(temp_);
    ASSERT_TRUE(held.Held());
    FakeClock clock;
    clock.now = ClockSnapshot{2026, 3, 0, 5, 8, 7, 9, 0};  // 5 March 2026, 8:07:09
    FakeSession session;
    session.path = Path(program_ + L"\\Velmaro.exe");
    auto processes = MakeSystemProcesses();
    FakeShell shell;
    RunJunkCleanup(-1, 0x4321, clock, session, *processes, shell);
    ASSERT_EQ(shell.executed.size(), 1u);
  }
  const WideString log = program_ + L"\\" + ToWide("清理系统垃圾列表202635_879.txt");
  ExpectCleaned(log, true);
}

// What the registry may switch on or off for every command interpreter, given
// here on the command line: the batch sets both for itself.
TEST_F(QlljBatch, CleansTheSameWithDelayedExpansionOnAndWithExtensionsOff) {
  const char* const kSwitches[] = {"/v:on", "/e:off"};
  for (const char* switches : kSwitches) {
    SCOPED_TRACE(switches);
    Prepare(false);
    HeldFiles held(temp_);
    ASSERT_TRUE(held.Held());
    auto processes = MakeSystemProcesses();
    const WideString log = program_ + L"\\log.txt";
    std::string line = JunkCleanupCommandLine(processes->CommandInterpreterPath(), Path(program_ + L"\\"), Path(log));
    line.replace(line.find("/v:off"), 6, switches);
    ASSERT_TRUE(processes->StartUnicodeText(Path(log)));
    ASSERT_EQ(processes->RunHidden(line, 120000), RunOutcome::Finished);
    ExpectCleaned(log, false);
  }
}

// A drive letter for a folder while it lives: the system's own mapping, or
// under Wine, whose mapping does not reach the file system, a link in the
// prefix's list of drives.
class DriveMapping {
 public:
  DriveMapping(const WideString& letter, const WideString& folder) : letter_(letter) {
    if (DefineDosDeviceW(0, letter_.c_str(), folder.c_str()) && Exists(letter_ + L"\\")) {
      defined_ = true;
      return;
    }
    DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter_.c_str(), nullptr);
    wchar_t prefix[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    const WideString target = UnixPath(folder);
    if (length == 0 || length >= MAX_PATH || target.empty()) return;
    wchar_t lower[] = {static_cast<wchar_t>(towlower(letter_[0])), L':', 0};
    unixLink_ = WideString(prefix, length) + L"/dosdevices/" + lower;
    RunUnix(L"Z:\\bin\\ln -s \"" + target + L"\" \"" + unixLink_ + L"\"");
    // Wine's handle of a unix program can end before the program has.
    for (int wait = 0; wait < 100 && !Exists(letter_ + L"\\"); ++wait) Sleep(50);
  }
  ~DriveMapping() {
    if (defined_) DefineDosDeviceW(DDD_REMOVE_DEFINITION, letter_.c_str(), nullptr);
    if (!unixLink_.empty()) RunUnix(L"Z:\\bin\\rm -f \"" + unixLink_ + L"\"");
  }

 private:
  WideString letter_;
  bool defined_ = false;
  WideString unixLink_;
};

// The portable files unzipped to the root of a drive: every folder of that
// drive is inside the program's folder, so its temp folders stay, and the log
// says why once instead of skipping them one by one without a word.
TEST_F(QlljBatch, SaysOnceThatAProgramAtTheRootOfADriveKeepsThatDrivesTempFolders) {
  const WideString drive = top_ + L"\\盘";
  MakeFolders(drive + L"\\Temp");
  MakeFolders(drive + L"\\Tmp");
  WriteFile(drive + L"\\Temp\\垃圾.tmp");
  WriteFile(drive + L"\\Tmp\\垃圾.tmp");
  wchar_t letter[] = L"Q:";
  for (; letter[0] >= L'M' && GetFileAttributesW((WideString(letter) + L"\\").c_str()) != INVALID_FILE_ATTRIBUTES;
       --letter[0]) {
  }
  ASSERT_GE(letter[0], L'M') << "no free drive letter";
  const WideString root = WideString(letter) + L"\\";
  const DriveMapping mapping(letter, drive);
  ASSERT_TRUE(Exists(root + L"Temp\\垃圾.tmp")) << "the drive maps the folder";
  ASSERT_TRUE(CopyFileW((TestExeFolder() + L"QLLJ.bat").c_str(), (root + L"QLLJ.bat").c_str(), FALSE));
  environment_.Set(L"TEMP", root + L"Temp");
  environment_.Set(L"TMP", root + L"Tmp");
  environment_.Set(L"USERPROFILE", top_ + L"\\没有");
  environment_.Set(L"LOCALAPPDATA", top_ + L"\\没有");

  FakeClock clock;
  clock.now = ClockSnapshot{2026, 3, 0, 5, 8, 7, 9, 0};
  FakeSession session;
  session.path = Path(root + L"Velmaro.exe");
  auto processes = MakeSystemProcesses();
  FakeShell shell;
  RunJunkCleanup(0, 0, clock, session, *processes, shell);

  const Cleanup cleanup = ReadCleanup(root + ToWide("清理系统垃圾列表202635_879.txt"));
  ExpectHonest(cleanup);
  EXPECT_EQ(cleanup.Lines(L"注意：本程序放在磁盘的根目录 " + root), 1);
  for (const wchar_t* folder : {L"Temp", L"Tmp"}) {
    EXPECT_TRUE(Exists(root + folder + L"\\垃圾.tmp"));
    const Entry* skipped = cleanup.Find(Said::Skipped, root + folder);
    ASSERT_TRUE(skipped) << Path(folder);
    EXPECT_NE(skipped->reason.find(L"见上面的说明"), WideString::npos);
  }
  EXPECT_EQ(cleanup.Lines(L"是本程序所在的文件夹或其中的文件夹"), 0);
}

}  // namespace
}  // namespace velmaro
