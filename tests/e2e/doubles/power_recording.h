// A power service that only records: each call becomes one line of text, kept
// in `calls` and, when a log path is given, appended to that file at once, so
// the record survives whatever the caller does next. Tests and the end-to-end
// build use it so that nothing is ever logged off, suspended or powered off.
#pragma once

#include <string>
#include <vector>

#include "platform/power.h"

namespace velmaro {

class RecordingPower : public PowerService {
 public:
  // An empty path records in memory only.
  explicit RecordingPower(std::string logPath = std::string());

  // Lines such as "ExitWindowsEx(12, 0)", "mciSendString(\"Set cdaudio door open wait\", 4660)".
  std::vector<std::string> calls;
  // Non-empty: the session and power calls are refused with this text, as
  // the system refuses them without the shutdown privilege.
  std::string refusal;

  PowerResult ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override;
  PowerResult SetSystemPowerState(std::int32_t suspend, std::int32_t force) override;
  PowerResult NtShutdownSystem(std::uint32_t action) override;
  void MciSendString(const std::string& command, WindowHandle callback) override;
  void SendBroadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::uint32_t flags,
                     std::uint32_t timeoutMs) override;

 private:
  void Record(const std::string& line);
  PowerResult Answer() const { return refusal.empty() ? PowerResult() : PowerResult{false, refusal}; }

  std::string logPath_;
};

}  // namespace velmaro
