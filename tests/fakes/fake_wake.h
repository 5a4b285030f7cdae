// The wake timer recorded, and a time zone with a bias and daylight saving
// as the European Union keeps it (an hour more from 01:00 universal time on
// the last Sunday of March to 01:00 on the last Sunday of October). Its
// universal time follows the FakeClock's local time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/wake.h"
#include "tests/fakes/fake_clock.h"

namespace velmaro {

class FakeWake : public WakeService {
 public:
  explicit FakeWake(FakeClock& clock) : clock_(clock) {}

  int biasMinutes = 60;      // local standard time = universal time + bias
  bool daylightSaving = true;
  // Set: SetWakeTimer is refused with this text and the timer is off.
  std::optional<std::string> refuse;
  // The local clock alone cannot tell the two showings of the hour repeated
  // when summer time ends; Now() takes the first unless this is set.
  bool secondShowing = false;

  std::vector<UniversalTime> sets;  // each SetWakeTimer, in order
  int cancels = 0;
  std::vector<bool> keepAwake;      // each KeepAwake, in order
  std::optional<UniversalTime> timer;  // as the system holds it now
  bool awake = false;

  static constexpr std::int64_t kMsPerUnit = 10000;  // 100 ns units per ms
  // 1601-01-01 to 1970-01-01.
  static constexpr std::int64_t kUnixEpochMs = 11644473600000LL;

  static UniversalTime FromUtcMs(std::int64_t ms) { return (ms + kUnixEpochMs) * kMsPerUnit; }
  static std::int64_t UtcMsOf(UniversalTime at) { return at / kMsPerUnit - kUnixEpochMs; }
  // Universal time of a UTC date, for writing expectations.
  static UniversalTime Utc(int year, int month, int day, int hour, int minute) {
    return FromUtcMs((((FakeClock::DaysFromCivil(year, month, day) * 24 + hour) * 60) + minute) * 60000LL);
  }

  // The local clock's offset from universal time at `utcMs`, in minutes.
  int OffsetAt(std::int64_t utcMs) const {
    if (!daylightSaving) return biasMinutes;
    const std::int64_t days = utcMs >= 0 ? utcMs / 86400000 : -((-utcMs + 86399999) / 86400000);
    const int year = YearOf(days);
    const std::int64_t begins = (LastSunday(year, 3) * 24 + 1) * 3600000LL;
    const std::int64_t ends = (LastSunday(year, 10) * 24 + 1) * 3600000LL;
    return biasMinutes + (utcMs >= begins && utcMs < ends ? 60 : 0);
  }

  UniversalTime Now() override {
    const std::int64_t local = LocalMs(clock_.LocalTime());
    const std::optional<UniversalTime> at = FromLocalMs(local, secondShowing);
    // A fake clock standing in the skipped hour: read it as standard time.
    return at ? *at : FromUtcMs(local - biasMinutes * 60000LL);
  }
  std::optional<UniversalTime> UniversalFromLocal(const ClockSnapshot& local) override {
    return FromLocalMs(LocalMs(local));
  }
  WakeResult SetWakeTimer(UniversalTime at) override {
    sets.push_back(at);
    if (refuse) {
      timer.reset();
      return WakeResult{false, *refuse};
    }
    timer = at;
    return WakeResult{};
  }
  void CancelWakeTimer() override {
    ++cancels;
    timer.reset();
  }
  void KeepAwake(bool on) override {
    keepAwake.push_back(on);
    awake = on;
  }

 private:
  static int YearOf(std::int64_t days) {
    int year = 1970 + static_cast<int>(days / 366);
    while (FakeClock::DaysFromCivil(year + 1, 1, 1) <= days) ++year;
    while (FakeClock::DaysFromCivil(year, 1, 1) > days) --year;
    return year;
  }
  // Days since 1970 of the month's last Sunday.
  static std::int64_t LastSunday(int year, int month) {
    const std::int64_t last = FakeClock::DaysFromCivil(year, month + 1, 1) - 1;
    return last - ((last + 4) % 7);  // 1970-01-01 was a Thursday
  }
  static std::int64_t LocalMs(const ClockSnapshot& local) {
    return ((FakeClock::DaysFromCivil(local.wYear, local.wMonth, local.wDay) * 24 + local.wHour) * 60 + local.wMinute) * 60000LL +
           local.wSecond * 1000LL + local.wMilliseconds;
  }
  // The first universal moment that shows `localMs` (with `second`, the
  // last), or none.
  std::optional<UniversalTime> FromLocalMs(std::int64_t localMs, bool second = false) const {
    for (int extra : {second ? 0 : 60, second ? 60 : 0}) {
      const std::int64_t utc = localMs - (biasMinutes + extra) * 60000LL;
      if (OffsetAt(utc) == biasMinutes + extra) return FromUtcMs(utc);
    }
    return std::nullopt;
  }

  FakeClock& clock_;
};

}  // namespace velmaro
