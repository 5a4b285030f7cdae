// One window wrapper for every window of the program: the static window
// procedure finds the C++ object, stored from lpCreateParams at WM_NCCREATE,
// and routes each message to T::HandleMessage. The pointer is cleared at
// WM_NCDESTROY so no message reaches an object after its window is gone.
//
// A window with buttons that Tab, Enter and Esc should reach is created as a
// dialog-like window: its class keeps the dialog manager's extra bytes and
// its default processing is DefDlgProc, so the message loop's
// IsDialogMessage moves the focus, presses the focused or default button and
// sends IDCANCEL for Esc, and the focus comes back to the control that had it
// when the window is activated again.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace velmaro {

enum class WindowKind { Plain, DialogLike };

template <class T>
class BaseWindow {
 public:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;
  virtual ~BaseWindow() {
    if (hwnd_) {
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
  }

  HWND Handle() const { return hwnd_; }

 protected:
  // Registers the class once per process (icon: MAINICON) and creates the window.
  bool CreateWindowOf(const wchar_t* className, const std::wstring& caption, DWORD style, DWORD exStyle, int x,
                      int y, int width, int height, HWND owner, WindowKind kind = WindowKind::Plain) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    kind_ = kind;
    WNDCLASSEXW wc = {};
    if (!GetClassInfoExW(instance, className, &wc)) {
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &BaseWindow::WindowProc;
      wc.cbWndExtra = kind == WindowKind::DialogLike ? DLGWINDOWEXTRA : 0;
      wc.hInstance = instance;
      wc.hIcon = LoadIconW(instance, L"MAINICON");
      wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
      wc.lpszClassName = className;
      RegisterClassExW(&wc);
    }
    CreateWindowExW(exStyle, className, caption.c_str(), style, x, y, width, height, owner, nullptr, instance, this);
    return hwnd_ != nullptr;
  }

  LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return kind_ == WindowKind::DialogLike ? DefDlgProcW(hwnd_, message, wParam, lParam)
                                           : DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    T* self = nullptr;
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      self = static_cast<T*>(static_cast<BaseWindow*>(create->lpCreateParams));
      self->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
      self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      LRESULT result = self->DefaultProc(message, wParam, lParam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      return result;
    }
    return self->HandleMessage(message, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
  WindowKind kind_ = WindowKind::Plain;
};

// Windows opened one more per use (reminders, About) are hidden when closed
// and released before the next of their kind opens: never inside one of
// their own handlers, and never piling up over months of use.
template <class Form>
void ReleaseClosed(std::vector<std::unique_ptr<Form>>& forms) {
  forms.erase(std::remove_if(forms.begin(), forms.end(), [](const std::unique_ptr<Form>& form) { return form->Closed(); }),
              forms.end());
}

}  // namespace velmaro
