// The smallest tray program Velmaro's start-up is compared with: a hidden
// window, one icon in the notification area, a ten-second timer and the
// message loop. Built with the same compiler, flags and resources as Velmaro.exe.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT kTrayMessage = WM_USER + 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    NOTIFYICONDATAW icon = {};
    icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 100;
    Shell_NotifyIconW(NIM_DELETE, &icon);
    DestroyWindow(window);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"BareTray";
  RegisterClassW(&wc);
  HWND window = CreateWindowExW(0, wc.lpszClassName, L"Bare tray", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                                nullptr, instance, nullptr);
  SetTimer(window, 1, 10000, nullptr);

  NOTIFYICONDATAW icon = {};
  icon.cbSize = NOTIFYICONDATAW_V1_SIZE;
  icon.hWnd = window;
  icon.uID = 100;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = static_cast<HICON>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  lstrcpyW(icon.szTip, L"Bare tray");
  Shell_NotifyIconW(NIM_ADD, &icon);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
