#include "ui/controls_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/text_win.h"
#include "lang/texts.h"
#include "platform/system_library_win.h"

namespace velmaro {

int ScaleForDpi(int value96, int dpi) { return MulDiv(value96, dpi, 96); }

int WindowDpi(HWND window) {
  const auto getDpiForWindow = User().GetDpiForWindow;
  if (getDpiForWindow && window) {
    if (UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

namespace {

bool SameFont(const FontStyle& a, const FontStyle& b) {
  if (a.height96 != b.height96 || (a.face == nullptr) != (b.face == nullptr)) return false;
  return a.face == nullptr || lstrcmpW(a.face, b.face) == 0;
}

SIZE TextSize(HWND control) {
  int length = GetWindowTextLengthW(control);
  WideString text(static_cast<std::size_t>(length) + 1, L'\0');
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

ControlTable::~ControlTable() { DeleteFonts(); }

void ControlTable::Create(HWND parent, const ControlRow* rows, std::size_t count, int dpi) {
  CommonControls();  // loads and sets up the library once
  parent_ = parent;
  rows_ = rows;
  count_ = count;
  dpi_ = dpi;
  CreateFonts();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (std::size_t i = 0; i < count; ++i) {
    const ControlRow& entry = rows[i];
    HWND control = CreateWindowExW(0, entry.className, ToWide(Tr(entry.text)).c_str(), WS_CHILD | WS_VISIBLE | entry.style,
                                   0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(entry.id)),
                                   instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(entry)), FALSE);
  }
}

void ControlTable::SetDpi(int dpi) {
  dpi_ = dpi;
  if (!Created()) return;
  // The controls let go of the old fonts before they are deleted.
  std::vector<Font> old;
  old.swap(fonts_);
  CreateFonts();
  for (std::size_t i = 0; i < count_; ++i) {
    SendDlgItemMessageW(parent_, rows_[i].id, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(rows_[i])), TRUE);
  }
  for (const Font& font : old) DeleteObject(font.font);
}

void ControlTable::LayOut() const {
  for (std::size_t i = 0; i < count_; ++i) {
    const ControlRow& entry = rows_[i];
    HWND control = GetDlgItem(parent_, entry.id);
    if (!control) continue;
    int width = ScaleForDpi(entry.w96, dpi_);
    int height = ScaleForDpi(entry.h96, dpi_);
    if (entry.w96 == 0) {
      SIZE size = TextSize(control);
      width = size.cx;
      height = size.cy;
    }
    SetWindowPos(control, nullptr, ScaleForDpi(entry.x96, dpi_), ScaleForDpi(entry.y96, dpi_), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

HFONT ControlTable::FontOf(const ControlRow& control) const {
  for (const Font& font : fonts_) {
    if (SameFont(font.style, control.font)) return font.font;
  }
  return nullptr;
}

void ControlTable::CreateFonts() {
  for (std::size_t i = 0; i < count_; ++i) {
    const FontStyle& style = rows_[i].font;
    if (FontOf(rows_[i])) continue;
    const WideString languageFace = ToWide(Tr(Text::FormFontFace));
    HFONT font = CreateFontW(ScaleForDpi(style.height96, dpi_), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             style.face ? style.face : languageFace.c_str());
    fonts_.push_back({style, font});
  }
}

void ControlTable::DeleteFonts() {
  for (const Font& font : fonts_) DeleteObject(font.font);
  fonts_.clear();
}

RECT CenteredWindowRect(int width96, int height96, int dpi) {
  int width = ScaleForDpi(width96, dpi);
  int height = ScaleForDpi(height96, dpi);
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

RECT CenteredWindowRectForClient(int width96, int height96, DWORD style, DWORD exStyle, int dpi) {
  RECT frame = {0, 0, ScaleForDpi(width96, dpi), ScaleForDpi(height96, dpi)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return RECT{left, top, left + width, top + height};
}

std::string ControlText(HWND parent, int id) {
  HWND control = GetDlgItem(parent, id);
  const int length = GetWindowTextLengthW(control);
  WideString text(static_cast<std::size_t>(length) + 1, L'\0');
  const int read = GetWindowTextW(control, &text[0], length + 1);
  return FromWide(text.data(), static_cast<std::size_t>(read > 0 ? read : 0));
}

void SetControlText(HWND parent, int id, const std::string& text) {
  if (ControlText(parent, id) != text) SetDlgItemTextW(parent, id, ToWide(text).c_str());
}

std::optional<std::string> StorableControlText(HWND parent, int id, bool isPath) {
  HWND control = GetDlgItem(parent, id);
  const int length = GetWindowTextLengthW(control);
  WideString text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(std::max(GetWindowTextW(control, &text[0], length + 1), 0)));
  return isPath ? StorablePath(text) : FromWideExact(text.data(), text.size());
}

namespace {

const wchar_t kOldProcProp[] = L"Velmaro.EditProc";
const wchar_t kAcceptsProp[] = L"Velmaro.EditAccepts";
const wchar_t kDialogKeysProp[] = L"Velmaro.DialogKeys";

using Accepts = bool (*)(char32_t);

WideString FilteredClipboardText(Accepts accepts) {
  WideString kept;
  if (!OpenClipboard(nullptr)) return kept;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
      // Control characters such as backspace pass when typed, never when pasted.
      for (const wchar_t* c = text; *c; ++c) {
        if (*c >= L' ' && accepts(static_cast<char32_t>(*c))) kept += *c;
      }
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return kept;
}

LRESULT CALLBACK FilteringEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto oldProc = reinterpret_cast<WNDPROC>(GetPropW(edit, kOldProcProp));
  const auto accepts = reinterpret_cast<Accepts>(GetPropW(edit, kAcceptsProp));
  constexpr WPARAM kCtrlC = 3, kCtrlV = 22, kCtrlX = 24;
  switch (message) {
    case WM_CHAR:
      if (wParam == kCtrlV) return SendMessageW(edit, WM_PASTE, 0, 0);
      if (wParam == kCtrlC || wParam == kCtrlX) break;  // the edit control copies and cuts
      if (!accepts(static_cast<char32_t>(wParam))) return 0;
      break;
    case WM_PASTE: {
      const WideString text = FilteredClipboardText(accepts);
      SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
      RemovePropW(edit, kOldProcProp);
      RemovePropW(edit, kAcceptsProp);
      break;
  }
  return CallWindowProcW(oldProc, edit, message, wParam, lParam);
}

}  // namespace

void FilterEditInput(HWND edit, bool (*accepts)(char32_t)) {
  SetPropW(edit, kAcceptsProp, reinterpret_cast<HANDLE>(accepts));
  SetPropW(edit, kOldProcProp,
           reinterpret_cast<HANDLE>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&FilteringEditProc))));
}

HWND CreateTooltip(HWND owner) {
  return CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                         CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void SetTooltip(HWND tooltip, HWND control, const std::string& text) {
  WideString wide = ToWide(text);
  TOOLINFOW tool = {};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // the layout every version of the control reads
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = &wide[0];
  SendMessageW(tooltip, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!wide.empty()) SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void MoveToSuggestedRect(HWND window, LPARAM suggested) {
  const RECT* rect = reinterpret_cast<const RECT*>(suggested);
  SetWindowPos(window, nullptr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void AddClientEdge(HWND control) {
  SetWindowLongPtrW(control, GWL_EXSTYLE, GetWindowLongPtrW(control, GWL_EXSTYLE) | WS_EX_CLIENTEDGE);
  SetWindowPos(control, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

void SetWindowShown(HWND window, bool shown) {
  if ((IsWindowVisible(window) != FALSE) == shown) return;
  ShowWindow(window, shown ? SW_SHOW : SW_HIDE);
  if (shown) SetForegroundWindow(window);
}

void EnableDialogKeys(HWND window) { SetPropW(window, kDialogKeysProp, reinterpret_cast<HANDLE>(1)); }

void DisableDialogKeys(HWND window) { RemovePropW(window, kDialogKeysProp); }

namespace {

bool IsEdit(HWND window) {
  wchar_t name[8] = {};
  return window && GetClassNameW(window, name, 8) && lstrcmpiW(name, L"Edit") == 0;
}

bool IsAutoRadioButton(HWND window) {
  wchar_t name[8] = {};
  return GetClassNameW(window, name, 8) && lstrcmpiW(name, L"Button") == 0 &&
         (GetWindowLongW(window, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

bool HandleDialogKeys(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root || !GetPropW(root, kDialogKeysProp)) return false;
  if (msg.message == WM_KEYDOWN && msg.wParam == 'A' && KeyDown(VK_CONTROL) && !KeyDown(VK_MENU) && IsEdit(msg.hwnd)) {
    SendMessageW(msg.hwnd, EM_SETSEL, 0, -1);
    return true;
  }
  if (!IsDialogMessageW(root, &msg)) return false;
  // The dialog manager selects the text of an edit control it tabs to, but
  // a combo box selects its own only the first time.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB) {
    HWND focus = GetFocus();
    if (IsEdit(focus) && GetAncestor(focus, GA_ROOT) == root) SendMessageW(focus, EM_SETSEL, 0, -1);
  }
  return true;
}

bool DialogFocus::Handle(HWND window, UINT message, WPARAM wParam) {
  if (message == WM_ACTIVATE && LOWORD(wParam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus && IsChild(window, focus)) saved_ = focus;
    return true;
  }
  if (message != WM_ACTIVATE && message != WM_SETFOCUS) return false;
  if (message == WM_ACTIVATE && HIWORD(wParam)) return true;  // minimised: no focus to give
  HWND target = saved_ && IsWindow(saved_) && IsChild(window, saved_) && IsWindowVisible(saved_) &&
                        IsWindowEnabled(saved_)
                    ? saved_
                    : GetNextDlgTabItem(window, nullptr, FALSE);
  if (target) FocusKeepingChecks(target);
  return true;
}

void FocusKeepingChecks(HWND control) {
  struct Check {
    HWND button;
    LRESULT state;
  };
  std::vector<Check> checks;
  for (HWND sibling = GetWindow(GetParent(control), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
    if (IsAutoRadioButton(sibling)) checks.push_back({sibling, SendMessageW(sibling, BM_GETCHECK, 0, 0)});
  }
  SetFocus(control);
  for (const Check& check : checks) {
    if (SendMessageW(check.button, BM_GETCHECK, 0, 0) != check.state) {
      SendMessageW(check.button, BM_SETCHECK, static_cast<WPARAM>(check.state), 0);
    }
  }
}

}  // namespace velmaro
