// Drives a running Velmaro to show its dialogs, for screenshots: "fill"
// stores three tasks (run it before Velmaro starts), "settings" opens the
// settings dialog from the tray menu's command and selects its first row,
// "editor" opens a task editor with the dialog's Add and chooses a kind and
// an action, "warning" clicks the warning balloon that shows.
#include <windows.h>

#include <cstring>
#include <string>

#include "dialogs/control_ids.h"

namespace {

void PutText(HKEY key, const wchar_t* name, const wchar_t* text) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

void Fill() {
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Drennik\\Velmaro", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  const wchar_t* const tasks[][3] = {{L"每天22时30分", L"关闭计算机", L"关闭计算机"},
                                     {L"每周5日17时30分", L"提醒", L"下班时间到。"},
                                     {L"空闲30分钟", L"待机计算机", L"待机计算机"}};
  for (int n = 0; n < 3; ++n) {
    for (int column = 0; column < 3; ++column) {
      const std::wstring name = std::wstring(1, L"ABC"[column]) + std::to_wstring(n + 1);
      PutText(key, name.c_str(), tasks[n][column]);
    }
  }
  DWORD count = 3;
  RegSetValueExW(key, L"TaskNum", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
  RegCloseKey(key);
}

HWND WaitForWindow(const wchar_t* cls) {
  for (int i = 0; i < 100; ++i, Sleep(100)) {
    HWND window = FindWindowW(cls, nullptr);
    if (window && IsWindowVisible(window)) return window;
  }
  return nullptr;
}

void OpenSettings() {
  HWND main = nullptr;
  for (int i = 0; i < 100 && !main; ++i, Sleep(100)) main = FindWindowW(L"TForm1", nullptr);
  if (!main) return;
  PostMessageW(main, WM_COMMAND, 104, 0);
  HWND settings = WaitForWindow(L"TForm3");
  if (!settings) return;
  // The first row, selected as a click would: a key press in the list.
  HWND list = GetDlgItem(settings, velmaro::form3::IDC_LISTVIEW1);
  PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(list, WM_KEYUP, VK_DOWN, 0);
}

void OpenEditor() {
  HWND settings = WaitForWindow(L"TForm3");
  if (!settings) return;
  PostMessageW(GetDlgItem(settings, velmaro::form3::IDC_BUTTON4), BM_CLICK, 0, 0);
  HWND editor = WaitForWindow(L"TForm5");
  if (!editor) return;
  PostMessageW(GetDlgItem(editor, velmaro::form5::IDC_RADIOBUTTON4), BM_CLICK, 0, 0);
  HWND action = GetDlgItem(editor, velmaro::form5::IDC_COMBOBOX5);
  SendMessageW(action, CB_SETCURSEL, 0, 0);  // "提醒"
  PostMessageW(editor, WM_COMMAND, MAKEWPARAM(velmaro::form5::IDC_COMBOBOX5, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(action));
}

void ClickWarning() {
  HWND main = FindWindowW(L"TForm1", nullptr);
  constexpr UINT kTrayIcon = WM_USER + 1;
  constexpr LPARAM kBalloonUserClick = WM_USER + 5;
  if (main) PostMessageW(main, kTrayIcon, 100, kBalloonUserClick);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  if (std::strcmp(commandLine, "fill") == 0) Fill();
  if (std::strcmp(commandLine, "settings") == 0) OpenSettings();
  if (std::strcmp(commandLine, "editor") == 0) OpenEditor();
  if (std::strcmp(commandLine, "warning") == 0) ClickWarning();
  return 0;
}
