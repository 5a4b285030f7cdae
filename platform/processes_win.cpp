#include <windows.h>
#include <tlhelp32.h>

#include "base/text_win.h"
#include "platform/processes.h"
#include "platform/system_library_win.h"

namespace velmaro {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  WindowFacts facts;
  facts.handle = reinterpret_cast<WindowHandle>(window);
  facts.visible = IsWindowVisible(window) != FALSE;
  facts.iconic = IsIconic(window) != FALSE;
  facts.owner = static_cast<WindowHandle>(GetWindowLongPtrW(window, GWLP_HWNDPARENT));
  facts.exStyle = static_cast<std::uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  facts.processId = processId;
  wchar_t title[256];
  facts.titleLength = GetWindowTextW(window, title, 256);
  reinterpret_cast<std::vector<WindowFacts>*>(list)->push_back(facts);
  return TRUE;
}

class SystemProcesses : public ProcessService {
 public:
  ~SystemProcesses() override {
    if (stillRunning_) CloseHandle(stillRunning_);
  }

  std::vector<ProcessEntry> Processes() override {
    const KernelCalls& toolHelp = Kernel();
    std::vector<ProcessEntry> entries;
    if (!toolHelp.CreateToolhelp32Snapshot || !toolHelp.Process32FirstW || !toolHelp.Process32NextW) return entries;
    HANDLE snapshot = toolHelp.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return entries;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = toolHelp.Process32FirstW(snapshot, &entry); more;
         more = toolHelp.Process32NextW(snapshot, &entry)) {
      const std::size_t length = wcsnlen(entry.szExeFile, MAX_PATH);
      const auto* name = reinterpret_cast<const char16_t*>(entry.szExeFile);
      entries.push_back(ProcessEntry{entry.th32ProcessID, std::u16string(name, length)});
    }
    CloseHandle(snapshot);
    return entries;
  }

  void Terminate(std::uint32_t processId) override {
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, processId);
    if (!process) return;
    TerminateProcess(process, 0);
    CloseHandle(process);
  }

  std::u16string SystemName(const std::string& text) override {
    if (text.empty()) return std::u16string();
    const int size = static_cast<int>(text.size());
    int length = MultiByteToWideChar(kCodePage936, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return std::u16string();
    std::u16string name(static_cast<std::size_t>(length), u'\0');
    MultiByteToWideChar(kCodePage936, MB_ERR_INVALID_CHARS, text.data(), size, reinterpret_cast<wchar_t*>(&name[0]),
                        length);
    return name;
  }

  std::string CodePageName(const std::u16string& name) override {
    const std::optional<std::string> text =
        FromWideExact(reinterpret_cast<const wchar_t*>(name.data()), name.size());
    return text ? *text : std::string();
  }

  std::string CommandInterpreterPath() override {
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return "cmd.exe";
    WideString path(folder, length);
    if (path.back() != L'\\') path += L'\\';
    return FromWide(path + L"cmd.exe");
  }

  RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs) override {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION started = {};
    WideString line = ToWide(commandLine);  // CreateProcessW may write into its command line
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, IDLE_PRIORITY_CLASS, nullptr, nullptr, &startup,
                        &started)) {
      return RunOutcome::NotStarted;
    }
    DWORD waited = WaitForSingleObject(started.hProcess, timeoutMs);
    CloseHandle(started.hThread);
    if (waited == WAIT_OBJECT_0) {
      CloseHandle(started.hProcess);
      return RunOutcome::Finished;
    }
    if (stillRunning_) CloseHandle(stillRunning_);
    stillRunning_ = started.hProcess;
    return RunOutcome::StillRunning;
  }

  bool StartUnicodeText(const std::string& path) override {
    HANDLE file = CreateFileW(ToWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    static const unsigned char kByteOrderMark[] = {0xFF, 0xFE};
    DWORD written = 0;
    const BOOL ok = WriteFile(file, kByteOrderMark, sizeof kByteOrderMark, &written, nullptr);
    CloseHandle(file);
    return ok && written == sizeof kByteOrderMark;
  }

  bool HiddenRunStillRunning() override {
    if (!stillRunning_) return false;
    if (WaitForSingleObject(stillRunning_, 0) == WAIT_TIMEOUT) return true;
    CloseHandle(stillRunning_);
    stillRunning_ = nullptr;
    return false;
  }

  std::vector<WindowFacts> TopLevelWindows() override {
    std::vector<WindowFacts> windows;
    EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
  }

  WindowHandle DesktopWindow() override { return reinterpret_cast<WindowHandle>(GetDesktopWindow()); }

  std::vector<WindowHandle> ShellWindows() override {
    std::vector<WindowHandle> shell;
    if (HWND desktop = GetShellWindow()) shell.push_back(reinterpret_cast<WindowHandle>(desktop));
    // Windows 8 and later give each further screen a taskbar of its own.
    for (const wchar_t* taskbarClass : {L"Shell_TrayWnd", L"Shell_SecondaryTrayWnd"}) {
      for (HWND taskbar = FindWindowExW(nullptr, nullptr, taskbarClass, nullptr); taskbar;
           taskbar = FindWindowExW(nullptr, taskbar, taskbarClass, nullptr)) {
        shell.push_back(reinterpret_cast<WindowHandle>(taskbar));
      }
    }
    return shell;
  }

  std::uint32_t WindowProcessId(WindowHandle window) override {
    DWORD processId = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(window), &processId);
    return processId;
  }

  void PostClose(WindowHandle window) override { PostMessageW(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0); }

 private:
  HANDLE stillRunning_ = nullptr;
};

}  // namespace

std::unique_ptr<ProcessService> MakeSystemProcesses() { return std::make_unique<SystemProcesses>(); }

}  // namespace velmaro
