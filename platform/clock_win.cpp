#include <windows.h>

#include "base/text_win.h"
#include "platform/clock.h"

namespace velmaro {

namespace {

std::string LocaleText(LCTYPE item) {
  wchar_t buffer[80];
  int length = GetLocaleInfoW(LOCALE_USER_DEFAULT, item, buffer, 80);
  // The count includes the terminating null; 0 means the item could not be read.
  return length > 0 ? FromWide(buffer, static_cast<std::size_t>(length - 1)) : std::string();
}

class SystemClock : public ClockService {
 public:
  ClockSnapshot LocalTime() override {
    SYSTEMTIME time;
    GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDayOfWeek, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds};
  }

  std::uint32_t TickCount() override { return GetTickCount(); }

  std::uint32_t LastInputTick() override {
    LASTINPUTINFO info;
    info.cbSize = 8;
    info.dwTime = 0;
    GetLastInputInfo(&info);
    return info.dwTime;
  }

  std::string ShortDateFormat() override { return LocaleText(LOCALE_SSHORTDATE); }
  std::string DateSeparator() override { return LocaleText(LOCALE_SDATE); }
  std::string DecimalSeparator() override { return LocaleText(LOCALE_SDECIMAL); }
};

}  // namespace

std::unique_ptr<ClockService> MakeSystemClock() { return std::make_unique<SystemClock>(); }

}  // namespace velmaro
