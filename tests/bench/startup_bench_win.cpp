// Start-up of tray programs, measured from outside: the time from creating
// the process to its icon reaching the notification area. The bench stands
// in for the shell's tray window, which is where Shell_NotifyIcon sends the
// icon (WM_COPYDATA to the first "Shell_TrayWnd" window), so it sees that
// moment exactly.
//
//   velmaro_startup_bench.exe RUNS PROGRAM.exe...
//
// Runs each program once to warm the file cache, then RUNS times each,
// taking turns. A second after each start-up it prints "ready NAME" and
// waits for a line on its input before it closes the program, so that a
// script can measure the program's memory meanwhile. Ends with
// "startup NAME MEDIAN_MS" for each program, then "done".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

bool iconAdded = false;
LARGE_INTEGER iconAddedAt;
HWND iconOwner = nullptr;

LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    if (!iconAdded) {
      QueryPerformanceCounter(&iconAddedAt);
      iconOwner = reinterpret_cast<HWND>(wParam);
      iconAdded = true;
    }
    return TRUE;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateTrayWindow() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = TrayProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"Shell_TrayWnd";
  RegisterClassW(&wc);
  // Topmost and newest, so it is found before the shell's own.
  return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

// Handles sent and posted messages until `handle` is signalled or `ms` pass.
bool PumpUntil(HANDLE handle, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return false;
    const DWORD woken = MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, ms - elapsed,
                                                  QS_ALLINPUT);
    if (handle && woken == WAIT_OBJECT_0) return true;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

// The milliseconds until the icon was added, or -1 when it was not within 30 s.
// A `measured` run offers the started program for measuring ("ready NAME").
double RunOnce(const std::wstring& exe, const std::string& name, bool measured) {
  double startupMs = -1;
  iconAdded = false;
  iconOwner = nullptr;
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  LARGE_INTEGER frequency, begin;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return startupMs;
  }
  const DWORD started = GetTickCount();
  while (!iconAdded && GetTickCount() - started < 30000) PumpUntil(nullptr, 1);
  if (iconAdded) {
    startupMs = 1000.0 * static_cast<double>(iconAddedAt.QuadPart - begin.QuadPart) / frequency.QuadPart;
    // Whatever start-up still does after adding the icon, then the memory.
    PumpUntil(nullptr, 1000);
    if (measured) {
      std::printf("ready %s\n", name.c_str());
      std::fflush(stdout);
      char line[16];
      if (!std::fgets(line, sizeof line, stdin)) {
        // No one measures: go on at once.
      }
    }
    PostMessageW(iconOwner, WM_CLOSE, 0, 0);
  }
  if (!PumpUntil(info.hProcess, 10000)) TerminateProcess(info.hProcess, 1);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return startupMs;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

std::string NameOf(const std::wstring& exe) {
  std::wstring name = exe.substr(exe.find_last_of(L"\\/") + 1);
  name = name.substr(0, name.rfind(L'.'));
  return std::string(name.begin(), name.end());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: velmaro_startup_bench RUNS PROGRAM.exe...\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  const std::vector<std::wstring> programs(argv + 2, argv + argc);
  if (!CreateTrayWindow()) return 1;

  std::vector<std::vector<double>> startups(programs.size());
  for (int run = -1; run < runs; ++run) {  // run -1 warms the cache
    for (std::size_t p = 0; p < programs.size(); ++p) {
      const std::string name = NameOf(programs[p]);
      const double startupMs = RunOnce(programs[p], name, run >= 0);
      if (startupMs < 0) {
        std::printf("failed %s: no tray icon within 30 s\n", name.c_str());
        return 1;
      }
      if (run >= 0) startups[p].push_back(startupMs);
    }
  }
  for (std::size_t p = 0; p < programs.size(); ++p) {
    std::printf("startup %s %.1f\n", NameOf(programs[p]).c_str(), Median(startups[p]));
  }
  std::printf("done\n");
  std::fflush(stdout);
  return 0;
}
