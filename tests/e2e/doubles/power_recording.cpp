#include "tests/e2e/doubles/power_recording.h"

#include <cstdio>
#include <utility>

namespace velmaro {

RecordingPower::RecordingPower(std::string logPath) : logPath_(std::move(logPath)) {}

PowerResult RecordingPower::ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) {
  Record("ExitWindowsEx(" + std::to_string(flags) + ", " + std::to_string(reason) + ")");
  return Answer();
}

PowerResult RecordingPower::SetSystemPowerState(std::int32_t suspend, std::int32_t force) {
  Record("SetSystemPowerState(" + std::to_string(suspend) + ", " + std::to_string(force) + ")");
  return Answer();
}

PowerResult RecordingPower::NtShutdownSystem(std::uint32_t action) {
  Record("NtShutdownSystem(" + std::to_string(action) + ")");
  return Answer();
}

void RecordingPower::MciSendString(const std::string& command, WindowHandle callback) {
  Record("mciSendString(\"" + command + "\", " + std::to_string(callback) + ")");
}

void RecordingPower::SendBroadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam,
                                   std::uint32_t flags, std::uint32_t timeoutMs) {
  Record("SendMessageTimeout(HWND_BROADCAST, " + std::to_string(message) + ", " + std::to_string(wParam) + ", " +
         std::to_string(lParam) + ", " + std::to_string(flags) + ", " + std::to_string(timeoutMs) + ")");
}

void RecordingPower::Record(const std::string& line) {
  calls.push_back(line);
  if (logPath_.empty()) return;
  if (FILE* log = std::fopen(logPath_.c_str(), "ab")) {
    std::fputs((line + "\r\n").c_str(), log);
    std::fclose(log);
  }
}

}  // namespace velmaro
