#include "app/application_win.h"

#include "base/text_win.h"
#include "platform/error_box.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TApplication";

}  // namespace

bool TApplication::Create() {
  // No size at all, so it never shows anything but its taskbar button; a
  // popup without a sizing border keeps that size.
  return CreateWindowOf(kClassName, ToWide(kAppTitle), WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr);
}

void TApplication::ShowTaskbarButton() {
  if (IsIconic(Handle())) ShowWindow(Handle(), SW_RESTORE);
  ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

void TApplication::HideTaskbarButton() { ShowWindow(Handle(), SW_HIDE); }

LRESULT TApplication::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      // A click on the taskbar button activates this window: hand the
      // activation on to the window the button stands for.
      if (LOWORD(wParam) != WA_INACTIVE && mainForm_ && IsWindowVisible(mainForm_)) {
        PostMessageW(Handle(), WM_APP, 0, 0);
      }
      return 0;
    case WM_APP:
      if (mainForm_ && IsWindowVisible(mainForm_)) SetActiveWindow(mainForm_);
      return 0;
    case WM_CLOSE:
      // Close on the taskbar button closes the program, as the close box does.
      if (mainForm_) PostMessageW(mainForm_, WM_CLOSE, 0, 0);
      return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace velmaro
