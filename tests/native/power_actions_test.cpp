#include "actions/power_actions.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/e2e/doubles/power_recording.h"

namespace velmaro {
namespace {

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
