// Owns one window of each kind that asking other programs to close must tell
// apart. Each WM_CLOSE appends the window's name to the log file given as the
// first argument (and closes nothing). WM_APP to any of them appends "end"
// and quits: posted after the closes, it proves that they have all arrived.
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

std::map<HWND, std::string> names;
std::string logPath;

void Log(const std::string& line) {
  if (FILE* log = std::fopen(logPath.c_str(), "ab")) {
    std::fprintf(log, "%s\n", line.c_str());
    std::fclose(log);
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    Log(names[window]);
    return 0;
  }
  if (message == WM_APP) {
    Log("end");
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND Make(const char* name, const wchar_t* title, DWORD style, DWORD exStyle, HWND owner, int show) {
  HWND window = CreateWindowExW(exStyle, L"VelmaroWindowOwner", title, style, 10, 10, 200, 100, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  names[window] = name;
  if (show >= 0) ShowWindow(window, show);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  logPath = argv[1];
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"VelmaroWindowOwner";
  RegisterClassW(&wc);

  HWND titled = Make("titled", L"Velmaro test titled", WS_OVERLAPPEDWINDOW, 0, nullptr, SW_SHOWNOACTIVATE);
  Make("minimised", L"Velmaro test minimised", WS_OVERLAPPEDWINDOW, 0, nullptr, SW_SHOWMINNOACTIVE);
  Make("hidden-minimised", L"Velmaro test hidden minimised", WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 0, nullptr, -1);
  Make("hidden", L"Velmaro test hidden", WS_OVERLAPPEDWINDOW, 0, nullptr, -1);
  Make("owned", L"Velmaro test owned", WS_OVERLAPPEDWINDOW, 0, titled, SW_SHOWNOACTIVATE);
  Make("tool", L"Velmaro test tool", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, nullptr, SW_SHOWNOACTIVATE);
  Make("untitled", L"", WS_OVERLAPPEDWINDOW, 0, nullptr, SW_SHOWNOACTIVATE);
  Log("ready");

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
