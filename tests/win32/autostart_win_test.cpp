// Start with Windows on the real registry and the Task Scheduler of the Wine
// prefix: the Run value, the logon task as the scheduler stores it, and the
// fall-back to the Run value alone where there is no Task Scheduler 2.0.
#include "platform/autostart_win.h"

#include <windows.h>
#include <xmllite.h>

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "base/text_win.h"
#include "dialogs/dialogs.h"
#include "platform/processes.h"
#include "platform/registry_win.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_dialog_windows.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// A class id that no system registers: the program's view of Windows XP.
const CLSID kNoScheduler = {0x8a3c1c2e, 0x51f0, 0x4b7d, {0x9e, 0x11, 0x2c, 0x5d, 0x7a, 0x60, 0x13, 0x42}};

// Where the Task Scheduler keeps the task \Velmaro: a file named after it.
WideString TaskFile() {
  wchar_t folder[MAX_PATH];
  GetSystemDirectoryW(folder, MAX_PATH);
  return WideString(folder) + L"\\Tasks\\Velmaro";
}

// The stored task's text, whichever of UTF-16 or UTF-8 the scheduler wrote.
WideString StoredTask() {
  const std::string bytes = ReadWholeFile(TaskFile());
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    return WideString(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  }
  WideString text(bytes.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0],
                                         static_cast<int>(text.size()));
  text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  return text;
}

// The Run value Zedevi as the registry holds it, or "(none)".
WideString RunValue() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"(none)";
  wchar_t text[1024] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  const LONG status = RegQueryValueExW(key, L"Zedevi", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ ? WideString(text) : L"(none)";
}

WideString ThisExe() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return WideString(path, length);
}

// Each element of an XML text with its text content, "Task/Actions/Exec/Command"
// -> "C:\...", as a real XML reader sees them; empty when the text does not parse.
std::map<WideString, WideString> XmlElements(const WideString& xml) {
  std::map<WideString, WideString> elements;
  using CreateReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
  HMODULE library = LoadLibraryW(L"xmllite.dll");
  auto create = reinterpret_cast<CreateReaderFn>(reinterpret_cast<void*>(GetProcAddress(library, "CreateXmlReader")));
  IXmlReader* reader = nullptr;
  IStream* stream = nullptr;
  if (!create || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr)) ||
      FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) {
    return elements;
  }
  const wchar_t bom = 0xFEFF;
  stream->Write(&bom, sizeof bom, nullptr);
  stream->Write(xml.data(), static_cast<ULONG>(xml.size() * sizeof(wchar_t)), nullptr);
  LARGE_INTEGER start = {};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  reader->SetInput(stream);
  std::vector<WideString> path;
  XmlNodeType type;
  HRESULT result;
  while ((result = reader->Read(&type)) == S_OK) {
    const wchar_t* name = nullptr;
    if (type == XmlNodeType_Element) {
      reader->GetLocalName(&name, nullptr);
      path.push_back(name);
      WideString joined;
      for (const WideString& part : path) joined += (joined.empty() ? L"" : L"/") + part;
      elements[joined];
      if (reader->IsEmptyElement()) path.pop_back();
    } else if (type == XmlNodeType_EndElement) {
      path.pop_back();
    } else if (type == XmlNodeType_Text) {
      const wchar_t* value = nullptr;
      reader->GetValue(&value, nullptr);
      WideString joined;
      for (const WideString& part : path) joined += (joined.empty() ? L"" : L"/") + part;
      elements[joined] = value;
    }
  }
  if (FAILED(result)) elements.clear();
  reader->Release();
  stream->Release();
  return elements;
}

class NoLink : public MainWindowLink {
 public:
  void StopEvaluation() override {}
  void ResumeEvaluation() override {}
  void SetCountdownMax(std::int32_t) override {}
};

// The settings dialog's OK with "start with Windows" set as given, on the
// real registry and the given Task Scheduler; the failure shown, if any.
std::string SetOption(AutoStartService& autoStart, bool on) {
  Win32Registry registry;
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  store.LoadSettings();
  FakeShell shell;
  FakeClock clock;
  FakeSession session;
  FakeFileDialog files;
  FakeDialogWindows windows;
  NoLink link;
  std::unique_ptr<ProcessService> processes = MakeSystemProcesses();
  Dialogs dialogs{DialogServices{shell, clock, session, files, autoStart, windows, *processes}, store, settings, link};
  dialogs.OpenSettings();
  SettingsDialog& dialog = *dialogs.Form3();
  EXPECT_EQ(dialog.CheckBox2, RunValue() == ThisExe());
  dialog.CheckBox2 = on;
  dialogs.Handle([&] { dialog.Button1Click(); });
  return shell.boxes.empty() ? "" : shell.boxes.back().text;
}

class Win32AutoStartTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  void Clean() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      RegDeleteValueW(key, L"Zedevi");
      RegCloseKey(key);
    }
    Win32AutoStart().DeleteLogonTask();
  }
};

