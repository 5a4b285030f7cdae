#include "actions/close_other_windows.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_processes.h"

namespace velmaro {
namespace {

constexpr WindowHandle kDesktop = 0x10010;
constexpr std::uint32_t kOwnProcess = 100;
constexpr std::uint32_t kOtherProcess = 200;

WindowFacts TitledWindowOfAnotherProgram() {
  WindowFacts facts;
  facts.handle = 0x2000;
  facts.visible = true;
  facts.processId = kOtherProcess;
  facts.titleLength = 5;
  return facts;
}

TEST(CloseOtherWindows, AsksOnlyOtherProgramsMainWindows) {
  struct Case {
    const char* what;
    void (*change)(WindowFacts&);
    bool asked;
  };
  const Case kCases[] = {
      {"titled window of another program", [](WindowFacts&) {}, true},
      {"minimised", [](WindowFacts& w) { w.iconic = true; }, true},
      {"hidden but minimised", [](WindowFacts& w) { w.visible = false; w.iconic = true; }, true},
      {"hidden", [](WindowFacts& w) { w.visible = false; }, false},
      {"owned by the desktop", [](WindowFacts& w) { w.owner = kDesktop; }, true},
      {"owned by another window", [](WindowFacts& w) { w.owner = 0x3000; }, false},
      {"tool window", [](WindowFacts& w) { w.exStyle = 0x80; }, false},
      {"other extended styles", [](WindowFacts& w) { w.exStyle = 0x8 | 0x40000; }, true},
      {"of this program", [](WindowFacts& w) { w.processId = kOwnProcess; }, false},
      {"minimised, of this program", [](WindowFacts& w) { w.iconic = true; w.processId = kOwnProcess; }, false},
      {"untitled", [](WindowFacts& w) { w.titleLength = 0; }, false},
      {"title that could not be read", [](WindowFacts& w) { w.titleLength = -1; }, false},
  };
  for (const Case& c : kCases) {
    WindowFacts window = TitledWindowOfAnotherProgram();
    c.change(window);
    EXPECT_EQ(ShouldAskToClose(window, kDesktop, kOwnProcess), c.asked) << c.what;
  }
}

TEST(CloseOtherWindows, NeverAsksTheShellsWindows) {
  FakeProcesses windows;
  constexpr WindowHandle kMain = 0x100;
  windows.windowProcess[kMain] = kOwnProcess;
  // Each is shown, titled and of another program: it passes every other check.
  constexpr WindowHandle kProgramManager = 0x2001;
  constexpr WindowHandle kTaskbar = 0x2002;
  constexpr WindowHandle kSecondTaskbar = 0x2003;
  constexpr WindowHandle kEditor = 0x2004;
  for (WindowHandle handle : {kProgramManager, kTaskbar, kSecondTaskbar, kEditor}) {
    WindowFacts window = TitledWindowOfAnotherProgram();
    window.handle = handle;
    windows.windows.push_back(window);
  }
  windows.shellWindows = {kProgramManager, kTaskbar, kSecondTaskbar};

  CloseOtherWindows(windows, kMain);
  EXPECT_EQ(windows.closed, std::vector<WindowHandle>{kEditor});
}

}  // namespace
}  // namespace velmaro
