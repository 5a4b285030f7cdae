#include "scheduler/conditions.h"

#include <gtest/gtest.h>

namespace velmaro {
namespace {

constexpr std::uint64_t kGB = 1000000000;

TEST(LoadMeter, NetworkRatesOverChangingInterfacesAndIntervalsOfAnyLength) {
  LoadMeter meter;
  const std::vector<InterfaceBytes> first = {{1, 5 * kGB, 1000}, {2, 5000, 0}};
  EXPECT_EQ(meter.SampleNetwork(0xFFFFF000u, true, first).intervalMs, 0u) << "one reading is no interval";

  // Ten seconds later, the millisecond counter wrapped. Interface 2 went
  // down and 3 connected: neither counts for this interval.
  const std::vector<InterfaceBytes> second = {{1, 5 * kGB + 11 * kGB, 1000 + 20480}, {3, 999999, 999999}};
  LoadRates rates = meter.SampleNetwork(0xFFFFF000u + 10000, true, second);
  EXPECT_EQ(rates.intervalMs, 10000u);
  EXPECT_EQ(rates.receivedPerSecond, std::optional<std::uint64_t>(11 * kGB / 10)) << "64 bits: 11 GB is 11 GB";
  EXPECT_EQ(rates.sentPerSecond, std::optional<std::uint64_t>(2048));

  // A tick in the same millisecond adds nothing and leaves the reading standing.
  EXPECT_EQ(meter.SampleNetwork(0xFFFFF000u + 10000, true, first).intervalMs, 0u);
  // A tick held back for a minute and a half is one long interval.
  const std::vector<InterfaceBytes> third = {{1, 16 * kGB + 90 * 1024, 21480}, {3, 999999 + 90 * 10240, 999999}};
  rates = meter.SampleNetwork(0xFFFFF000u + 100000, true, third);
  EXPECT_EQ(rates.intervalMs, 90000u);
  EXPECT_EQ(rates.receivedPerSecond, std::optional<std::uint64_t>(1024 + 10240));
  EXPECT_EQ(rates.sentPerSecond, std::optional<std::uint64_t>(0));

  // Nothing connected, a failed read, and a counter that went back (an
  // adapter reset) measure nothing, and nor does the interval after a failure.
  EXPECT_FALSE(meter.SampleNetwork(0xFFFFF000u + 110000, true, {}).receivedPerSecond);
  EXPECT_FALSE(meter.SampleNetwork(0xFFFFF000u + 120000, true, third).receivedPerSecond);
  EXPECT_TRUE(meter.SampleNetwork(0xFFFFF000u + 130000, true, third).receivedPerSecond);
  EXPECT_FALSE(meter.SampleNetwork(0xFFFFF000u + 140000, false, {}).receivedPerSecond);
  EXPECT_FALSE(meter.SampleNetwork(0xFFFFF000u + 150000, true, third).receivedPerSecond);
  EXPECT_TRUE(meter.SampleNetwork(0xFFFFF000u + 160000, true, third).receivedPerSecond);
  EXPECT_FALSE(meter.SampleNetwork(0xFFFFF000u + 170000, true, {{1, 0, 0}}).receivedPerSecond);

  // After a restart the next reading is a first one.
  meter.Restart();
  EXPECT_EQ(meter.SampleNetwork(0xFFFFF000u + 180000, true, third).intervalMs, 0u);
}

TEST(LoadMeter, ThirtyTwoBitCountersWrapOnceAndOnlyWhileTheLinkCannotGoRoundUnseen) {
  struct Case {
    std::uint64_t linkBitsPerSecond;
    std::uint32_t intervalMs;
    bool measured;
  };
  const Case cases[] = {
      {0, 600000, true},                 // speed unknown: at most one wrap is assumed
      {100000000, 10000, true},          // 100 Mb/s moves 125 MB in 10 s
      {100000000, 343000, true},         // and just under 4 GB in 343 s
      {100000000, 344000, false},        // but not in 344 s
      {1000000000, 34000, true},         // 1 Gb/s: 34 s
      {1000000000, 60000, false},        // a minute's pause could hide a wrap
      {10000000000ull, 10000, false},    // 10 Gb/s: not even one tick
  };
  for (const Case& c : cases) {
    LoadMeter meter;
    const InterfaceBytes before{1, 0xFFFFFF00u, 0, true, c.linkBitsPerSecond};
    InterfaceBytes after = before;
    after.received = 0x100;  // went round: 0x200 bytes moved
    meter.SampleNetwork(0, true, {before});
    const LoadRates rates = meter.SampleNetwork(c.intervalMs, true, {after});
    EXPECT_EQ(rates.receivedPerSecond.has_value(), c.measured) << c.linkBitsPerSecond << " " << c.intervalMs;
    if (c.measured) {
      EXPECT_EQ(*rates.receivedPerSecond, 0x200ull * 1000 / c.intervalMs);
    }
  }
}

TEST(LoadMeter, ProcessorBusyShareAndTimesThatGoBack) {
  LoadMeter meter;
  meter.SampleProcessor(0, true, ProcessorTimes{1000, 3000, 1000});
  // 10 s on two processors: 200 000 000 units, 180 000 000 of them idle.
  LoadRates rates = meter.SampleProcessor(10000, true, ProcessorTimes{1000 + 180000000, 3000 + 190000000, 1000 + 10000000});
  EXPECT_EQ(rates.busyPerMille, std::optional<std::uint32_t>(100));
  EXPECT_FALSE(rates.receivedPerSecond);
  EXPECT_EQ(meter.SampleProcessor(10000, true, ProcessorTimes{5, 5, 5}).intervalMs, 0u) << "the same millisecond";
  // A reading below the last one (a reset counter) is not trusted.
  EXPECT_FALSE(meter.SampleProcessor(20000, true, ProcessorTimes{5, 5, 5}).busyPerMille);
  // Nothing moved: no share to give.
  EXPECT_FALSE(meter.SampleProcessor(30000, true, ProcessorTimes{5, 5, 5}).busyPerMille);
}

TEST(QuietStretch, ArmsAtTheThresholdFiresOnceQuietForItsMinutesAndWaitsForTheNextBusySpell) {
  // One minute below 50 KB/s. Each step: interval, value (-1: not
  // measured), fires, and whether it is counted while the tick is held.
  struct Step {
    std::uint32_t intervalMs;
    std::int64_t value;
    bool fires;
    bool held = false;
  };
  const std::int64_t kQuiet = 50 * 1024 - 1, kBusy = 50 * 1024;
  const Step steps[] = {
      // Quiet from the start: nothing has begun, so nothing has finished.
      {10000, 0, false}, {60000, 0, false}, {600000, kQuiet, false},
      // Exactly the threshold arms it; a minute below fires once.
      {10000, kBusy, false}, {30000, 0, false}, {29999, kQuiet, false}, {1, 0, true},
      {10000, 0, false}, {600000, 0, false},
      // Busy again, then one long interval (a held tick) of a whole minute.
      {10000, kBusy, false}, {60000, 0, true},
      // A busy interval near the end starts the minute again.
      {10000, kBusy, false}, {50000, 0, false}, {10000, kBusy, false}, {50000, 0, false}, {10000, 0, true},
      // No time passed: nothing changes, armed or not.
      {10000, kBusy, false}, {50000, 0, false}, {0, -1, false}, {0, kBusy, false}, {10000, 0, true},
      // Held, nothing fires; the tick after fires the stretch as it stands,
      // with no time passed too, but not once a busy interval followed.
      {10000, kBusy, false}, {60000, 0, false, true}, {0, -1, true},
      {10000, kBusy, false}, {60000, 0, false, true}, {10000, kBusy, false, true}, {10000, 0, false}, {50000, 0, true},
      // A failed reading disarms.
      {10000, kBusy, false}, {30000, 0, false}, {10000, -1, false}, {60000, 0, false}, {600000, 0, false},
  };
  QuietStretch stretch(50 * 1024, 1);
  int i = 0;
  for (const Step& step : steps) {
    const std::optional<std::uint64_t> value =
        step.value < 0 ? std::nullopt : std::optional<std::uint64_t>(static_cast<std::uint64_t>(step.value));
    if (step.held) {
      stretch.Count(step.intervalMs, value);
    } else {
      EXPECT_EQ(stretch.Update(step.intervalMs, value), step.fires) << "step " << i;
    }
    ++i;
  }
}

TEST(ProgramWatch, EndsWhenTheLastCopyOfASeenProgramHasBeenGoneForThirtySeconds) {
  ProgramWatch never;
  for (std::uint32_t t = 0; t < 100000; t += 10000) EXPECT_FALSE(never.Update(t, 0)) << "never seen running";

  // Each step: time, copies running (-1: no snapshot), fires.
  struct Step {
    std::uint32_t at;
    int running;
    bool fires;
  };
  const Step steps[] = {
      {0, 2, false}, {10000, 1, false},                       // one of two copies ended
      {20000, 0, false}, {30000, 0, false}, {40000, 1, false},  // an updater hands over within 20 s
      {50000, 0, false}, {60000, -1, false}, {70000, 0, false}, {90000, 0, false},  // no snapshot: counted again
      {100000, 0, true}, {110000, 0, false}, {200000, 0, false},                    // once
      {210000, 1, false}, {220000, 0, false}, {220000, 0, false}, {280000, 0, true},  // a held tick measures across
      // Gone across the wrap of the millisecond counter.
      {0xFFFFFFF0u, 1, false}, {0xFFFFFFF0u + 5000u, 0, false}, {0xFFFFFFF0u + 35000u, 0, true},
  };
  ProgramWatch watch;
  for (const Step& step : steps) {
    const std::optional<std::size_t> running =
        step.running < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(step.running));
    EXPECT_EQ(watch.Update(step.at, running), step.fires) << step.at;
  }
}

TEST(InterfaceSelection, EachCardCountsOnceAndOnlyWhileConnected) {
  struct Case {
    InterfaceRow row;
    bool counts;
  };
  const Case cases[] = {
      {{6, true, false, true}, true},     // Ethernet card
      {{71, true, false, true}, true},    // wireless card
      {{6, true, true, true}, false},     // a filter driver's row on the same card
      {{6, false, false, true}, false},   // a virtual switch's or VPN's adapter
      {{6, true, false, false}, false},   // cable out: counters stand still
      {{24, true, false, true}, false},   // loopback
      {{131, true, false, true}, false},  // a tunnel over a card
      {{23, true, false, true}, true},    // dial-up on Windows XP, which knows no hardware flag
      {{1, true, false, true}, false},    // an unknown kind
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountsInterface(c.row), c.counts) << c.row.type << c.row.hardware << c.row.filter << c.row.up;
  }
}

}  // namespace
}  // namespace velmaro
