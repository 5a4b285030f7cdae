#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "platform/system_load.h"
#include "scheduler/conditions.h"

namespace velmaro {
namespace {

TEST(Win32SystemLoad, TheRealCountersReadAndMakeRates) {
  auto load = MakeSystemLoad();
  std::vector<InterfaceBytes> interfaces;
  ASSERT_TRUE(load->Interfaces(&interfaces));
  std::set<std::uint32_t> indexes;
  for (const InterfaceBytes& entry : interfaces) indexes.insert(entry.index);
  EXPECT_EQ(indexes.size(), interfaces.size()) << "each interface once";

  ProcessorTimes before;
  ASSERT_TRUE(load->Processor(&before));
  EXPECT_GE(before.kernel, before.idle) << "kernel time includes the idle time";

  LoadMeter meter;
  meter.Sample(GetTickCount(), true, interfaces, true, before);
  // Keep a processor busy for a while, so the times move.
  const DWORD start = GetTickCount();
  volatile std::uint64_t spin = 0;
  while (GetTickCount() - start < 300) spin = spin + 1;
  ProcessorTimes after;
  ASSERT_TRUE(load->Processor(&after));
  ASSERT_TRUE(load->Interfaces(&interfaces));
  const LoadRates rates = meter.Sample(GetTickCount(), true, interfaces, true, after);
  ASSERT_GT(rates.intervalMs, 0u);
  EXPECT_TRUE(rates.receivedPerSecond && rates.sentPerSecond);
  ASSERT_TRUE(rates.busyPerMille);
  EXPECT_LE(*rates.busyPerMille, 1000u);
}

}  // namespace
}  // namespace velmaro
