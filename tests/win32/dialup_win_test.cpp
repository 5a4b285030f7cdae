// Hanging up under Wine, whose remote access service reports no
// connections, and the growing of the connection list against a stand-in.
#include "platform/dialup_win.h"

#include <gtest/gtest.h>

#include "actions/reminder_window_win.h"
#include "actions/task_actions.h"
#include "base/text_win.h"
#include "tests/fakes/fake_reminders.h"

namespace velmaro {
namespace {

TEST(Win32HangUpDialUp, ShowsNoConnectionForWhatWineReports) {
  auto dialUp = MakeSystemDialUp();
  ReminderWindows reminders(nullptr);
  HangUpDialUp(*dialUp, reminders);
  ASSERT_NE(reminders.Form6(), nullptr);
  HWND window = reminders.Form6()->Handle();
  EXPECT_TRUE(IsWindowVisible(window));
  wchar_t text[64] = {};
  GetDlgItemTextW(window, TForm6::IDC_LABEL1, text, 64);
  EXPECT_EQ(FromWide(text, wcslen(text)), "没有可用的拨号连接");
}

constexpr DWORD kConnections = 11;
DWORD firstRecordSize = 0;
HANDLE hungUp = nullptr;

// Like the service: too small a buffer gets error 603 and the size it needs.
DWORD WINAPI ElevenConnections(RasConnection412* records, DWORD* bytes, DWORD* count) {
  firstRecordSize = records[0].dwSize;
  if (*bytes < kConnections * sizeof(RasConnection412)) {
    *bytes = kConnections * sizeof(RasConnection412);
    *count = 0;
    return 603;
  }
  for (DWORD i = 0; i < kConnections; ++i) records[i].hrasconn = reinterpret_cast<HANDLE>(0x100 + i);
  *count = kConnections;
  return 0;
}

DWORD WINAPI RecordHangUp(HANDLE connection) {
  hungUp = connection;
  return 0;
}

TEST(Win32HangUpDialUp, GrowsTheBufferForMoreThanTenConnectionsAndHangsUpTheFirst) {
  RasEntryPoints entryPoints;
  entryPoints.RasEnumConnectionsA = &ElevenConnections;
  entryPoints.RasHangUpA = &RecordHangUp;
  auto dialUp = MakeDialUp(entryPoints);
  FakeReminders reminders;
  HangUpDialUp(*dialUp, reminders);
  // 412 bytes in the shipped 32-bit program (pinned where the record is declared).
  EXPECT_EQ(firstRecordSize, sizeof(RasConnection412));
  EXPECT_EQ(hungUp, reinterpret_cast<HANDLE>(0x100));
  EXPECT_EQ(reminders.shown, std::vector<std::string>{"断开成功"});
}

}  // namespace
}  // namespace velmaro
