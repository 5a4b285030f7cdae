#include "app/tray_host_win.h"

#include "base/text_win.h"
#include "platform/error_box.h"

namespace velmaro {

namespace {

constexpr UINT kWmTrayIcon = WM_USER + 1;
constexpr LPARAM kBalloonUserClick = WM_USER + 5;  // NIN_BALLOONUSERCLICK, from Windows 2000 on

// Handles what is waiting in the queue, as a modal step would, keeping a
// quit request for the main loop.
void ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

TrayHost::~TrayHost() {
  if (PopupMenu1) DestroyMenu(PopupMenu1);
}

void TrayHost::OnCreate() {
  PopupMenu1 = CreatePopupMenu();
  for (std::size_t i = 0; i < kPopupMenuSize; ++i) {
    const MenuEntry& entry = kPopupMenu[i];
    if (entry.item == MenuItem::Separator) {
      AppendMenuW(PopupMenu1, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(PopupMenu1, MF_STRING, static_cast<UINT_PTR>(entry.item), ToWide(Tr(entry.caption)).c_str());
    }
  }
}

bool TrayHost::HandleMessage(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_CREATE) {
    OnCreate();
    return true;
  }
  if (message == kWmTrayIcon) {
    OnTrayIcon(window, lParam);
    return true;
  }
  if (message != 0 && message == unit_.TaskbarCreatedMsg()) {
    unit_.TaskbarCreated();
    return true;
  }
  return false;
}

void TrayHost::OnTrayIcon(HWND window, LPARAM mouseMessage) {
  if (mouseMessage == kBalloonUserClick) {
    Guarded(shell_, [&] { unit_.BalloonClicked(); });
    return;
  }
  if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN) return;
  SetForegroundWindow(window);
  POINT cursor = {};
  GetCursorPos(&cursor);
  ProcessMessages();
  if (unit_.Closed()) return;
  TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
  // Lets the menu close properly when the user clicks elsewhere.
  PostMessageW(window, WM_NULL, 0, 0);
}

void TrayHost::SetMenuCaption(MenuItem item, const std::string& caption) {
  const WideString text = ToWide(caption);
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE;
  info.fType = MFT_STRING;
  info.dwTypeData = const_cast<wchar_t*>(text.c_str());
  SetMenuItemInfoW(PopupMenu1, static_cast<UINT>(item), FALSE, &info);
}

void TrayHost::SetMenuChecked(MenuItem item, bool checked) {
  CheckMenuItem(PopupMenu1, static_cast<UINT>(item), MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void TrayHost::SetMenuEnabled(MenuItem item, bool enabled) {
  EnableMenuItem(PopupMenu1, static_cast<UINT>(item), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

}  // namespace velmaro