TEST(LogonTaskXml, ReadsBackAsTheTaskTheProgramNeeds) {
  const WideString path = L"C:\\R&D <\"x\"> 'y'\\Velmaro.exe";
  std::map<WideString, WideString> task = XmlElements(LogonTaskXml(path));
  ASSERT_FALSE(task.empty());
  const std::map<WideString, WideString> expected = {
      {L"Task/Triggers/LogonTrigger/Enabled", L"true"},
      {L"Task/Principals/Principal/GroupId", L"S-1-5-32-545"},  // every user
      {L"Task/Principals/Principal/RunLevel", L"HighestAvailable"},
      {L"Task/Settings/MultipleInstancesPolicy", L"IgnoreNew"},
      {L"Task/Settings/DisallowStartIfOnBatteries", L"false"},
      {L"Task/Settings/StopIfGoingOnBatteries", L"false"},
      {L"Task/Settings/ExecutionTimeLimit", L"PT0S"},
      {L"Task/Actions/Exec/Command", path},
  };
  for (const auto& element : expected) EXPECT_EQ(task[element.first], element.second) << FromWide(element.first);
  EXPECT_EQ(task.count(L"Task/Triggers/LogonTrigger/UserId"), 0u);  // not one user only
}

// Wine's scheduler keeps only the task's settings from the XML (its reader
// has no triggers, principals or actions yet), so that is what is checked
// here; what Windows reads is checked above.
TEST_F(Win32AutoStartTest, LogonTaskIsRegisteredAndRemovedThroughTheTaskScheduler) {
  Win32AutoStart autoStart;
  ASSERT_TRUE(autoStart.HasLogonTasks());
  const WideString exe = ThisExe();
  EXPECT_EQ(autoStart.ExecutablePath(), std::u16string(exe.begin(), exe.end()));
  autoStart.RegisterLogonTask(u"C:\\Program Files\\Velmaro & Co\\Velmaro.exe");
  autoStart.RegisterLogonTask(u"C:\\Program Files\\Velmaro\\Velmaro.exe");  // replaces, no failure
  ASSERT_TRUE(FileExists(TaskFile()));
  std::map<WideString, WideString> task = XmlElements(StoredTask());
  EXPECT_EQ(task[L"Task/RegistrationInfo/Description"], L"Velmaro");
  EXPECT_EQ(task[L"Task/Settings/ExecutionTimeLimit"], L"PT0S");
  EXPECT_EQ(task[L"Task/Settings/DisallowStartIfOnBatteries"], L"false");
  EXPECT_EQ(task[L"Task/Settings/StopIfGoingOnBatteries"], L"false");
  EXPECT_EQ(task[L"Task/Settings/MultipleInstancesPolicy"], L"IgnoreNew");
  EXPECT_EQ(task[L"Task/Settings/Enabled"], L"true");
  autoStart.DeleteLogonTask();
  EXPECT_FALSE(FileExists(TaskFile()));
  autoStart.DeleteLogonTask();  // nothing left to delete: no failure either
}

TEST_F(Win32AutoStartTest, OptionWritesTheRunValueAndTheTaskAndRemovesBoth) {
  Win32AutoStart autoStart;
  EXPECT_EQ(SetOption(autoStart, true), "");
  EXPECT_EQ(RunValue(), ThisExe());
  EXPECT_TRUE(FileExists(TaskFile()));
  EXPECT_EQ(SetOption(autoStart, false), "");
  EXPECT_EQ(RunValue(), L"(none)");
  EXPECT_FALSE(FileExists(TaskFile()));
}

TEST_F(Win32AutoStartTest, WithoutTheTaskSchedulerTheRunValueAloneIsWritten) {
  Win32AutoStart xp(kNoScheduler);
  EXPECT_FALSE(xp.HasLogonTasks());
  EXPECT_EQ(SetOption(xp, true), "");
  EXPECT_EQ(RunValue(), ThisExe());
  EXPECT_FALSE(FileExists(TaskFile()));
  EXPECT_EQ(SetOption(xp, false), "");
  EXPECT_EQ(RunValue(), L"(none)");
}

TEST_F(Win32AutoStartTest, RunValueKeepsAPathWithoutACodePage936Form) {
  const std::u16string path = u"C:\\\uD504\uB85C\uADF8\uB7A8\\Velmaro.exe";  // Hangul
  Win32Registry registry;
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  store.SetStartWithWindows(true, path);
  EXPECT_EQ(RunValue(), WideString(path.begin(), path.end()));
  EXPECT_TRUE(store.StartWithWindows(path));
  EXPECT_FALSE(store.StartWithWindows(u"C:\\????\\Velmaro.exe"));
  store.SetStartWithWindows(false, path);
  EXPECT_EQ(RunValue(), L"(none)");
}

}  // namespace
}  // namespace velmaro
