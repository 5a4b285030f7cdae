#include "app/main_unit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "actions/countdown.h"
#include "actions/power_actions.h"
#include "tests/fakes/fake_app.h"
#include "tests/fakes/store_arranger.h"
#include "tests/native/verb_calls.h"

namespace velmaro {
namespace {

class MainUnitTest : public ::testing::Test, protected FakeApp {};

TEST_F(MainUnitTest, StartUpLoadsTheStoreAndAddsTheTrayIcon) {
  unit.FormCreate();
  EXPECT_EQ(session.calls, std::vector<std::string>{"privilege"});
  // The evaluation starts as the last step, once the tray icon is there.
  EXPECT_EQ(view.log, (std::vector<std::string>{"off 2", "max 60", "check n1", "topmost", "on 1"}));
  EXPECT_EQ(shell.registeredMessages, std::vector<std::string>{"TaskbarCreated"});
  // Elevated, the window hears the shell's restart only when it lets the message in.
  EXPECT_EQ(shell.acceptedFromShell, (std::vector<std::pair<WindowHandle, std::uint32_t>>{{0x1234u, 0xC123u}}));
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
  EXPECT_TRUE(registry.HasKey(RegRoot::LocalMachine, kStorePath));
}

// Every start created an empty TaskOptions key: loading opened it to read
// with the store's create-on-open.
TEST_F(MainUnitTest, ReadingTheStoreMakesNoKey) {
  registry.PutString(RegRoot::LocalMachine, kStorePath, "A1", "每天8时5分");
  registry.PutString(RegRoot::LocalMachine, kStorePath, "B1", "提醒");
  registry.PutDword(RegRoot::LocalMachine, kStorePath, "TaskNum", 1);
  unit.FormCreate();
  view.RunFor(kTimer1Interval);
  for (const char* key : {"Software\\Drennik\\Velmaro\\TaskOptions", "Software\\Drennik\\Velmaro\\WakeAndCatchUp"}) {
    EXPECT_FALSE(registry.HasKey(RegRoot::LocalMachine, key)) << key;
  }
  // The store deleted while the program runs (an uninstaller, by hand): the
  // tick reads nothing and leaves it deleted.
  registry.DeleteKey(RegRoot::LocalMachine, kStorePath);
  view.RunFor(10 * kTimer1Interval);
  EXPECT_FALSE(registry.HasKey(RegRoot::LocalMachine, kStorePath));
  EXPECT_TRUE(shell.boxes.empty());
}

TEST(MainUnit, PrivilegeOnlyOnNtOrVersionFiveAndUp) {
  struct Case {
    OsVersion version;
    bool enabled;
  } const cases[] = {{{4, 0, 2}, true}, {{4, 10, 1}, false}, {{6, 1, 2}, true}, {{5, 0, 1}, true}};
  for (const Case& c : cases) {
    FakeApp app;
    app.session.version = c.version;
    app.unit.FormCreate();
    EXPECT_EQ(!app.session.calls.empty(), c.enabled) << c.version.major << "." << c.version.minor;
  }
}

TEST_F(MainUnitTest, StoreFailureIsShownOnceStartUpIsThroughAndBeforeAnyTick) {
  registry.failSetAt = 1;
  session.userName = "";
  bool timer1OnDuringBox = true;
  shell.whileBoxShows = [&] { timer1OnDuringBox = view.on[1]; };
  unit.FormCreate();
  EXPECT_FALSE(timer1OnDuringBox);
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0].text, std::string(kSettingsDefaultedHeader) + "\nFailed to set data for 'shutapp'");
  EXPECT_EQ(shell.boxes[0].caption, "Velmaro");
  EXPECT_EQ(shell.boxes[0].flags, kMbOk | kMbIconError);
  EXPECT_EQ(shell.notifications.size(), 1u);
  EXPECT_EQ(view.log.back(), "on 1");
  EXPECT_EQ(view.caption, "注销(&L) ");
}

TEST_F(MainUnitTest, ClosedWhileTheStartUpBoxShowsStartsNoTimer) {
  registry.failSetAt = 1;
  shell.whileBoxShows = [&] { unit.n17Click(); };
  unit.FormCreate();
  EXPECT_TRUE(unit.Closed());
  EXPECT_FALSE(view.on[1]);
}

TEST_F(MainUnitTest, NegativeCountdownLengthCountsAsNoneAndStaysStored) {
  for (std::uint32_t stored : {0xFFFFFFFBu, 0x80000000u}) {
    FakeApp app;
    app.registry.PutDword(RegRoot::LocalMachine, kStorePath, "tishi", stored);
    app.unit.FormCreate();
    EXPECT_EQ(app.unit.settings.Tishi, 0) << stored;
    EXPECT_EQ(app.view.log[1], "max 0") << stored;
    EXPECT_TRUE(app.shell.boxes.empty()) << stored;
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((stored >> (8 * i)) & 0xFF);
    EXPECT_EQ(app.registry.Key(RegRoot::LocalMachine, kStorePath).at("tishi").data, bytes)
        << "the stored value is left alone";
  }
}

TEST_F(MainUnitTest, CloseStopsEveryTimerThenRemovesTheIconAndReleasesTheStore) {
  unit.FormCreate();
  view.log.clear();
  unit.n17Click();
  EXPECT_EQ(view.log, (std::vector<std::string>{"close", "off 1", "off 2", "off 3"}));
  EXPECT_EQ(shell.notifications.back().op, NotifyOp::Delete);
  EXPECT_TRUE(unit.Closed());
  EXPECT_EQ(registry.openKeys, 0);
  unit.TaskbarCreated();  // after close: no icon comes back
  EXPECT_EQ(shell.notifications.back().op, NotifyOp::Delete);
}

