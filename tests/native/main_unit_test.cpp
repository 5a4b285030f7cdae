#include "app/main_unit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/error_box.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/memory_registry.h"

namespace velmaro {
namespace {

class FakeSession : public SessionService {
 public:
  OsVersion Version() override { return version; }
  void EnableShutdownPrivilege() override { calls.push_back("privilege"); }
  std::string UserName() override { return userName; }
  std::string ExecutablePath() override { return "C:\\Tools\\Velmaro.exe"; }

  OsVersion version{5, 1, 2};
  std::string userName = "Administrator";
  std::vector<std::string> calls;
};

// Records what the logic did to the window, in order.
class FakeView : public Form1View {
 public:
  WindowHandle Handle() override { return 0x1234; }
  void SetTimer(TimerId timer, bool enabled) override {
    log.push_back(std::string(enabled ? "on " : "off ") + std::to_string(static_cast<unsigned>(timer)));
  }
  void SetProgressMax(std::int32_t maximum) override { log.push_back("max " + std::to_string(maximum)); }
  void SetMenuCaption(MenuItem, const std::string& text) override { caption = text; }
  void MakeTopmost() override { log.push_back("topmost"); }
  void Close() override { log.push_back("close"); }

  std::vector<std::string> log;
  std::string caption;
};

class MainUnitTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  FakeShell shell;
  FakeSession session;
  FakeView view;
  MainUnit unit{AppServices{registry, shell, session}, view};
};

TEST_F(MainUnitTest, StartUpLoadsTheStoreAndAddsTheTrayIcon) {
  unit.FormCreate();
  EXPECT_EQ(session.calls, std::vector<std::string>{"privilege"});
  EXPECT_EQ(view.log, (std::vector<std::string>{"off 2", "max 60", "topmost"}));
  EXPECT_EQ(shell.registeredMessages, std::vector<std::string>{"TaskbarCreated"});
  ASSERT_EQ(shell.notifications.size(), 1u);
  const NotifyIconData& icon = shell.notifications[0].data;
  EXPECT_EQ(shell.notifications[0].op, NotifyOp::Add);
  EXPECT_EQ(icon.hWnd, 0x1234u);
  EXPECT_EQ(icon.uID, 100u);
  EXPECT_EQ(icon.uFlags, 7u);
  EXPECT_EQ(icon.uCallbackMessage, 1025u);
  EXPECT_EQ(icon.hIcon, AppIcon::MAINICON);
  char tip[64] = "Velmaro-\xC6\xF4\xD3\xC3";  // "Velmaro-启用" in code page 936, zero-padded
  EXPECT_EQ(std::memcmp(icon.szTip, tip, sizeof tip), 0);
  EXPECT_EQ(view.caption, "注销(&L) Administrator");
  EXPECT_TRUE(shell.boxes.empty());
  EXPECT_TRUE(registry.HasKey(RegRoot::LocalMachine, "Software\\Drennik\\Velmaro"));
}

TEST_F(MainUnitTest, PrivilegeOnlyOnNtOrVersionFiveAndUp) {
  struct Case {
    OsVersion version;
    bool enabled;
  } const cases[] = {{{4, 0, 2}, true}, {{4, 10, 1}, false}, {{6, 1, 2}, true}, {{5, 0, 1}, true}};
  for (const Case& c : cases) {
    FakeSession s;
    s.version = c.version;
    MemoryRegistry r;
    MainUnit(AppServices{r, shell, s}, view).FormCreate();
    EXPECT_EQ(!s.calls.empty(), c.enabled) << c.version.major << "." << c.version.minor;
  }
}

TEST_F(MainUnitTest, StoreFailureIsShownAndStartUpGoesOn) {
  registry.failSetAt = 1;
  session.userName = "";
  unit.FormCreate();
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0].text, "Failed to set data for 'shutapp'");
  EXPECT_EQ(shell.boxes[0].caption, "Velmaro");
  EXPECT_EQ(shell.boxes[0].flags, kMbOk | kMbIconError);
  EXPECT_EQ(shell.notifications.size(), 1u);
  EXPECT_EQ(view.log.back(), "topmost");
  EXPECT_EQ(view.caption, "注销(&L) ");
}

TEST_F(MainUnitTest, NegativeCountdownLengthGivesAnEmptyProgressRange) {
  registry.PutDword(RegRoot::LocalMachine, "Software\\Drennik\\Velmaro", "tishi", 0xFFFFFFFFu);
  unit.FormCreate();
  EXPECT_EQ(unit.settings.Tishi, -1);
  EXPECT_EQ(view.log[1], "max 0");
}

TEST_F(MainUnitTest, CloseStopsEveryTimerThenRemovesTheIconAndReleasesTheStore) {
  unit.FormCreate();
  view.log.clear();
  unit.n17Click();
  EXPECT_EQ(view.log, std::vector<std::string>{"close"});
  unit.FormClose();
  EXPECT_EQ(view.log, (std::vector<std::string>{"close", "off 1", "off 2", "off 3"}));
  EXPECT_EQ(shell.notifications.back().op, NotifyOp::Delete);
  EXPECT_TRUE(unit.Closed());
  EXPECT_EQ(registry.openKeys, 0);
  unit.TaskbarCreated();  // after close: no icon comes back
  EXPECT_EQ(shell.notifications.back().op, NotifyOp::Delete);
}

TEST(ErrorBoxText, FullStopOnlyAfterCharactersThatSortAfterIt) {
  struct Case {
    const char* failure;
    const char* shown;
  } const cases[] = {
      {"Failed to get data for 'tishi'", "Failed to get data for 'tishi'"},
      {"'x' is not a valid integer value", "'x' is not a valid integer value."},
      {"no dot.", "no dot."},
      {"(paren)", "(paren)"},
      {"blank ", "blank "},
      {"digit 9", "digit 9."},
      {"没有可用的拨号连接", "没有可用的拨号连接."},
      {"ends in 乗", "ends in 乗."},  // 81 5C: one Chinese character, not a backslash
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorBoxText(c.failure), c.shown) << c.failure;
}

}  // namespace
}  // namespace velmaro
