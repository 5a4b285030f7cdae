// The lane's Wine world lives on one moved clock: this program reads it, and
// so does Wine's server, which fires the timers set for a moment of it. A
// program on the real clock would find the tests' minutes never coming; a
// server on another clock fires the program's timers at the wrong moment.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;

constexpr LONGLONG kTicksPerSecond = 10000000;

LONGLONG UniversalNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<LONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

TEST(WallClockTest, AMoveReachesThisProgramAndWinesServer) {
  if (!WallClock::Moves()) GTEST_SKIP() << "this run waits for the clock instead of moving it";
  const LONGLONG before = UniversalNow();
  WallClock::AdvanceTo(LocalTimeIn(3 * 60 * 1000));
  const LONGLONG after = UniversalNow();
  EXPECT_GE(after - before, 180 * kTicksPerSecond) << "this program reads the real clock";
  EXPECT_LT(after - before, 240 * kTicksPerSecond);

  // Due 3 s after the moved now: a server on the real clock fires it three
  // minutes late, a server ahead of this program at once.
  HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
  ASSERT_NE(timer, nullptr);
  LARGE_INTEGER due;
  due.QuadPart = UniversalNow() + 3 * kTicksPerSecond;
  ASSERT_TRUE(SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE));
  const DWORD start = GetTickCount();
  const DWORD waited = WaitForSingleObject(timer, 20000);
  const DWORD elapsed = GetTickCount() - start;
  CloseHandle(timer);
  EXPECT_EQ(waited, WAIT_OBJECT_0) << "Wine's server runs behind this program's clock";
  EXPECT_GE(elapsed, 1000u) << "Wine's server runs ahead of this program's clock";
}

}  // namespace
