#include "platform/controls_win.h"

#include <string>

#include "platform/text_win.h"

namespace velmaro {

int ScaleForDpi(int value96, int dpi) { return MulDiv(value96, dpi, 96); }

int WindowDpi(HWND window) {
  // GetDpiForWindow exists from Windows 10 1607 on; look it up so the
  // program still starts on Windows XP.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (getDpiForWindow && window) {
    if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT CreateScaledFont(const wchar_t* face, int height96, int dpi) {
  return CreateFontW(ScaleForDpi(height96, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

namespace {

SIZE TextSize(HWND control) {
  int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(control, &text[0], length + 1);
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, text.c_str(), length, &size);
  if (length == 0) {
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    size.cy = metrics.tmHeight;
  }
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

}  // namespace

void LayoutControls(HWND parent, const ControlSpec* specs, std::size_t count, int dpi) {
  for (std::size_t i = 0; i < count; ++i) {
    const ControlSpec& entry = specs[i];
    HWND control = GetDlgItem(parent, entry.id);
    if (!control) continue;
    int width = ScaleForDpi(entry.w96, dpi);
    int height = ScaleForDpi(entry.h96, dpi);
    if (entry.w96 == 0) {
      SIZE size = TextSize(control);
      width = size.cx;
      height = size.cy;
    }
    SetWindowPos(control, nullptr, ScaleForDpi(entry.x96, dpi), ScaleForDpi(entry.y96, dpi), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CreateControls(HWND parent, const ControlSpec* specs, std::size_t count, int dpi, HFONT font) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (std::size_t i = 0; i < count; ++i) {
    const ControlSpec& entry = specs[i];
    HWND control = CreateWindowExW(0, entry.className, ToWide(entry.text).c_str(), WS_CHILD | WS_VISIBLE | entry.style,
                                   0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)),
                                   instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  LayoutControls(parent, specs, count, dpi);
}

RECT CenteredWindowRect(int width96, int height96, int dpi) {
  int width = ScaleForDpi(width96, dpi);
  int height = ScaleForDpi(height96, dpi);
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

}  // namespace velmaro
