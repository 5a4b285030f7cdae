// Answers the tray script's questions about the running program, by its exit
// code (0 yes, 1 no), so that real mouse presses on the shell's tray icon can
// be checked from outside:
//   started   the main window is there and start-up has run (waits up to 15 s)
//   menu      the tray menu shows (waits up to 10 s: a loaded machine can be slow)
//   nomenu    no menu shows during 1.5 s
//   exit      the menu's Exit ends the program (waits up to 10 s)
#include <windows.h>

#include <cstring>

#include "app/menu.h"
#include "tests/win32/win32_test_support.h"

namespace {

using velmaro::WaitFor;

HWND MainWindow() { return FindWindowW(L"TForm1", nullptr); }

bool MenuShows() { return velmaro::VisibleMenu() != nullptr; }

}  // namespace

int main(int argc, char** argv) {
  const char* question = argc > 1 ? argv[1] : "";
  bool yes = false;
  if (std::strcmp(question, "started") == 0) {
    yes = WaitFor([] { return MainWindow() && (GetWindowLongW(MainWindow(), GWL_EXSTYLE) & WS_EX_TOPMOST); }, 15000);
  } else if (std::strcmp(question, "menu") == 0) {
    yes = WaitFor(MenuShows, 10000);
  } else if (std::strcmp(question, "nomenu") == 0) {
    yes = !WaitFor(MenuShows, 1500);
  } else if (std::strcmp(question, "exit") == 0) {
    PostMessageW(MainWindow(), WM_COMMAND, static_cast<WPARAM>(velmaro::MenuItem::n17), 0);
    yes = WaitFor([] { return MainWindow() == nullptr; }, 10000);
  }
  return yes ? 0 : 1;
}
