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
//
// The window's controls come from its table (ControlTable) and are placed by
// LayOut, at creation and again on WM_DPICHANGED, which the wrapper handles
// itself: the window takes the suggested rectangle, the fonts are made anew
// for the new dpi and LayOut places the controls.
#pragma once

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/text_win.h"
#include "ui/controls_win.h"

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
  bool CreateWindowOf(const wchar_t* className, const WideString& caption, DWORD style, DWORD exStyle, int x,
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

  // Creates the table's controls at the window's dpi and places them.
  template <std::size_t N>
  void CreateControls(const ControlRow (&rows)[N]) {
    controls_.Create(hwnd_, rows, N, WindowDpi(hwnd_));
    LayOut();
  }
  bool HasControls() const { return controls_.Created(); }
  // The dpi the controls are made for.
  int Dpi() const { return controls_.Dpi(); }
  // Places the controls for Dpi(). A window with more to fit to its dpi
  // (list columns, button images) adds that here.
  virtual void LayOut() { controls_.LayOut(); }
  // Places the table's controls again after a text changed: a label is as wide as its text.
  void LayOutControls() { controls_.LayOut(); }

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
    if (message == kDpiChangedMessage) {
      self->DpiChanged(HIWORD(wParam), lParam);
      return 0;
    }
    return self->HandleMessage(message, wParam, lParam);
  }

  void DpiChanged(int dpi, LPARAM suggested) {
    MoveToSuggestedRect(hwnd_, suggested);
    controls_.SetDpi(dpi);
    if (controls_.Created()) LayOut();
  }

  HWND hwnd_ = nullptr;
  WindowKind kind_ = WindowKind::Plain;
  ControlTable controls_;  // destroyed after the window: the controls use its fonts
};

// Windows opened one more per use (reminders, About): each use opens a new
// one (WindowPerUse), a closed one is hidden at once (OneUseWindow) and
// released when the next of its kind opens: never inside one of its own
// handlers, and never piling up over months of use.
template <class T>
class OneUseWindow : public BaseWindow<T> {
 public:
  // Closed by its OK button (T::IDC_BUTTON1) or its close box, and so hidden.
  bool Closed() const { return closed_; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool ok = message == WM_COMMAND && LOWORD(wParam) == T::IDC_BUTTON1 && HIWORD(wParam) == BN_CLICKED;
    if (!ok && message != WM_CLOSE) return this->DefaultProc(message, wParam, lParam);
    ShowWindow(this->Handle(), SW_HIDE);
    closed_ = true;
    return 0;
  }

 private:
  bool closed_ = false;
};

template <class Form>
class WindowPerUse {
 public:
  // The windows are owned by `owner`, the application's window (may be null).
  explicit WindowPerUse(HWND owner) : owner_(owner) {}

  Form& Open() {
    forms_.erase(std::remove_if(forms_.begin(), forms_.end(),
                                [](const std::unique_ptr<Form>& form) { return form->Closed(); }),
                 forms_.end());
    forms_.push_back(std::make_unique<Form>(owner_));
    return *forms_.back();
  }
  // The most recently opened window; null before the first.
  Form* Latest() const { return forms_.empty() ? nullptr : forms_.back().get(); }
  // The windows that exist, closed ones included until the next opens.
  std::size_t Count() const { return forms_.size(); }

 private:
  HWND owner_;
  std::vector<std::unique_ptr<Form>> forms_;
};

}  // namespace velmaro
