#include <windows.h>

#include "base/text_win.h"
#include "platform/power.h"
#include "platform/system_library_win.h"

namespace velmaro {

namespace {

class SystemPower : public PowerService {
 public:
  void ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override { ::ExitWindowsEx(flags, reason); }

  void SetSystemPowerState(std::int32_t suspend, std::int32_t force) override {
    ::SetSystemPowerState(suspend, force);
  }

  void NtShutdownSystem(std::uint32_t action) override {
    if (const auto shutdown = Nt().NtShutdownSystem) shutdown(static_cast<int>(action));
  }

  void MciSendString(const std::string& command, WindowHandle callback) override {
    if (const auto send = Multimedia().mciSendStringW) send(ToWide(command).c_str(), nullptr, 0, reinterpret_cast<HWND>(callback));
  }

  void SendBroadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::uint32_t flags,
                     std::uint32_t timeoutMs) override {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, message, wParam, lParam, flags, timeoutMs, &result);
  }
};

}  // namespace

std::unique_ptr<PowerService> MakeSystemPower() { return std::make_unique<SystemPower>(); }

}  // namespace velmaro