// A power item runs what the countdown of the verb its caption names runs
// ("重启(&R)": 重启), at once; the drive and display items run their operation.
TEST_F(MainUnitTest, EachMenuItemRunsWhatItsCaptionSaysAtOnce) {
  unit.FormCreate();
  int powerItems = 0;
  for (std::size_t i = 0; i < kPopupMenuSize; ++i) {
    const MenuEntry& entry = kPopupMenu[i];
    if (!entry.power) continue;
    ++powerItems;
    const std::string caption = TextIn(Language::Simplified, entry.caption);
    const std::string expected = CallOfVerb(caption.substr(0, caption.find("(&")));
    ASSERT_FALSE(expected.empty()) << caption << " names no verb";
    power.calls.clear();
    unit.MenuCommand(entry.item);
    EXPECT_EQ(power.calls, std::vector<std::string>{expected}) << caption;
    EXPECT_EQ(processes.closed.size(), 0u) << caption;
  }
  EXPECT_EQ(powerItems, 7);

  struct Case {
    MenuItem item;
    void (*run)(PowerService&);
  } const devices[] = {
      {MenuItem::n11, [](PowerService& p) { OpenCdTray(p, 0x1234); }},
      {MenuItem::n12, [](PowerService& p) { CloseCdTray(p, 0x1234); }},
      {MenuItem::n13, [](PowerService& p) { TurnMonitorOff(p); }},
  };
  for (const Case& c : devices) {
    RecordingPower expected;
    c.run(expected);
    power.calls.clear();
    unit.MenuCommand(c.item);
    EXPECT_EQ(power.calls, expected.calls) << static_cast<unsigned>(c.item);
  }
  // Stand-by from the menu never asks other programs to close, whatever ShutApp says.
  unit.settings.ShutApp = 1;
  unit.MenuCommand(MenuItem::n7);
  EXPECT_TRUE(processes.closed.empty());

  unit.MenuCommand(MenuItem::L1);
  ASSERT_EQ(processes.runs.size(), 1u);
  ASSERT_EQ(shell.executed.size(), 1u);  // the menu's cleanup opens its log, owned by the application
  EXPECT_EQ(shell.executed[0].owner, 0x1200u);

  // A separator's id and an id of no item do nothing.
  power.calls.clear();
  unit.MenuCommand(MenuItem::Separator);
  unit.MenuCommand(static_cast<MenuItem>(105));
  EXPECT_TRUE(power.calls.empty());
  EXPECT_TRUE(shell.boxes.empty());

  unit.FormClose();
  unit.MenuCommand(MenuItem::n10);  // nothing runs once the program is closing
  EXPECT_TRUE(power.calls.empty());
}

// Monitoring on is checked and there is nothing postponed to drop, from the
// start: the window builds its menu without either state.
TEST_F(MainUnitTest, TheMenuStartsCheckedAndGreyedAsTheProgramStands) {
  unit.FormCreate();
  EXPECT_TRUE(view.n1Checked);
  EXPECT_FALSE(view.menuEnabled.at(MenuItem::N21));
  unit.MenuCommand(MenuItem::n1);
  EXPECT_FALSE(view.n1Checked);
  unit.MenuCommand(MenuItem::n1);
  EXPECT_TRUE(view.n1Checked);
}

TEST_F(MainUnitTest, SettingsCommandStopsTheTickAndOpensADialogUntilTheProgramCloses) {
  registry.PutString(RegRoot::LocalMachine, kStorePath, "A1", "每天8时5分");
  registry.PutDword(RegRoot::LocalMachine, kStorePath, "TaskNum", 1);
  unit.FormCreate();
  view.log.clear();
  unit.MenuCommand(MenuItem::n4);
  EXPECT_EQ(view.log, std::vector<std::string>{"off 1"});
  ASSERT_EQ(dialogWindows.settingsViews.size(), 1u);
  EXPECT_EQ(dialogWindows.settingsViews[0]->refreshes, 2);  // shown, then filled
  unit.MenuCommand(MenuItem::n4);
  EXPECT_EQ(dialogWindows.settingsViews.size(), 2u);

  unit.FormClose();
  dialogWindows.settingsViews.clear();
  unit.MenuCommand(MenuItem::n4);  // the store is gone: nothing opens
  EXPECT_TRUE(dialogWindows.settingsViews.empty());
}

TEST_F(MainUnitTest, HelpDownloadPageAndAboutFromTheMenu) {
  unit.FormCreate();
  unit.MenuCommand(MenuItem::n15);
  unit.MenuCommand(MenuItem::n15);
  EXPECT_EQ(about.shown, 2) << "each use opens one more";
  unit.MenuCommand(MenuItem::n16);
  unit.MenuCommand(MenuItem::N20);
  ASSERT_EQ(shell.executed.size(), 2u);
  EXPECT_EQ(shell.executed[0].file, "C:\\Program Files\\Velmaro\\Velmaro.CHM");
  EXPECT_EQ(shell.executed[0].owner, 0x1200u) << "owned by the application's window";
  EXPECT_EQ(shell.executed[1].verb, "open");
  // Neither the help viewer nor the browser is to run with the program's rights.
  EXPECT_TRUE(shell.executed[0].asUser && shell.executed[1].asUser);
  EXPECT_TRUE(shell.boxes.empty());
}

// "R&D" showed as "RD" with D as the access key.
TEST_F(MainUnitTest, AnAmpersandInTheUserNameIsShownAsItIs) {
  session.userName = "R&D 张&";
  unit.FormCreate();
  EXPECT_EQ(view.caption, "注销(&L) R&&D 张&&");
}

}  // namespace
}  // namespace velmaro
