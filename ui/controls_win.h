// Child controls from one table per window, with their positions written as
// the form layouts give them at 96 dpi and scaled by one function.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "lang/texts.h"

namespace velmaro {

// A font as a form layout gives it: face (null: the face of the windows'
// language, which every system of that language has) and height at 96 dpi
// (negative: character height).
struct FontStyle {
  const wchar_t* face;
  int height96;
};
// The forms' font: every control's unless its table row names another.
constexpr FontStyle kFormFont = {nullptr, -13};

struct ControlRow {
  int id;
  const wchar_t* className;  // L"BUTTON", L"STATIC", PROGRESS_CLASSW, ...
  Text text;
  DWORD style;               // added to WS_CHILD | WS_VISIBLE
  int x96, y96, w96, h96;    // w96 == 0: as wide and high as the text (a label)
  FontStyle font = kFormFont;
};

int ScaleForDpi(int value96, int dpi);
// The window's dots per inch (per-monitor where the system knows it, else the system's).
int WindowDpi(HWND window);

// A window's controls from its table, with their fonts at the window's dpi.
// The table owns the fonts; the window it belongs to is destroyed first.
class ControlTable {
 public:
  ControlTable() = default;
  ControlTable(const ControlTable&) = delete;
  ControlTable& operator=(const ControlTable&) = delete;
  ~ControlTable();

  // Creates the controls on `parent`, each with its font at `dpi`, unplaced.
  void Create(HWND parent, const ControlRow* rows, std::size_t count, int dpi);
  bool Created() const { return parent_ != nullptr; }
  // Gives every control its font at `dpi` (after WM_DPICHANGED).
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }
  // Moves and sizes the controls for the table's dpi (at creation, after
  // WM_DPICHANGED or a text change: a label is as wide as its text).
  void LayOut() const;

 private:
  HFONT FontOf(const ControlRow& control) const;
  void CreateFonts();
  void DeleteFonts();

  HWND parent_ = nullptr;
  const ControlRow* rows_ = nullptr;
  std::size_t count_ = 0;
  int dpi_ = 96;
  struct Font {
    FontStyle style;
    HFONT font;
  };
  std::vector<Font> fonts_;  // one per face and height in the table
};

// Outer window rectangle of width x height at 96 dpi, scaled and centred on the primary screen.
RECT CenteredWindowRect(int width96, int height96, int dpi);
// The same for a window whose client area is width x height at 96 dpi.
RECT CenteredWindowRectForClient(int width96, int height96, DWORD style, DWORD exStyle, int dpi);

// A control's text in code page 936, and setting it only when it differs, so
// that a control the user is typing in keeps its caret.
std::string ControlText(HWND parent, int id);
void SetControlText(HWND parent, int id, const std::string& text);
// The control's text if it has a code page 936 form (a path: or the short
// 8.3 form of the file it names), else nothing. ControlText would give "?"
// for each character outside the code page.
std::optional<std::string> StorableControlText(HWND parent, int id, bool isPath);

// An edit control that lets through only what `accepts` takes, typed
// character by character or pasted (the pasted text is filtered). Ctrl+C,
// Ctrl+X and Ctrl+V (filtered) work as in any edit control.
void FilterEditInput(HWND edit, bool (*accepts)(char32_t));

// A tooltip window for `owner`'s controls; SetTooltip replaces a control's
// tip, and an empty text removes it.
HWND CreateTooltip(HWND owner);
void SetTooltip(HWND tooltip, HWND control, const std::string& text);

// WM_DPICHANGED, which the XP headers lack.
constexpr UINT kDpiChangedMessage = 0x02E0;
// Moves and sizes `window` to the rectangle that WM_DPICHANGED suggests in its lParam.
void MoveToSuggestedRect(HWND window, LPARAM suggested);

// The sunken edge of an edit or list control, which the control tables
// cannot give (they set styles, not extended styles).
void AddClientEdge(HWND control);

// Shows (and brings to the front) or hides a window, unless it already is so.
void SetWindowShown(HWND window, bool shown);

// Tab, Enter, Esc (IDCANCEL) and the access keys for the windows that ask for
// them: the message loop offers every message here first. Tab into an edit
// control, a combo box's included, selects its text; Ctrl+A selects the whole
// text of the edit control that has the focus.
void EnableDialogKeys(HWND window);
void DisableDialogKeys(HWND window);
bool HandleDialogKeys(MSG& msg);

// Where the focus goes when a dialog-like window is activated: back to the
// control that had it when the window was last deactivated, else to the
// first control in Tab order. The window routes WM_ACTIVATE and WM_SETFOCUS
// here instead of to its default processing.
class DialogFocus {
 public:
  bool Handle(HWND window, UINT message, WPARAM wParam);

 private:
  HWND saved_ = nullptr;
};

// Gives `control` the focus and leaves every radio button beside it checked
// as it was: an automatic radio button checks itself when it gets the focus
// other than by a click, which is what Tab and the arrow keys rely on, but
// not what the focus coming back to a window should do.
void FocusKeepingChecks(HWND control);

}  // namespace velmaro
