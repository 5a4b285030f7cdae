#include "actions/power_actions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "actions/countdown.h"
#include "tests/e2e/doubles/power_recording.h"
#include "tests/fakes/fake_dialup.h"
#include "tests/fakes/fake_reminders.h"

namespace velmaro {
namespace {

// The action names are longer than their verbs and must not be taken for them.
TEST(PendingAction, OnlyTheEightVerbsRunAnything) {
  struct Case {
    const char* verb;
    const char* call;
  } const cases[] = {
      {"注销", "ExitWindowsEx(4, 0)"},   {"待机", "SetSystemPowerState(-1, -1)"}, {"休眠", "SetSystemPowerState(0, -1)"},
      {"重启", "ExitWindowsEx(6, 0)"},   {"关机", "ExitWindowsEx(12, 0)"},        {"快速重启", "NtShutdownSystem(1)"},
      {"快速关机", "NtShutdownSystem(2)"}, {"断开拨号", "断开成功"},            {"", nullptr},
      {"关闭计算机", nullptr},            {"关机 ", nullptr},                     {"清理系统垃圾", nullptr},
      {"重", nullptr},                    {"提醒", nullptr},
  };
  for (const Case& c : cases) {
    RecordingPower power;
    FakeDialUp dialUp;
    dialUp.active = {3};
    FakeReminders reminders;
    RunPendingAction(c.verb, power, dialUp, reminders);
    std::vector<std::string> calls = power.calls;
    calls.insert(calls.end(), reminders.shown.begin(), reminders.shown.end());
    EXPECT_EQ(calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{}) << c.verb;
  }
}

TEST(PowerActions, DeviceCommandsPassTheirExactArguments) {
  RecordingPower power;
  OpenCdTray(power, 0x1234);
  CloseCdTray(power, 0x1234);
  TurnMonitorOff(power);
  EXPECT_EQ(power.calls, (std::vector<std::string>{
                             "mciSendString(\"Set cdaudio door open wait\", 4660)",
                             "mciSendString(\"Set cdaudio door closed wait\", 4660)",
                             "SendMessageTimeout(HWND_BROADCAST, 274, 61808, 2, 2, 1000)",
                         }));
}

TEST(RecordingPower, AppendsEachCallToItsLogAtOnce) {
  const std::string path = ::testing::TempDir() + "velmaro_power_log.txt";
  std::remove(path.c_str());
  {
    std::ofstream earlier(path, std::ios::binary);
    earlier << "earlier\r\n";
  }
  RecordingPower power(path);
  RunPowerOperation(power, PowerOperation::PowerOff);
  RunPowerOperation(power, PowerOperation::FastRestart);
  std::ifstream log(path, std::ios::binary);
  std::stringstream content;
  content << log.rdbuf();
  EXPECT_EQ(content.str(), "earlier\r\nExitWindowsEx(12, 0)\r\nNtShutdownSystem(1)\r\n");
  std::remove(path.c_str());
}

}  // namespace
}  // namespace velmaro
