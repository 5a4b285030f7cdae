#include <windows.h>

#include "base/text_win.h"
#include "platform/power.h"
#include "platform/system_library_win.h"

namespace velmaro {

namespace {

PowerResult FromBool(BOOL done) {
  if (done) return PowerResult();
  return PowerResult{false, SystemErrorText(GetLastError())};
}

class SystemPower : public PowerService {
 public:
  PowerResult ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
    return FromBool(::ExitWindowsEx(flags, reason));
  }

  PowerResult SetSystemPowerState(std::int32_t suspend, std::int32_t force) override {
    return FromBool(::SetSystemPowerState(suspend, force));
  }

  PowerResult NtShutdownSystem(std::uint32_t action) override {
    const auto shutdown = Nt().NtShutdownSystem;
    if (!shutdown) return PowerResult{false, "系统没有 NtShutdownSystem"};
    const LONG status = shutdown(static_cast<int>(action));
    if (status >= 0) return PowerResult();
    // NTSTATUS as the kernel writes it: eight hexadecimal digits.
    static const char kHex[] = "0123456789ABCDEF";
    std::string hex;
    for (int shift = 28; shift >= 0; shift -= 4) hex += kHex[(static_cast<DWORD>(status) >> shift) & 0xF];
    return PowerResult{false, "NTSTATUS 0x" + hex};
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
