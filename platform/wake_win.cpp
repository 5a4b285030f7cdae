#include "platform/wake_win.h"

#include <cstring>
#include <utility>

#include "base/text_win.h"
#include "platform/system_library_win.h"

namespace velmaro {

namespace {

// "Allow wake timers" among the sleep settings of a power plan.
constexpr GUID kSleepSettings = {0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kAllowWakeTimers = {0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};

// Why the active power plan keeps the timer from waking the computer, or
// none. The timer is set anyway where the plan cannot be read: Windows XP
// has no such setting.
std::optional<std::string> PlanRefusal() {
  const PowerPlanCalls& plan = PowerPlan();
  if (!plan.Available()) return std::nullopt;
  GUID* scheme = nullptr;
  if (plan.PowerGetActiveScheme(nullptr, &scheme) != ERROR_SUCCESS || !scheme) return std::nullopt;
  // The plan has one value on mains power and one on battery; the one in
  // force now is the best guess for the night.
  SYSTEM_POWER_STATUS power;
  const bool onBattery = GetSystemPowerStatus(&power) && power.ACLineStatus == 0;
  const auto read = onBattery ? plan.PowerReadDCValueIndex : plan.PowerReadACValueIndex;
  DWORD allowed = 1;
  const DWORD status = read(nullptr, scheme, &kSleepSettings, &kAllowWakeTimers, &allowed);
  LocalFree(scheme);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return WakeTimerPlanRefusal(allowed);
}

UniversalTime FromFileTime(const FILETIME& time) {
  return static_cast<UniversalTime>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// Whether the clock under `zone` reads `local` at the universal moment `at`.
bool ShowsAs(const TIME_ZONE_INFORMATION* zone, UniversalTime at, const SYSTEMTIME& local) {
  if (at < 0) return false;
  const auto bits = static_cast<std::uint64_t>(at);
  const FILETIME moment = {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
  SYSTEMTIME universal, shown;
  if (!FileTimeToSystemTime(&moment, &universal) || !SystemTimeToTzSpecificLocalTime(zone, &universal, &shown)) {
    return false;
  }
  shown.wDayOfWeek = local.wDayOfWeek;
  return std::memcmp(&shown, &local, sizeof shown) == 0;
}

class SystemWake : public WakeService {
 public:
  ~SystemWake() override {
    if (timer_) CloseHandle(timer_);
  }

  UniversalTime Now() override {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return FromFileTime(now);
  }

  std::optional<UniversalTime> UniversalFromLocal(const ClockSnapshot& local) override {
    return UniversalFromLocalIn(nullptr, local);
  }

  WakeResult SetWakeTimer(UniversalTime at) override {
    // A due time of zero or less would count from now instead of from 1601.
    if (at <= 0) return Refuse("唤醒时间无效");
    if (std::optional<std::string> refusal = PlanRefusal()) return Refuse(std::move(*refusal));
    // Nothing waits on the timer: the tick after the wake runs the task, so
    // it only has to be armed. A manual-reset one stays signalled once due.
    if (!timer_) timer_ = CreateWaitableTimerW(nullptr, TRUE, nullptr);
    if (!timer_) return Refuse(SystemErrorText(GetLastError()));
    LARGE_INTEGER due;
    due.QuadPart = at;
    // A system that cannot wake still sets the timer and says so only here.
    SetLastError(ERROR_SUCCESS);
    const BOOL set = SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, TRUE);
    const DWORD error = GetLastError();
    if (set && error != ERROR_NOT_SUPPORTED) return WakeResult();
    return Refuse(SystemErrorText(set ? static_cast<DWORD>(ERROR_NOT_SUPPORTED) : error));
  }

  void CancelWakeTimer() override {
    if (timer_) CancelWaitableTimer(timer_);
  }

  void KeepAwake(bool on) override { SetThreadExecutionState(on ? ES_CONTINUOUS | ES_SYSTEM_REQUIRED : ES_CONTINUOUS); }

  HANDLE timer() const { return timer_; }

 private:
  WakeResult Refuse(std::string reason) {
    CancelWakeTimer();
    return WakeResult{false, std::move(reason)};
  }

  HANDLE timer_ = nullptr;
};

}  // namespace

std::optional<std::string> WakeTimerPlanRefusal(DWORD allowWakeTimers) {
  switch (allowWakeTimers) {
    case 0:
      return "电源计划不允许使用唤醒定时器（电源选项 > 睡眠 > 允许使用唤醒定时器），无法唤醒计算机";
    case 2:
      // Only the system's own timers, such as the restart after updates, wake it then.
      return "电源计划只允许重要的唤醒定时器（电源选项 > 睡眠 > 允许使用唤醒定时器），无法唤醒计算机";
    default:
      return std::nullopt;
  }
}

std::optional<UniversalTime> UniversalFromLocalIn(const TIME_ZONE_INFORMATION* zone, const ClockSnapshot& local) {
  const SYSTEMTIME wanted = {local.wYear, local.wMonth, local.wDayOfWeek, local.wDay,
                             local.wHour, local.wMinute, local.wSecond, local.wMilliseconds};
  SYSTEMTIME universal;
  FILETIME moment;
  if (!TzSpecificLocalTimeToSystemTime(zone, &wanted, &universal) || !SystemTimeToFileTime(&universal, &moment)) {
    return std::nullopt;
  }
  UniversalTime at = FromFileTime(moment);
  // The system converts a time the clock skips as well; only the way back tells.
  if (!ShowsAs(zone, at, wanted)) return std::nullopt;
  // A time the clock shows twice the system may take as either; the first
  // comes one daylight saving shift earlier.
  TIME_ZONE_INFORMATION current = {};
  const TIME_ZONE_INFORMATION* rules = zone;
  if (!rules && GetTimeZoneInformation(&current) != TIME_ZONE_ID_INVALID) rules = &current;
  const LONG shift = rules ? rules->StandardBias - rules->DaylightBias : 0;
  if (shift > 0 && ShowsAs(zone, at - shift * kUniversalMinute, wanted)) at -= shift * kUniversalMinute;
  return at;
}

HANDLE SystemWakeTimer(WakeService& wake) { return static_cast<SystemWake&>(wake).timer(); }

std::unique_ptr<WakeService> MakeSystemWake() { return std::make_unique<SystemWake>(); }

}  // namespace velmaro
