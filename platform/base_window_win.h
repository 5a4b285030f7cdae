// One window wrapper for every window of the program: the static window
// procedure finds the C++ object, stored from lpCreateParams at WM_NCCREATE,
// and routes each message to T::HandleMessage. The pointer is cleared at
// WM_NCDESTROY so no message reaches an object after its window is gone.
#pragma once

#include <windows.h>

#include <string>

namespace velmaro {

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
                      int y, int width, int height, HWND owner) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    if (!GetClassInfoExW(instance, className, &wc)) {
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = &BaseWindow::WindowProc;
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
    return DefWindowProcW(hwnd_, message, wParam, lParam);
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
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->HandleMessage(message, wParam, lParam);
  }

  HWND hwnd_ = nullptr;
};

}  // namespace velmaro
