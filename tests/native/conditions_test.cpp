#include "scheduler/conditions.h"

#include <gtest/gtest.h>

namespace velmaro {
namespace {

const ProcessorTimes kNoTimes;

TEST(LoadMeter, NetworkRatesOverWrappingCountersAndChangingInterfaces) {
  LoadMeter meter;
  const std::vector<InterfaceBytes> first = {{1, 0xFFFFFF00u, 1000}, {2, 5000, 0}};
  EXPECT_EQ(meter.Sample(0xFFFFF000u, true, first, false, kNoTimes).intervalMs, 0u) << "one reading is no interval";

  // Ten seconds later, the millisecond counter wrapped too. Interface 1's
  // received counter wrapped (0x200 bytes moved), interface 2 vanished and
  // interface 3 appeared: neither counts for this interval.
  const std::vector<InterfaceBytes> second = {{1, 0x100u, 1000 + 20480}, {3, 999999, 999999}};
  LoadRates rates = meter.Sample(0xFFFFF000u + 10000, true, second, false, kNoTimes);
  EXPECT_EQ(rates.intervalMs, 10000u);
  EXPECT_EQ(rates.receivedPerSecond, std::optional<std::uint64_t>(0x200 / 10));
  EXPECT_EQ(rates.sentPerSecond, std::optional<std::uint64_t>(2048));
  EXPECT_FALSE(rates.busyPerMille);

  // Interface 3 counts from its second reading on.
  const std::vector<InterfaceBytes> third = {{1, 0x100u, 21480}, {3, 999999 + 10240, 999999}};
  rates = meter.Sample(0xFFFFF000u + 20000, true, third, false, kNoTimes);
  EXPECT_EQ(rates.receivedPerSecond, std::optional<std::uint64_t>(1024));
  EXPECT_EQ(rates.sentPerSecond, std::optional<std::uint64_t>(0));

  // A failed reading measures nothing, nor does the interval after it.
  EXPECT_FALSE(meter.Sample(0xFFFFF000u + 30000, false, {}, false, kNoTimes).receivedPerSecond);
  EXPECT_FALSE(meter.Sample(0xFFFFF000u + 40000, true, third, false, kNoTimes).receivedPerSecond);
  EXPECT_TRUE(meter.Sample(0xFFFFF000u + 50000, true, third, false, kNoTimes).receivedPerSecond);

  // The tick was held for a minute: no interval at all.
  EXPECT_EQ(meter.Sample(0xFFFFF000u + 110000, true, third, false, kNoTimes).intervalMs, 0u);
}

TEST(LoadMeter, ProcessorBusyShareAndTimesThatGoBack) {
  LoadMeter meter;
  meter.Sample(0, false, {}, true, ProcessorTimes{1000, 3000, 1000});
  // 10 s on two processors: 200 000 000 units, 180 000 000 of them idle.
  LoadRates rates = meter.Sample(10000, false, {}, true, ProcessorTimes{1000 + 180000000, 3000 + 190000000, 1000 + 10000000});
  EXPECT_EQ(rates.busyPerMille, std::optional<std::uint32_t>(100));
  EXPECT_FALSE(rates.receivedPerSecond);
  // A reading below the last one (a reset counter) is not trusted.
  EXPECT_FALSE(meter.Sample(20000, false, {}, true, ProcessorTimes{5, 5, 5}).busyPerMille);
  // Nothing moved: no share to give.
  EXPECT_FALSE(meter.Sample(30000, false, {}, true, ProcessorTimes{5, 5, 5}).busyPerMille);
}

TEST(QuietStretch, FiresOnceWhenTheMeasureStaysBelowItsThresholdForItsMinutes) {
  QuietStretch stretch(50 * 1024, 1);  // below 50 KB/s for one minute
  for (int i = 1; i < 6; ++i) EXPECT_FALSE(stretch.Update(10000, 50 * 1024 - 1)) << i;
  EXPECT_TRUE(stretch.Update(10000, 0)) << "six quiet intervals make the minute";
  EXPECT_FALSE(stretch.Update(10000, 0)) << "the same stretch fires once";
  EXPECT_FALSE(stretch.Update(10000, 0));

  // Exactly the threshold is not below it: the stretch is broken and starts again.
  EXPECT_FALSE(stretch.Update(10000, 50 * 1024));
  for (int i = 1; i < 6; ++i) EXPECT_FALSE(stretch.Update(10000, 0)) << i;
  // One busy sample near the end breaks it too.
  EXPECT_FALSE(stretch.Update(10000, 1 << 30));
  for (int i = 1; i < 6; ++i) EXPECT_FALSE(stretch.Update(10000, 0)) << i;
  // So does an interval nobody measured.
  EXPECT_FALSE(stretch.Update(0, std::nullopt));
  for (int i = 1; i < 6; ++i) EXPECT_FALSE(stretch.Update(10000, 0)) << i;
  EXPECT_TRUE(stretch.Update(10000, 0)) << "a new stretch is a new occurrence";
}

TEST(ProgramWatch, FiresWhenTheLastCopyOfASeenProgramEnds) {
  ProgramWatch never;
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(never.Update(0)) << "never seen running";

  ProgramWatch watch;
  EXPECT_FALSE(watch.Update(2));
  EXPECT_FALSE(watch.Update(1)) << "one of two copies ended";
  EXPECT_FALSE(watch.Update(std::nullopt)) << "no snapshot: nothing known";
  EXPECT_TRUE(watch.Update(0)) << "both ended";
  EXPECT_FALSE(watch.Update(0)) << "once";
  EXPECT_FALSE(watch.Update(1));
  EXPECT_TRUE(watch.Update(0)) << "started again and ended: a new occurrence";
}

}  // namespace
}  // namespace velmaro
