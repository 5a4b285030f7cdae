#include "actions/power_actions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/power_recording.h"

namespace velmaro {
namespace {

TEST(PowerActions, EachPendingVerbMakesItsOneCall) {
  struct Case {
    const char* verb;
    const char* call;
  };
  constexpr Case kCases[] = {
      {"注销", "ExitWindowsEx(4, 0)"},
      {"待机", "SetSystemPowerState(-1, -1)"},
      {"休眠", "SetSystemPowerState(0, -1)"},
      {"重启", "ExitWindowsEx(6, 0)"},
      {"关机", "ExitWindowsEx(12, 0)"},
      {"快速重启", "NtShutdownSystem(1)"},
      {"快速关机", "NtShutdownSystem(2)"},
  };
  for (const Case& c : kCases) {
    RecordingPower power;
    auto operation = PowerOperationOfVerb(c.verb);
    ASSERT_TRUE(operation.has_value()) << c.call;
    RunPowerOperation(power, *operation);
    EXPECT_EQ(power.calls, std::vector<std::string>{c.call});
  }
}

TEST(PowerActions, OtherTextsAreNoPowerVerb) {
  // The action names are longer than their verbs and must not be taken for them.
  for (const char* text : {"", "断开拨号", "关闭计算机", "关机 ", "重", "提醒"}) {
    EXPECT_FALSE(PowerOperationOfVerb(text).has_value()) << text;
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
